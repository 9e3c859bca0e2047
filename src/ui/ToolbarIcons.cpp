#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zq::ui {
namespace {

const QColor kBlue(46, 92, 156);
const QColor kLight(214, 226, 242);
const QColor kRed(200, 48, 40);

// Everything is drawn on a 32 x 32 grid and scaled.
void paintUnits(QPainter& p)
{
    p.setBrush(kLight);
    p.drawRect(QRectF(5, 9, 16, 19));
    p.drawRect(QRectF(21, 15, 7, 13));
    p.setBrush(kBlue);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col)
            p.drawRect(QRectF(8.5 + col * 6, 12.5 + row * 4.5, 3, 2.5));
    p.drawRect(QRectF(23, 18, 3, 2.5));
    p.drawRect(QRectF(11, 23, 4, 5));
    p.setPen(QPen(kRed, 1.5));
    p.drawLine(QPointF(13, 9), QPointF(13, 3.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawPolygon(QPolygonF({QPointF(13.5, 3.5), QPointF(19, 5.2), QPointF(13.5, 7)}));
}

void paintEmployees(QPainter& p)
{
    p.setBrush(kLight);
    p.drawEllipse(QPointF(21.5, 11), 4, 4);
    QPainterPath back;
    back.addRoundedRect(QRectF(15, 17, 13, 11), 5, 5);
    p.drawPath(back);
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(12, 10.5), 5, 5);
    QPainterPath front;
    front.addRoundedRect(QRectF(4, 17.5, 16, 11), 6, 6);
    p.drawPath(front);
}

void paintDeclarations(QPainter& p)
{
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(6, 3.5, 18, 25), 2, 2);
    p.setPen(QPen(kBlue, 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(9.5, 9 + i * 4.5), QPointF(i == 3 ? 15 : 20.5, 9 + i * 4.5));
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(QColor(240, 176, 60));
    QPainterPath pencil;
    pencil.moveTo(27.5, 12);
    pencil.lineTo(30, 14.5);
    pencil.lineTo(19.5, 25);
    pencil.lineTo(16, 26);
    pencil.lineTo(17, 22.5);
    pencil.closeSubpath();
    p.drawPath(pencil);
}

void paintHelp(QPainter& p)
{
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(16, 16), 12.5, 12.5);
    QFont f = p.font();
    f.setPixelSize(19);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(3.5, 3.5, 25, 25), Qt::AlignCenter, QStringLiteral("?"));
}

void paintExit(QPainter& p)
{
    p.setBrush(kLight);
    p.drawRect(QRectF(6, 4, 14, 24));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(6, 4), QPointF(15, 7), QPointF(15, 30), QPointF(6, 28)}));
    p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(18, 16), QPointF(28.5, 16));
    p.drawPolyline(QPolygonF({QPointF(24.5, 12), QPointF(28.5, 16), QPointF(24.5, 20)}));
}

void paintProgram(QPainter& p)
{
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(6, 3, 20, 26), 2, 2);
    p.setBrush(kBlue);
    p.drawRect(QRectF(9, 7, 11, 3));
    p.setPen(QPen(kBlue, 1.2));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(9, 14 + i * 3.5), QPointF(23, 14 + i * 3.5));
    p.setPen(QPen(kRed, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(20, 24), 3.2, 3.2);
}

QPixmap render(ToolbarIcon which, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(40, 60, 90), 1.1));
    switch (which) {
    case ToolbarIcon::Units:
        paintUnits(p);
        break;
    case ToolbarIcon::Employees:
        p.setPen(Qt::NoPen);
        paintEmployees(p);
        break;
    case ToolbarIcon::Declarations:
        paintDeclarations(p);
        break;
    case ToolbarIcon::Help:
        p.setPen(Qt::NoPen);
        paintHelp(p);
        break;
    case ToolbarIcon::Exit:
        paintExit(p);
        break;
    case ToolbarIcon::Program:
        paintProgram(p);
        break;
    }
    return pm;
}

} // namespace

QIcon toolbarIcon(ToolbarIcon which)
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64})
        icon.addPixmap(render(which, size));
    return icon;
}

} // namespace zq::ui
