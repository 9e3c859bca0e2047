#include "EmployeeYear.h"

#include "ReportPainting.h"
#include "core/Database.h"
#include "core/Dates.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace zq {
namespace {

constexpr int kColumns = 7;
const char16_t* const kTitles[kColumns] = {u"月份",     u"纳税人收入额", u"应纳税所得额", u"税率(％)",
                                           u"减免税额", u"抵免境外税额", u"实缴税额"};

} // namespace

QStringList PersonMonth::texts(QStringView amountFormat) const
{
    return {income.format(amountFormat),    taxable.format(amountFormat),       ratesText(),
            reduction.format(amountFormat), foreignCredit.format(amountFormat), paid.format(amountFormat)};
}

QStringList EmployeeYear::columnTitles()
{
    QStringList titles;
    for (const char16_t* t : kTitles)
        titles << QString::fromUtf16(t);
    return titles;
}

void PersonMonth::add(const PersonMonth& o)
{
    rows += o.rows;
    income += o.income;
    taxable += o.taxable;
    for (const Money& r : o.rates)
        if (!rates.contains(r))
            rates << r;
    reduction += o.reduction;
    foreignCredit += o.foreignCredit;
    paid += o.paid;
}

QString PersonMonth::ratesText() const
{
    QStringList parts;
    for (const Money& r : rates)
        parts << (r.isZero() ? QStringLiteral("0") : r.format(u"##"));
    return parts.join(u'、');
}

std::optional<EmployeeYear> EmployeeYear::load(const Database& db, qint64 unitId, const QString& empId,
                                               int year, QString* problem)
{
    const QVariant unit = QVariant::fromValue<qlonglong>(unitId);
    const Rows units = db.select(QStringLiteral("select UnitName from UnitInfo where UnitID = ?"), {unit});
    if (units.isEmpty()) {
        *problem = QStringLiteral("找不到单位（编号 %1）。").arg(unitId);
        return std::nullopt;
    }
    const Rows people = db.select(
        QStringLiteral("select EmpName, IDCard from Employee where UnitID = ? and EmpID = ?"), {unit, empId});
    if (people.isEmpty()) {
        *problem = QStringLiteral("本单位没有职工编号为“%1”的职工。").arg(empId);
        return std::nullopt;
    }
    EmployeeYear y;
    y.unitName = units.data[0][0].toString();
    y.empId = empId;
    y.name = people.data[0][0].toString();
    y.idCard = people.data[0][1].toString();
    y.year = year;
    if (y.idCard.trimmed().isEmpty()) {
        *problem = QStringLiteral("职工“%1”没有身份证件号码，无法找到其申报记录。").arg(y.name);
        return std::nullopt;
    }
    const Rows rows = db.select(
        QStringLiteral("select a.Month, i.InComeM, i.TaxM, i.TaxRadio, i.ReduTax, i.NationTax, i.TaxM1 "
                       "from ApplT a join ApplTInfo i on i.AppID = a.AppID "
                       "where a.UnitID = ? and i.IDCard = ? order by a.Month, a.AppID, i.RowId"),
        {unit, y.idCard});
    for (const QVariantList& r : rows.data) {
        const QDate month = Dates::fromStored(r[0]);
        if (!month.isValid() || month.year() != year)
            continue;
        PersonMonth m;
        m.rows = 1;
        m.income = Money::fromStored(r[1]);
        m.taxable = Money::fromStored(r[2]);
        m.rates << Money::fromStored(r[3]);
        m.reduction = Money::fromStored(r[4]);
        m.foreignCredit = Money::fromStored(r[5]);
        m.paid = Money::fromStored(r[6]);
        auto& slot = y.months[month.month() - 1];
        if (!slot)
            slot = PersonMonth();
        slot->add(m);
    }
    return y;
}

PersonMonth EmployeeYear::total() const
{
    PersonMonth t;
    for (const auto& m : months)
        if (m)
            t.add(*m);
    t.rates.clear();
    return t;
}

int EmployeeYear::monthsWithoutRows() const
{
    int n = 0;
    for (const auto& m : months)
        n += m ? 0 : 1;
    return n;
}

QString EmployeeYear::monthText(int year, int month)
{
    return Dates::formatMonth(QDate(year, month, 1));
}

