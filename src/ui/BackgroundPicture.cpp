#include "BackgroundPicture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace zq::ui {
namespace {

const QString kTitle = QStringLiteral("代扣代缴个人所得税明细申报");
const QString kSubtitle = QStringLiteral("单位管理 · 员工管理 · 填报管理 · 生成上传文件");

// A declaration sheet with its table, a total line and the unit's round seal.
void paintSheet(QPainter& p, const QRectF& r, qreal angle)
{
    p.save();
    p.translate(r.center());
    p.rotate(angle);
    const QRectF sheet(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 70, 40));
    p.drawRoundedRect(sheet.translated(r.width() * 0.025, r.width() * 0.03), 6, 6);
    p.setBrush(QColor(252, 253, 255));
    p.setPen(QPen(QColor(170, 186, 206), 1.2));
    p.drawRoundedRect(sheet, 6, 6);

    const qreal m = r.width() * 0.09;
    const QRectF inner = sheet.adjusted(m, m, -m, -m);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(58, 102, 156));
    p.drawRoundedRect(QRectF(inner.left(), inner.top(), inner.width() * 0.62, inner.height() * 0.055), 3, 3);
    p.setBrush(QColor(190, 205, 224));
    p.drawRoundedRect(
        QRectF(inner.left(), inner.top() + inner.height() * 0.09, inner.width() * 0.4, inner.height() * 0.03),
        2, 2);

    const QRectF table(inner.left(), inner.top() + inner.height() * 0.2, inner.width(),
                       inner.height() * 0.58);
    p.setBrush(QColor(232, 239, 248));
    p.drawRect(QRectF(table.left(), table.top(), table.width(), table.height() / 7));
    p.setPen(QPen(QColor(176, 192, 212), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(table);
    for (int i = 1; i < 7; ++i) {
        const qreal y = table.top() + table.height() * i / 7;
        p.drawLine(QPointF(table.left(), y), QPointF(table.right(), y));
    }
    for (const qreal f : {0.16, 0.46, 0.72}) {
        const qreal x = table.left() + table.width() * f;
        p.drawLine(QPointF(x, table.top()), QPointF(x, table.bottom()));
    }
    p.setPen(QPen(QColor(58, 102, 156), 2.2));
    const qreal totalY = table.bottom() + inner.height() * 0.07;
    p.drawLine(QPointF(inner.left() + inner.width() * 0.55, totalY), QPointF(inner.right(), totalY));

    const qreal sealR = inner.width() * 0.16;
    const QPointF sealC(inner.left() + sealR * 1.2, inner.bottom() - sealR * 0.9);
    p.setPen(QPen(QColor(200, 48, 40, 190), sealR * 0.12));
    p.drawEllipse(sealC, sealR, sealR);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 48, 40, 190));
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal rr = (i % 2 == 0) ? sealR * 0.42 : sealR * 0.17;
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF pt(sealC.x() + rr * std::cos(a), sealC.y() + rr * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.drawPath(star);
    p.restore();
}

void paintTitle(QPainter& p, const QRectF& box, qreal size, Qt::Alignment align)
{
    QFont title(QStringLiteral("Noto Sans CJK SC"));
    title.setPixelSize(qMax(12, int(size)));
    title.setWeight(QFont::DemiBold);
    title.setLetterSpacing(QFont::PercentageSpacing, 104);
    p.setFont(title);
    p.setPen(QColor(36, 64, 104));
    const QRectF top(box.left(), box.top(), box.width(), box.height() * 0.6);
    p.drawText(top, align | Qt::AlignBottom, kTitle);
    QFont sub(title);
    sub.setPixelSize(qMax(10, int(size * 0.42)));
    sub.setWeight(QFont::Normal);
    sub.setLetterSpacing(QFont::PercentageSpacing, 100);
    p.setFont(sub);
    p.setPen(QColor(86, 110, 140));
    const QRectF bottom(box.left(), box.top() + box.height() * 0.66, box.width(), box.height() * 0.34);
    p.drawText(bottom, align | Qt::AlignTop, kSubtitle);
}

void paintStandard(QPainter& p, const QRectF& r)
{
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(240, 244, 249));
    sky.setColorAt(1, QColor(206, 218, 233));
    p.fillRect(r, sky);
    // Faint ledger lines.
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    for (qreal y = r.top() + 24; y < r.bottom(); y += 24)
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));

    const qreal unit = qMin(r.width(), r.height() * 1.25);
    const QRectF sheet(0, 0, unit * 0.3, unit * 0.38);
    paintSheet(p, sheet.translated(r.center().x() - sheet.width() / 2, r.center().y() - unit * 0.33), -4);
    paintTitle(p, QRectF(r.left(), r.center().y() + unit * 0.06, r.width(), unit * 0.14), unit * 0.052,
               Qt::AlignHCenter);
}

void paintWide(QPainter& p, const QRectF& r)
{
    QLinearGradient sky(r.topLeft(), r.bottomRight());
    sky.setColorAt(0, QColor(244, 247, 251));
    sky.setColorAt(0.55, QColor(226, 234, 244));
    sky.setColorAt(1, QColor(198, 214, 234));
    p.fillRect(r, sky);
    QRadialGradient glow(QPointF(r.left() + r.width() * 0.3, r.top() + r.height() * 0.35), r.width() * 0.45);
    glow.setColorAt(0, QColor(255, 255, 255, 170));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(r, glow);

    // Three soft bands rising to the right, like a growing column of figures.
    const QColor bands[] = {QColor(120, 160, 210, 60), QColor(80, 128, 190, 55), QColor(46, 92, 156, 60)};
    for (int i = 0; i < 3; ++i) {
        const qreal base = r.bottom() - r.height() * (0.05 + 0.07 * i);
        QPainterPath wave;
        wave.moveTo(r.left(), base);
        wave.cubicTo(QPointF(r.left() + r.width() * 0.3, base - r.height() * (0.02 + 0.03 * i)),
                     QPointF(r.left() + r.width() * 0.6, base + r.height() * 0.06),
                     QPointF(r.right(), base - r.height() * (0.12 + 0.04 * i)));
        wave.lineTo(r.bottomRight());
        wave.lineTo(r.bottomLeft());
        wave.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(bands[i]);
        p.drawPath(wave);
    }

    const qreal unit = qMin(r.width() / 1.6, r.height());
    const QRectF sheet(0, 0, unit * 0.36, unit * 0.46);
    paintSheet(p, sheet.translated(r.left() + r.width() * 0.66, r.top() + r.height() * 0.2), 5);
    paintTitle(p,
               QRectF(r.left() + r.width() * 0.08, r.top() + r.height() * 0.3, r.width() * 0.56, unit * 0.18),
               unit * 0.058, Qt::AlignLeft);
}

} // namespace

BackgroundKind backgroundFor(int screenWidth)
{
    return screenWidth > 800 ? BackgroundKind::Wide : BackgroundKind::Standard;
}

void paintBackground(QPainter& painter, const QRect& rect, BackgroundKind kind)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (kind == BackgroundKind::Wide)
        paintWide(painter, rect);
    else
        paintStandard(painter, rect);
    painter.restore();
}

} // namespace zq::ui
