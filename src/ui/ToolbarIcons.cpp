#include "ToolbarIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zq::ui {
namespace {

const QColor kBlue(46, 92, 156);
const QColor kLight(214, 226, 242);
const QColor kRed(200, 48, 40);
const QColor kGreen(46, 140, 70);
const QColor kInk(40, 60, 90);

// A sheet of paper with ruled lines, the base of several pictures.
void paintSheet(QPainter& p, const QRectF& r, int lines)
{
    p.setPen(QPen(kInk, 1.1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(QPen(kBlue, 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < lines; ++i) {
        const qreal y = r.top() + 5 + i * 4;
        p.drawLine(QPointF(r.left() + 3.5, y), QPointF(r.right() - 3.5, y));
    }
}

void paintPlus(QPainter& p, const QPointF& c, qreal arm, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, arm + 2, arm + 2);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
}

void paintAdd(QPainter& p)
{
    paintSheet(p, QRectF(4, 3, 18, 24), 4);
    paintPlus(p, QPointF(22.5, 22.5), 4.5, kGreen);
}

void paintInsert(QPainter& p)
{
    p.setPen(QPen(kInk, 1.1));
    for (int i = 0; i < 3; ++i) {
        p.setBrush(i == 1 ? QColor(255, 236, 160) : kLight);
        p.drawRect(QRectF(9, 5 + i * 8, 20, 6));
    }
    p.setPen(QPen(kGreen, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(2, 16), QPointF(7, 16));
    p.drawPolyline(QPolygonF({QPointF(4.5, 12.5), QPointF(7.5, 16), QPointF(4.5, 19.5)}));
}

void paintDelete(QPainter& p)
{
    paintSheet(p, QRectF(4, 3, 18, 24), 4);
    p.setPen(QPen(kRed, 3.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17, 17), QPointF(28, 28));
    p.drawLine(QPointF(28, 17), QPointF(17, 28));
}

void paintEdit(QPainter& p)
{
    paintSheet(p, QRectF(4, 3, 18, 24), 4);
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(QColor(240, 176, 60));
    QPainterPath pencil;
    pencil.moveTo(26.5, 9);
    pencil.lineTo(30, 12.5);
    pencil.lineTo(17.5, 25);
    pencil.lineTo(13, 26.5);
    pencil.lineTo(14.5, 22);
    pencil.closeSubpath();
    p.drawPath(pencil);
}

void paintCopy(QPainter& p)
{
    paintSheet(p, QRectF(3.5, 3, 16, 20), 3);
    paintSheet(p, QRectF(12.5, 9, 16, 20), 3);
}

void paintPaste(QPainter& p)
{
    p.setPen(QPen(kInk, 1.1));
    p.setBrush(QColor(190, 140, 80));
    p.drawRoundedRect(QRectF(4, 5, 19, 24), 2, 2);
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(9, 2.5, 9, 5), 1.5, 1.5);
    paintSheet(p, QRectF(13, 11, 15, 18), 3);
}

void paintSave(QPainter& p)
{
    p.setPen(QPen(kInk, 1.1));
    p.setBrush(kBlue);
    QPainterPath disk;
    disk.moveTo(4, 4);
    disk.lineTo(24, 4);
    disk.lineTo(28, 8);
    disk.lineTo(28, 28);
    disk.lineTo(4, 28);
    disk.closeSubpath();
    p.drawPath(disk);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 4, 14, 9));
    p.setBrush(kLight);
    p.drawRect(QRectF(8, 18, 16, 10));
    p.setBrush(kBlue);
    p.drawRect(QRectF(17, 6, 3, 5));
}

void paintUndo(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlue, 3.2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath arc;
    arc.moveTo(9, 13);
    arc.cubicTo(QPointF(14, 6), QPointF(27, 8), QPointF(26, 18));
    arc.cubicTo(QPointF(25.5, 24), QPointF(20, 27), QPointF(14, 26));
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(3, 8), QPointF(13, 8.5), QPointF(5.5, 17)}));
}

void paintImport(QPainter& p)
{
    p.setPen(QPen(kInk, 1.1));
    p.setBrush(kLight);
    QPainterPath tray;
    tray.moveTo(3, 19);
    tray.lineTo(9, 19);
    tray.lineTo(11, 23);
    tray.lineTo(21, 23);
    tray.lineTo(23, 19);
    tray.lineTo(29, 19);
    tray.lineTo(29, 29);
    tray.lineTo(3, 29);
    tray.closeSubpath();
    p.drawPath(tray);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawRect(QRectF(13, 2, 6, 10));
    p.drawPolygon(QPolygonF({QPointF(8, 11), QPointF(24, 11), QPointF(16, 20)}));
}

void paintPrint(QPainter& p)
{
    paintSheet(p, QRectF(9, 2, 14, 12), 2);
    p.setPen(QPen(kInk, 1.1));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 10));
    p.setBrush(QColor(120, 220, 120));
    p.drawEllipse(QPointF(25, 15.5), 1.3, 1.3);
}

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
    case ToolbarIcon::Add:
        paintAdd(p);
        break;
    case ToolbarIcon::Insert:
        paintInsert(p);
        break;
    case ToolbarIcon::Delete:
        paintDelete(p);
        break;
    case ToolbarIcon::Edit:
        paintEdit(p);
        break;
    case ToolbarIcon::Copy:
        paintCopy(p);
        break;
    case ToolbarIcon::Paste:
        paintPaste(p);
        break;
    case ToolbarIcon::Save:
        paintSave(p);
        break;
    case ToolbarIcon::Undo:
        paintUndo(p);
        break;
    case ToolbarIcon::Import:
        paintImport(p);
        break;
    case ToolbarIcon::Print:
        paintPrint(p);
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

QIcon commandIcon(const QString& caption)
{
    // Adding a row and adding a record are one command to the user, as are the two deletes.
    static const QHash<QString, ToolbarIcon> icons{
        {QStringLiteral("单位"), ToolbarIcon::Units},        {QStringLiteral("员工"), ToolbarIcon::Employees},
        {QStringLiteral("填报"), ToolbarIcon::Declarations}, {QStringLiteral("帮助"), ToolbarIcon::Help},
        {QStringLiteral("退出"), ToolbarIcon::Exit},         {QStringLiteral("增加"), ToolbarIcon::Add},
        {QStringLiteral("增行"), ToolbarIcon::Add},          {QStringLiteral("插行"), ToolbarIcon::Insert},
        {QStringLiteral("删除"), ToolbarIcon::Delete},       {QStringLiteral("删行"), ToolbarIcon::Delete},
        {QStringLiteral("修改"), ToolbarIcon::Edit},         {QStringLiteral("复制"), ToolbarIcon::Copy},
        {QStringLiteral("粘贴"), ToolbarIcon::Paste},        {QStringLiteral("粘帖"), ToolbarIcon::Paste},
        {QStringLiteral("保存"), ToolbarIcon::Save},         {QStringLiteral("撤消"), ToolbarIcon::Undo},
        {QStringLiteral("导入"), ToolbarIcon::Import},       {QStringLiteral("打印"), ToolbarIcon::Print},
    };
    const auto it = icons.constFind(caption);
    return it == icons.cend() ? QIcon() : toolbarIcon(*it);
}

} // namespace zq::ui