QByteArray EmployeeYear::csv() const
{
    QStringList lines;
    lines << QStringLiteral("%1 %2 %3 %4年").arg(unitName, name, idCard).arg(year);
    lines << columnTitles().join(u',');
    // A text with a comma or a quote is quoted, so the cells stay in place.
    const auto quoted = [](const QString& s) {
        if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n'))
            return s;
        return u'"' + QString(s).replace(u'"', QStringLiteral("\"\"")) + u'"';
    };
    lines[0] = quoted(lines[0]);
    for (int m = 0; m < 12; ++m) {
        const QString month = monthText(year, m + 1);
        if (months[m])
            lines << (QStringList{month} + months[m]->texts(u"0.00")).join(u',');
        else
            lines << month + u',' + noRowsText() + QStringLiteral(",,,,,");
    }
    QStringList sums = total().texts(u"0.00");
    lines << (QStringList{QStringLiteral("合计")} + sums).join(u',');
    return "\xEF\xBB\xBF" + lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

void EmployeeYear::paint(QPainter& p, const QSizeF& page) const
{
    const double width = page.width();
    p.setPen(QPen(Qt::black, 2));
    p.setFont(reportFont(60, true));
    p.drawText(QRectF(0, 0, width, 110), Qt::AlignCenter,
               QStringLiteral("%1年度个人所得税扣缴明细").arg(year));
    p.setFont(reportFont(34));
    double y = 130;
    const QString who[4][2] = {{QStringLiteral("扣缴单位"), unitName},
                               {QStringLiteral("姓名"), name},
                               {QStringLiteral("职工编号"), empId},
                               {QStringLiteral("身份证件号码"), idCard}};
    for (int i = 0; i < 4; ++i) {
        const double x = (i % 2) * width / 2;
        p.drawText(QRectF(x, y + (i / 2) * 60, width / 2, 60), Qt::AlignLeft | Qt::AlignVCenter,
                   who[i][0] + QStringLiteral("：") + who[i][1]);
    }
    y += 140;

    const double weights[kColumns] = {18, 26, 26, 14, 22, 22, 24};
    double sum = 0;
    for (double w : weights)
        sum += w;
    double xs[kColumns + 1];
    xs[0] = 0;
    for (int c = 0; c < kColumns; ++c)
        xs[c + 1] = xs[c] + weights[c] * width / sum;
    const double head = 80;
    const double rowH = 70;
    const double bottom = y + head + 13 * rowH;
    // Shading first, then the rules over it. A month without rows is one shaded cell across its figures.
    p.fillRect(QRectF(0, y, width, head), QColor(235, 235, 235));
    for (int m = 0; m < 12; ++m)
        if (!months[m])
            p.fillRect(QRectF(xs[1], y + head + m * rowH, width - xs[1], rowH), QColor(245, 245, 245));
    p.drawRect(QRectF(0, y, width, bottom - y));
    for (int i = 0; i <= 13; ++i)
        p.drawLine(QPointF(0, y + head + i * rowH), QPointF(width, y + head + i * rowH));
    p.drawLine(QPointF(xs[1], y), QPointF(xs[1], bottom));
    for (int c = 2; c < kColumns; ++c) {
        p.drawLine(QPointF(xs[c], y), QPointF(xs[c], y + head));
        for (int m = 0; m <= 12; ++m)
            if (m == 12 || months[m])
                p.drawLine(QPointF(xs[c], y + head + m * rowH), QPointF(xs[c], y + head + (m + 1) * rowH));
    }
    CellWriter cells(p, reportFont(32, true));
    for (int c = 0; c < kColumns; ++c)
        cells.draw(QRectF(xs[c] + 8, y, xs[c + 1] - xs[c] - 16, head), QString::fromUtf16(kTitles[c]),
                   Qt::AlignHCenter);
    y += head;
    cells.setFont(reportFont(32));
    const auto drawLine = [&](const QString& first, const PersonMonth& m) {
        cells.draw(QRectF(xs[0] + 8, y, xs[1] - xs[0] - 16, rowH), first, Qt::AlignHCenter);
        const QStringList values = m.texts(u"#,##0.00");
        for (int c = 1; c < kColumns; ++c)
            cells.draw(QRectF(xs[c] + 8, y, xs[c + 1] - xs[c] - 16, rowH), values[c - 1],
                       c == 3 ? Qt::AlignHCenter : Qt::AlignRight);
        y += rowH;
    };
    for (int m = 0; m < 12; ++m) {
        if (months[m]) {
            drawLine(monthText(year, m + 1), *months[m]);
        } else {
            cells.draw(QRectF(xs[0] + 8, y, xs[1] - xs[0] - 16, rowH), monthText(year, m + 1),
                       Qt::AlignHCenter);
            cells.draw(QRectF(xs[1] + 8, y, width - xs[1] - 16, rowH), noRowsText(), Qt::AlignHCenter);
            y += rowH;
        }
    }
    cells.setFont(reportFont(32, true));
    drawLine(QStringLiteral("合计"), total());
    p.setFont(reportFont(30));
    p.drawText(QRectF(0, y + 30, width, 60), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("本年有申报的月份：%1个；无申报的月份：%2个。")
                   .arg(12 - monthsWithoutRows())
                   .arg(monthsWithoutRows()));
}

std::optional<QString> EmployeeYear::writePdf(QIODevice& out) const
{
    QPdfWriter writer(&out);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    writer.setResolution(600);
    writer.setCreator(QStringLiteral("ZqSalTax"));
    writer.setTitle(QStringLiteral("%1 %2年度个人所得税扣缴明细").arg(name).arg(year));
    QPainter p;
    if (!p.begin(&writer))
        return QStringLiteral("PDF文件写入失败。");
    p.scale(writer.logicalDpiX() / 254.0, writer.logicalDpiY() / 254.0);
    paint(p, writer.pageLayout().paintRect(QPageLayout::Millimeter).size() * 10);
    if (!p.end())
        return QStringLiteral("PDF文件写入失败。");
    return std::nullopt;
}

std::optional<QString> EmployeeYear::writeFile(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("不能创建文件“%1”：%2").arg(path, file.errorString());
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        const QByteArray bytes = csv();
        if (file.write(bytes) != bytes.size())
            return QStringLiteral("不能写入文件“%1”：%2").arg(path, file.errorString());
    } else if (auto problem = writePdf(file)) {
        return problem;
    }
    if (!file.commit())
        return QStringLiteral("不能写入文件“%1”：%2").arg(path, file.errorString());
    return std::nullopt;
}

} // namespace zq
