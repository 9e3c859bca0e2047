#include "DeclarationForm.h"

#include "ReportPainting.h"
#include "declarations/DeclarationDocument.h"
#include "declarations/UploadFileWriter.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

namespace zq {
namespace {

// Everything is laid out in tenths of a millimetre.
constexpr double kTitleHeight = 110;
constexpr double kBoxLineHeight = 70;
constexpr int kBoxLines = 6;
constexpr double kStatementHeight = 120;
constexpr double kContinuationHeight = 80;
constexpr double kTableHeadHeight = 80;
constexpr double kRowHeight = 55;
constexpr double kClosingHeight = 160; // room for the signature and the stamp below the totals
constexpr double kFooterHeight = 60;

constexpr double kTitleFont = 60;
constexpr double kBoxFont = 34;
constexpr double kTextFont = 32;
constexpr double kCellFont = 30;

// Relative widths of the twelve columns; they are stretched to the page's width.
constexpr double kColumnWeights[DetailColumnCount] = {12, 40, 30, 14, 14, 16, 28, 28, 14, 24, 24, 28};

// The header boxes as the editor arranges them: three columns, Txt3 starting on the second line.
constexpr std::optional<HeaderField> kBoxes[kBoxLines][3] = {
    {HeaderField::ComputerCode, HeaderField::DeclarePerson, std::nullopt},
    {HeaderField::Phone, HeaderField::Month, HeaderField::ApplyDate},
    {HeaderField::UnitMen, HeaderField::InComeM, HeaderField::OutTaxM},
    {HeaderField::UnitTaxMen, HeaderField::TaxMs, HeaderField::FactTax},
    {HeaderField::OthMen, HeaderField::TaxM, HeaderField::OweTax},
    {HeaderField::OthTaxMen, HeaderField::ReduTaxM, HeaderField::BookNo},
};

QString title()
{
    return QStringLiteral("代扣代缴个人所得税明细申报表");
}

// A box's caption without its line break and trailing blank.
QString boxCaption(HeaderField f)
{
    QString c = DeclarationDocument::caption(f);
    c.remove(u'\r');
    c.remove(u'\n');
    return c.trimmed();
}

} // namespace

DeclarationForm::DeclarationForm(const DeclarationDocument& doc) : m_doc(doc)
{
    m_rowCount = doc.rowCount();
    if (m_rowCount > 0 && doc.IsBlankRow(m_rowCount - 1))
        --m_rowCount;
    paginate(defaultPageLayout().paintRect(QPageLayout::Millimeter).size());
}

QPageLayout DeclarationForm::defaultPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

QString DeclarationForm::printedColumnTitle(int column)
{
    return column == ColRowNo ? QStringLiteral("序号") : DeclarationDocument::columnTitle(column);
}

void DeclarationForm::paginate(const QSizeF& printableMm)
{
    m_page = printableMm * 10;
    const double width = m_page.width();
    double weights = 0;
    for (double w : kColumnWeights)
        weights += w;
    m_columnX.clear();
    double x = 0;
    for (double w : kColumnWeights) {
        m_columnX << x;
        x += w * width / weights;
    }
    m_columnX << width;

    const double body = m_page.height() - kFooterHeight - kTableHeadHeight;
    const double firstRoom = body - kTitleHeight - kBoxLineHeight * kBoxLines - kStatementHeight;
    const double otherRoom = body - kContinuationHeight;
    // At least one row per page, however small the paper.
    const int firstRows = std::max(1, int(firstRoom / kRowHeight));
    const int otherRows = std::max(1, int(otherRoom / kRowHeight));
    const double closing = kRowHeight + kClosingHeight;

    m_pageStarts.clear();
    int row = 0;
    for (;;) {
        const bool first = m_pageStarts.isEmpty();
        const int capacity = first ? firstRows : otherRows;
        const double room = first ? firstRoom : otherRoom;
        m_pageStarts << row;
        const int taken = std::min(capacity, m_rowCount - row);
        row += taken;
        if (row == m_rowCount) {
            // The totals and the signature follow the last row on its page when there is room, else on a
            // page of their own.
            if (room - taken * kRowHeight < closing && taken > 0)
                m_pageStarts << row;
            break;
        }
    }
}

int DeclarationForm::rowsOnPage(int page) const
{
    const int start = m_pageStarts[page - 1];
    const int end = page < pageCount() ? m_pageStarts[page] : m_rowCount;
    return end - start;
}

bool DeclarationForm::print(QPagedPaintDevice& device, int from, int to)
{
    paginate(device.pageLayout().paintRect(QPageLayout::Millimeter).size());
    const int last = to <= 0 ? pageCount() : std::min(to, pageCount());
    const int firstPage = std::max(1, from);
    QPainter p;
    if (!p.begin(&device))
        return false;
    for (int page = firstPage; page <= last; ++page) {
        if (page > firstPage && !device.newPage())
            return false;
        p.save();
        // One unit is a tenth of a millimetre, whatever the device's resolution.
        const double scale = device.logicalDpiX() / 254.0;
        p.scale(scale, device.logicalDpiY() / 254.0);
        paintPage(p, page);
        p.restore();
    }
    return p.end();
}

std::optional<QString> DeclarationForm::writePdf(QIODevice& out, const QString& pdfTitle)
{
    QPdfWriter writer(&out);
    writer.setPageLayout(defaultPageLayout());
    writer.setResolution(600);
    writer.setCreator(QStringLiteral("ZqSalTax"));
    writer.setTitle(pdfTitle.isEmpty() ? title() : pdfTitle);
    if (!print(writer))
        return QStringLiteral("PDF文件写入失败。");
    return std::nullopt;
}

std::optional<QString> DeclarationForm::writePdfFile(const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("不能创建文件“%1”：%2").arg(path, file.errorString());
    if (auto problem = writePdf(file))
        return problem;
    if (!file.commit())
        return QStringLiteral("不能写入文件“%1”：%2").arg(path, file.errorString());
    return std::nullopt;
}

void DeclarationForm::paintPage(QPainter& p, int page) const
{
    p.setPen(QPen(Qt::black, 2));
    double y = page == 1 ? paintHeader(p, 0) : paintContinuationTitle(p, 0);
    y = paintTable(p, y, page);
    if (page == pageCount())
        paintClosing(p, y);
    paintFooter(p, page);
}

double DeclarationForm::paintHeader(QPainter& p, double y) const
{
    const double width = m_page.width();
    p.setFont(reportFont(kTitleFont, true));
    p.drawText(QRectF(0, y, width, kTitleHeight), Qt::AlignCenter, title());
    y += kTitleHeight;

    const double third = width / 3;
    const double captionWidth = 300;
    p.setFont(reportFont(kBoxFont));
    for (int line = 0; line < kBoxLines; ++line) {
        for (int col = 0; col < 3; ++col) {
            const QRectF box(col * third, y + line * kBoxLineHeight, third, kBoxLineHeight);
            p.drawRect(box);
            const auto field = kBoxes[line][col];
            if (!field)
                continue;
            const QRectF caption(box.left(), box.top(), captionWidth, box.height());
            p.fillRect(caption.adjusted(1, 1, 0, -1), QColor(235, 235, 235));
            p.drawLine(caption.topRight(), caption.bottomRight());
            p.drawText(caption.adjusted(15, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, boxCaption(*field));
            const bool right =
                DeclarationDocument::isMoneyBox(*field) || DeclarationDocument::isCountBox(*field);
            drawCellText(
                p, QRectF(caption.right() + 15, box.top(), box.right() - caption.right() - 30, box.height()),
                m_doc.header(*field), right ? Qt::AlignRight : Qt::AlignLeft);
        }
    }
    y += kBoxLines * kBoxLineHeight;

    p.setFont(reportFont(kTextFont));
    p.drawText(QRectF(0, y + 15, width, kStatementHeight - 20),
               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter,
               UploadFileWriter::declarationText() + QStringLiteral("　　金额单位：人民币元（角-分）"));
    return y + kStatementHeight;
}

double DeclarationForm::paintContinuationTitle(QPainter& p, double y) const
{
    const double width = m_page.width();
    p.setFont(reportFont(kBoxFont, true));
    p.drawText(QRectF(0, y, width, kContinuationHeight), Qt::AlignLeft | Qt::AlignVCenter, title());
    p.setFont(reportFont(kBoxFont));
    const QString ids =
        QStringLiteral("%1：%2　　%3：%4")
            .arg(boxCaption(HeaderField::ComputerCode), m_doc.header(HeaderField::ComputerCode),
                 boxCaption(HeaderField::Month), m_doc.header(HeaderField::Month));
    p.drawText(QRectF(0, y, width, kContinuationHeight), Qt::AlignRight | Qt::AlignVCenter, ids);
    return y + kContinuationHeight;
}

double DeclarationForm::paintTable(QPainter& p, double y, int page) const
{
    const double left = m_columnX.first();
    const double right = m_columnX.last();
    const int first = firstRowOfPage(page);
    const int count = rowsOnPage(page);
    const bool withTotals = page == pageCount();
    const int lines = count + (withTotals ? 1 : 0);
    const double bottom = y + kTableHeadHeight + lines * kRowHeight;

    // The rules: the frame, one line below the titles and each row, the column borders.
    p.fillRect(QRectF(left, y, right - left, kTableHeadHeight), QColor(235, 235, 235));
    p.drawRect(QRectF(left, y, right - left, bottom - y));
    for (int i = 0; i <= lines; ++i) {
        const double ly = y + kTableHeadHeight + i * kRowHeight;
        p.drawLine(QPointF(left, ly), QPointF(right, ly));
    }
    for (int c = 1; c < DetailColumnCount; ++c)
        p.drawLine(QPointF(m_columnX[c], y), QPointF(m_columnX[c], bottom));

    p.setFont(reportFont(kCellFont, true));
    for (int c = 0; c < DetailColumnCount; ++c)
        drawCellText(p, QRectF(m_columnX[c] + 8, y, m_columnX[c + 1] - m_columnX[c] - 16, kTableHeadHeight),
                     printedColumnTitle(c), Qt::AlignHCenter);
    y += kTableHeadHeight;

    CellWriter cells(p, reportFont(kCellFont));
    for (int r = first; r < first + count; ++r, y += kRowHeight) {
        for (int c = 0; c < DetailColumnCount; ++c) {
            const QString text = m_doc.displayText(r, c);
            if (text.isEmpty())
                continue;
            const bool numeric = DeclarationDocument::isNumericColumn(c) || c == ColRowNo;
            cells.draw(QRectF(m_columnX[c] + 8, y, m_columnX[c + 1] - m_columnX[c] - 16, kRowHeight), text,
                       numeric ? Qt::AlignRight : Qt::AlignLeft);
        }
    }
    if (withTotals) {
        cells.setFont(reportFont(kCellFont, true));
        cells.draw(
            QRectF(m_columnX[ColIDCard] + 8, y, m_columnX[ColNation] - m_columnX[ColIDCard] - 16, kRowHeight),
            QStringLiteral("合计（%1行）").arg(m_rowCount), Qt::AlignLeft);
        for (int c = ColInComeM; c <= ColTaxM1; ++c) {
            if (c == ColTaxRadio)
                continue;
            // The blank row left out above holds no amount, so the document's column sums are the printed
            // rows'.
            cells.draw(QRectF(m_columnX[c] + 8, y, m_columnX[c + 1] - m_columnX[c] - 16, kRowHeight),
                       m_doc.columnSum(c).format(u"#,##0.00"), Qt::AlignRight);
        }
        y += kRowHeight;
    }
    return y;
}

void DeclarationForm::paintClosing(QPainter& p, double y) const
{
    const double width = m_page.width();
    p.setFont(reportFont(kBoxFont));
    const double top = y + 40;
    const QRectF signature(0, top, width / 2 - 50, kClosingHeight - 60);
    const QRectF stamp(width / 2 + 50, top, width / 2 - 50, kClosingHeight - 60);
    p.drawText(signature, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("声明人签字："));
    p.drawText(stamp, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("扣缴义务人盖章："));
    p.drawLine(QPointF(signature.left() + 220, signature.top() + 45),
               QPointF(signature.right(), signature.top() + 45));
    p.drawLine(QPointF(stamp.left() + 290, stamp.top() + 45), QPointF(stamp.right(), stamp.top() + 45));
    p.drawText(signature, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("年　　月　　日"));
    p.drawText(stamp, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("年　　月　　日"));
}

void DeclarationForm::paintFooter(QPainter& p, int page) const
{
    p.setFont(reportFont(kTextFont));
    p.drawText(QRectF(0, m_page.height() - kFooterHeight, m_page.width(), kFooterHeight), Qt::AlignCenter,
               QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(pageCount()));
}

} // namespace zq
