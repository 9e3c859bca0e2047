#pragma once

#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <QVector>
#include <optional>

class QIODevice;
class QPagedPaintDevice;
class QPainter;

namespace zq {

class DeclarationDocument;

// The declaration as the paper form that is signed and stamped: title, the header boxes with their captions,
// the withholding agent's declaration, the detail rows as a ruled table whose column titles stand on every
// page, "第 n 页 共 m 页" below each page, and on the last page the totals row and room for the signature and
// the stamp. Rows all have one height and never break across a page; each page draws only its own rows.
class DeclarationForm {
public:
    // The document must outlive the form. A blank last row (the editor's row waiting for input) is not
    // printed.
    explicit DeclarationForm(const DeclarationDocument& doc);

    // Landscape A4 with 10 mm margins.
    static QPageLayout defaultPageLayout();

    // Splits the rows into pages of the given printable size (millimetres). Called by print() and
    // writePdf(); call it yourself to ask for pageCount() or rowsOnPage() first.
    void paginate(const QSizeF& printableMm);
    int pageCount() const { return int(m_pageStarts.size()); }
    // The 0-based index of the first row of a 1-based page, and the number of rows it holds.
    int firstRowOfPage(int page) const { return m_pageStarts[page - 1]; }
    int rowsOnPage(int page) const;
    int printedRowCount() const { return m_rowCount; }

    // Paints pages from..to (1-based, to 0 = the last) on a device that is already open, starting a new page
    // between them. False when the device refused a page.
    bool print(QPagedPaintDevice& device, int from = 1, int to = 0);
    // Writes the whole form as PDF; returns a message when the device could not be written.
    std::optional<QString> writePdf(QIODevice& out, const QString& title = QString());
    // The same through a file that is replaced only when complete.
    std::optional<QString> writePdfFile(const QString& path);

    // The column titles as the printed table shows them (序号 for the row numbers).
    static QString printedColumnTitle(int column);

private:
    void paintPage(QPainter& p, int page) const;
    double paintHeader(QPainter& p, double y) const;
    double paintContinuationTitle(QPainter& p, double y) const;
    double paintTable(QPainter& p, double y, int page) const;
    void paintClosing(QPainter& p, double y) const;
    void paintFooter(QPainter& p, int page) const;

    const DeclarationDocument& m_doc;
    int m_rowCount = 0;
    QSizeF m_page;             // printable area in tenths of a millimetre
    QVector<int> m_pageStarts; // first row of each page
    QVector<double> m_columnX; // left edge of each column and the table's right edge
};

} // namespace zq
