#pragma once

#include "core/Money.h"

#include <QString>
#include <QVector>
#include <array>
#include <optional>

namespace zq {

// The seventeen header boxes of a declaration, in the order of the editor's box arrays Txt1 0..5, Txt2 0..5,
// Txt3 0..4.
enum class HeaderField {
    ComputerCode, // Txt1 0
    Phone,
    UnitMen,
    UnitTaxMen,
    OthMen,
    OthTaxMen,     // Txt1 5
    DeclarePerson, // Txt2 0
    Month,
    InComeM,
    TaxMs,
    TaxM,
    ReduTaxM,  // Txt2 5
    ApplyDate, // Txt3 0
    OutTaxM,
    FactTax,
    OweTax,
    BookNo, // Txt3 4
};
inline constexpr int HeaderFieldCount = 17;

// The twelve columns of the detail grid; column 0 holds the row number.
enum DetailColumn {
    ColRowNo,
    ColIDCard,
    ColEmpName,
    ColNation,
    ColProf,
    ColProg,
    ColInComeM,
    ColTaxM,
    ColTaxRadio,
    ColReduTax,
    ColNationTax,
    ColTaxM1,
};
inline constexpr int DetailColumnCount = 12;

// One grid row below the heading. Text columns hold their text; the six numeric columns hold a fixed-point
// value, or nothing for an empty cell.
struct DetailRow {
    qint64 rowNo = 0;                            // column 0, shown as its decimal text (0 shows nothing)
    std::array<QString, 5> texts;                // columns 1..5
    std::array<std::optional<Money>, 6> amounts; // columns 6..11
};

// The declaration as the editor holds it: header texts exactly as the boxes show them, and the detail rows.
class DeclarationDocument {
public:
    static QString caption(HeaderField f);   // the label of the box, with its line break where it has one
    static QString columnTitle(int column);  // heading of a grid column ("" for column 0)
    static QString columnFormat(int column); // display format of a numeric column ("" for text columns)
    static int columnMaxLength(int column);  // longest entry of columns 1..5, 0 for the others
    static bool isNumericColumn(int column) { return column >= ColInComeM && column <= ColTaxM1; }
    static bool isCodeColumn(int column) { return column >= ColNation && column <= ColProg; }
    static bool isMoneyBox(HeaderField f);
    static bool isCountBox(HeaderField f);
    static bool isReadOnlyBox(HeaderField f);          // the four totals
    static const char* storedColumn(HeaderField f);    // ApplT column
    static const char* storedColumn(int detailColumn); // ApplTInfo column

    const QString& header(HeaderField f) const { return m_header[size_t(f)]; }
    void setHeader(HeaderField f, const QString& text) { m_header[size_t(f)] = text; }
    void clearHeader() { m_header.fill(QString()); }

    int rowCount() const { return int(m_rows.size()); }
    const DetailRow& row(int r) const { return m_rows[r]; }
    DetailRow& row(int r) { return m_rows[r]; }
    QVector<DetailRow>& rows() { return m_rows; }
    const QVector<DetailRow>& rows() const { return m_rows; }

    // The text a cell holds: row number and texts as they are, amounts as plain decimal text ("" when empty).
    QString cellText(int r, int column) const;
    // What the grid shows: amounts through the column's format.
    QString displayText(int r, int column) const;
    // Sets a cell from text. A numeric cell takes the number of the text (an empty or non-numeric text
    // empties it); returns false when a numeric text was not a number.
    bool setCellText(int r, int column, const QString& text);
    std::optional<Money> cellValue(int r, int column) const;
    // The number of a cell: its value, 0 when empty.
    Money cellNumber(int r, int column) const { return cellValue(r, column).value_or(Money()); }

    // Grid rows are numbered from 1 as the user sees them; these take 0-based indexes.
    bool IsBlankRow(int r) const;
    Money columnSum(int column) const;

    void appendRow();            // an empty row numbered rowCount()
    void insertRow(int r);       // an empty row at r, the rows below renumbered
    void removeRow(int r);       // the rows below renumbered
    void renumber(int from = 0); // column 0 of rows from..end becomes their position (1-based)
    void clearRows() { m_rows.clear(); }

private:
    std::array<QString, HeaderFieldCount> m_header;
    QVector<DetailRow> m_rows;
};

} // namespace zq
