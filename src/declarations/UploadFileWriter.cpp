#include "UploadFileWriter.h"

#include "core/Database.h"
#include "core/Dates.h"
#include "core/Gbk.h"
#include "core/TextHelpers.h"

#include <QIODevice>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace zq {
namespace {

// Titles of the detail cells A to L, as line 14 of the file shows them; messages name a column by them.
constexpr const char16_t* kDetailTitles[] = {u"序号",     u"身份证件号码", u"姓名",         u"国籍编码",
                                             u"职业编码", u"所得项目",     u"纳税人收入额", u"应纳税所得额",
                                             u"税率(％)", u"减免税额",     u"抵免境外税额", u"本张实缴税额"};

// How each detail column is written.
enum class Cell { Number, Text, Amount };
constexpr Cell kDetailCells[] = {Cell::Number, Cell::Text,   Cell::Text,   Cell::Text,
                                 Cell::Text,   Cell::Text,   Cell::Amount, Cell::Amount,
                                 Cell::Amount, Cell::Amount, Cell::Amount, Cell::Amount};

// The header's fixed lines and labels. Line 6 is a rule of 208 hyphens.
const QString kTitleLine = QStringLiteral("代扣代缴个人所得税明细申报表,,,,,,,,,,,,");
const QString kEmptyLine = QStringLiteral(",,,,,,,,,,,,");
const QString kStatement = UploadFileWriter::declarationText() + QStringLiteral(",,,,,,,,,,声明人,");
const QString kCurrencyLine = QStringLiteral("人民币：        元（角-分）,,,,,,,,,,,,");
const QString kTitlesLine = QStringLiteral("序号,身份证件号码,姓名,国籍编码,职业编码,所得项目,纳税人收入额,"
                                           "应纳税所得额,税率(％),减免税额,抵免境外税额,本张实缴税额,");

const char kCrLf[] = "\r\n";

QString where(qint64 row, const QString& column)
{
    return row > 0 ? QStringLiteral("第%1行“%2”").arg(row).arg(column)
                   : QStringLiteral("表头“%1”").arg(column);
}

UploadProblem unencodable(qint64 row, const QString& column, const QString& text, qsizetype index)
{
    UploadProblem p;
    p.kind = UploadProblem::Kind::Unencodable;
    p.row = row;
    p.column = column;
    p.character = Gbk::characterAt(text, index);
    const QString cp = QStringLiteral("%1")
                           .arg(qulonglong(p.character.toUcs4().value(0)), 4, 16, QLatin1Char('0'))
                           .toUpper();
    p.message =
        QStringLiteral("%1中的字符“%2”（U+%3）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。")
            .arg(where(row, column), p.character, cp);
    return p;
}

UploadProblem separator(qint64 row, const QString& column)
{
    UploadProblem p;
    p.kind = UploadProblem::Kind::Separator;
    p.row = row;
    p.column = column;
    p.message = QStringLiteral("%1的内容含有逗号或换行，会打乱上传文件的列，不能写入。请修改申报表后再生成。")
                    .arg(where(row, column));
    return p;
}

UploadProblem badAmount(qint64 row, const QString& column, const QString& text)
{
    UploadProblem p;
    p.kind = UploadProblem::Kind::BadAmount;
    p.row = row;
    p.column = column;
    p.message = QStringLiteral("%1的值“%2”不是有效的金额，不能写入上传文件。").arg(where(row, column), text);
    return p;
}

UploadProblem noEncoder()
{
    UploadProblem p;
    p.kind = UploadProblem::Kind::Unencodable;
    p.message = QStringLiteral("本机不能按GBK编码写文本，上传文件没有生成。");
    return p;
}

bool hasSeparator(QStringView text)
{
    for (const QChar c : text)
        if (c == u',' || c == u'\r' || c == u'\n')
            return true;
    return false;
}

// Encodes the header block, keeping the first problem.
class HeaderBuilder {
public:
    explicit HeaderBuilder(QByteArray& out) : m_out(out) {}

    void literal(const QString& text)
    {
        if (m_problem)
            return;
        if (!m_gbk.encode(text, m_out))
            m_problem = noEncoder();
    }
    void text(const QString& value, const QString& label)
    {
        if (m_problem)
            return;
        if (hasSeparator(value)) {
            m_problem = separator(0, label);
            return;
        }
        qsizetype bad = -1;
        if (!m_gbk.encode(value, m_out, &bad))
            m_problem = unencodable(0, label, value, bad);
    }
    void count(const QVariant& value, const QString& label)
    {
        if (!value.isNull())
            text(value.toString(), label);
    }
    void amount(const QVariant& value, const QString& label)
    {
        if (m_problem || value.isNull())
            return;
        if (value.typeId() != QMetaType::LongLong && value.typeId() != QMetaType::Int) {
            m_problem = badAmount(0, label, value.toString());
            return;
        }
        UploadFileWriter::appendAmount(Money::fromStored(value), m_out);
    }
    void endLine() { m_out.append(kCrLf, 2); }

    const std::optional<UploadProblem>& problem() const { return m_problem; }

private:
    QByteArray& m_out;
    Gbk m_gbk;
    std::optional<UploadProblem> m_problem;
};

// A stored date in its file form; a value that is not a date is written as stored rather than dropped.
QString dateText(const QVariant& value, bool monthOnly)
{
    if (value.isNull())
        return QString();
    const QDate d = Dates::fromStored(value);
    if (!d.isValid())
        return value.toString();
    return monthOnly ? Dates::formatMonth(d) : Dates::formatDate(d);
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

std::optional<UploadProblem> buildHeader(const Database& db, qint64 appId, QByteArray& out)
{
    const Rows rows = db.select(
        QStringLiteral("select ComputerCode, Phone, Month, ApplyDate, DeclarePerson, UnitMen, UnitTaxMen, "
                       "OthMen, OthTaxMen, InComeM, TaxMs, TaxM, ReduTaxM, OutTaxM, FactTax, OweTax, BookNo "
                       "from ApplT where AppID = ?"),
        {QVariant::fromValue<qlonglong>(appId)});
    if (rows.isEmpty()) {
        UploadProblem p;
        p.kind = UploadProblem::Kind::MissingDeclaration;
        p.message = QStringLiteral("找不到这张申报表（编号 %1），它可能已被删除。").arg(appId);
        return p;
    }
    const QVariantList& v = rows.data.first();
    HeaderBuilder h(out);
    h.literal(kTitleLine);
    h.endLine();
    h.literal(kEmptyLine);
    h.endLine();
    h.literal(QStringLiteral("计算机代码,,"));
    h.text(v[0].toString(), QStringLiteral("计算机代码"));
    h.literal(QStringLiteral(",,,,,,,,,,"));
    h.endLine();
    h.literal(QStringLiteral("有效联系电话,,"));
    h.text(v[1].toString(), QStringLiteral("有效联系电话"));
    h.literal(QStringLiteral(",,,税款所属月份 ,,"));
    h.text(dateText(v[2], true), QStringLiteral("税款所属月份"));
    h.literal(QStringLiteral(",,申报日期,,"));
    h.text(dateText(v[3], false), QStringLiteral("申报日期"));
    h.literal(QStringLiteral(","));
    h.endLine();
    h.literal(kStatement);
    h.text(v[4].toString(), QStringLiteral("声明人"));
    h.literal(QStringLiteral(","));
    h.endLine();
    h.literal(QString(208, u'-') + kEmptyLine);
    h.endLine();
    h.literal(kCurrencyLine);
    h.endLine();
    h.literal(kEmptyLine);
    h.endLine();

    struct TotalsLine {
        const char16_t* countLabel;
        int count;
        const char16_t* leftLabel;
        int left;
        const char16_t* rightLabel;
        int right;
    };
    const TotalsLine totals[] = {
        {u"本期本单位总人数", 5, u"全部人员收入总额", 9, u"本期应扣缴税额", 13},
        {u"其中纳税总人数", 6, u"纳税人收入总额", 10, u"本张实缴税额", 14},
        {u"本期非本单位总人数", 7, u"应纳税所得额", 11, u"本期欠缴税额", 15},
        {u"其中纳税人数", 8, u"减免税额", 12, u"缴款书号码", 16},
    };
    for (const TotalsLine& t : totals) {
        const QString countLabel = QString::fromUtf16(t.countLabel);
        const QString leftLabel = QString::fromUtf16(t.leftLabel);
        const QString rightLabel = QString::fromUtf16(t.rightLabel);
        h.literal(countLabel + QStringLiteral(",,"));
        h.count(v[t.count], countLabel);
        h.literal(QStringLiteral(",,,") + leftLabel + QStringLiteral(",,"));
        h.amount(v[t.left], leftLabel);
        h.literal(QStringLiteral(",,") + rightLabel + QStringLiteral(",,"));
        if (t.right == 16)
            h.text(NullToText(v[16]), rightLabel);
        else
            h.amount(v[t.right], rightLabel);
        h.literal(QStringLiteral(","));
        h.endLine();
    }
    h.literal(kEmptyLine);
    h.endLine();
    h.literal(kTitlesLine);
    h.endLine();
    h.literal(kEmptyLine);
    h.endLine();
    return h.problem();
}

// Writes an amount's "0.00" text backwards, ending at end; returns where it starts.
char* amountText(qint64 raw, char* end)
{
    // Hundredths of the magnitude, rounded half away from zero; unsigned so the smallest value has a
    // magnitude.
    const quint64 magnitude = raw < 0 ? quint64(0) - quint64(raw) : quint64(raw);
    const quint64 cents = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
    char* p = end;
    quint64 rest = cents;
    *--p = char('0' + rest % 10);
    rest /= 10;
    *--p = char('0' + rest % 10);
    rest /= 10;
    *--p = '.';
    do {
        *--p = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (raw < 0 && cents != 0)
        *--p = '-';
    return p;
}

// GBK is stateless, so a text's encoding is its characters' encodings one after the other. Names use a few
// thousand characters: each is looked up through Gbk once, then copied from this table.
class GbkCharCache {
public:
    explicit GbkCharCache(Gbk& gbk) : m_gbk(gbk), m_codes(0x10000, 0) {}

    // Appends the GBK bytes of UTF-8 text; false (line unchanged) for anything the table does not serve,
    // which the caller then encodes the slow way: characters outside the BMP, unencodable ones, malformed
    // UTF-8.
    bool append(const unsigned char* text, int n, std::string& line)
    {
        const size_t start = line.size();
        for (int i = 0; i < n;) {
            char16_t u;
            const unsigned char b = text[i];
            if (b < 0x80) {
                line += char(b);
                ++i;
                continue;
            }
            if (b >= 0xC2 && b < 0xE0 && i + 1 < n && (text[i + 1] & 0xC0) == 0x80) {
                u = char16_t(((b & 0x1F) << 6) | (text[i + 1] & 0x3F));
                i += 2;
            } else if (b >= 0xE0 && b < 0xF0 && i + 2 < n && (text[i + 1] & 0xC0) == 0x80 &&
                       (text[i + 2] & 0xC0) == 0x80) {
                u = char16_t(((b & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F));
                i += 3;
                if (u < 0x800 || (u >= 0xD800 && u < 0xE000)) {
                    line.resize(start);
                    return false;
                }
            } else {
                line.resize(start);
                return false;
            }
            quint16& code = m_codes[u];
            if (code == 0)
                code = lookUp(u);
            if (code == kNotServed) {
                line.resize(start);
                return false;
            }
            if (code > 0xFF)
                line += char(code >> 8);
            line += char(code & 0xFF);
        }
        return true;
    }

private:
    static constexpr quint16 kNotServed = 0xFFFF; // 0xFF never leads a GBK character

    quint16 lookUp(char16_t u)
    {
        QByteArray bytes;
        const QChar c(u);
        if (!m_gbk.encode(QStringView(&c, 1), bytes))
            return kNotServed;
        const auto b0 = quint16(bytes.isEmpty() ? 0 : static_cast<unsigned char>(bytes[0]));
        if (bytes.size() == 1 && b0 >= 0x80)
            return b0;
        if (bytes.size() == 2 && b0 >= 0x81 && b0 != 0xFF)
            return quint16(b0 << 8 | static_cast<unsigned char>(bytes[1]));
        return kNotServed;
    }

    Gbk& m_gbk;
    std::vector<quint16> m_codes; // by UTF-16 code unit: 0 not yet looked up, else the GBK code
};

std::optional<UploadProblem> buildDetails(const Database& db, qint64 appId, QByteArray& out)
{
    sqlite3* handle = db.sqliteHandle();
    if (!handle)
        throw DatabaseError(-1, QStringLiteral("上传文件只能从本系统的数据库生成。"));
    {
        // One allocation for the whole file instead of a growing buffer that copies itself again and again.
        Statement count;
        static const char countSql[] = "select count(*) from ApplTInfo where AppID = ?1";
        int rc = sqlite3_prepare_v2(handle, countSql, int(sizeof countSql), &count.stmt, nullptr);
        if (rc != SQLITE_OK)
            db.throwSqliteError(rc);
        sqlite3_bind_int64(count.stmt, 1, appId);
        if ((rc = sqlite3_step(count.stmt)) != SQLITE_ROW)
            db.throwSqliteError(rc);
        constexpr qint64 typicalLineBytes = 112;
        out.reserve(out.size() + qsizetype(sqlite3_column_int64(count.stmt, 0) * typicalLineBytes));
    }
    Statement s;
    // _rowid_ keeps rows with the same RowId in the order they were stored.
    static const char sql[] = "select RowId, IDCard, EmpName, NationCode, ProfCode, ProgCode, InComeM, TaxM, "
                              "TaxRadio, ReduTax, NationTax, TaxM1 from ApplTInfo where AppID = ?1 "
                              "order by RowId, _rowid_";
    int rc = sqlite3_prepare_v2(handle, sql, int(sizeof sql), &s.stmt, nullptr);
    if (rc != SQLITE_OK)
        db.throwSqliteError(rc);
    sqlite3_bind_int64(s.stmt, 1, appId);

    Gbk gbk;
    GbkCharCache cache(gbk);
    std::string line;
    line.reserve(256);
    qint64 position = 0;
    qint64 rowId = 0;
    // A row is named by its RowId, or by its place when it has none.
    const auto rowNumber = [&] { return rowId > 0 ? rowId : position; };
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        ++position;
        // Taken before the RowId is read as text: a value's type is not reliable after a conversion.
        sqlite3_value* first = sqlite3_column_value(s.stmt, 0);
        rowId = sqlite3_value_type(first) == SQLITE_INTEGER ? sqlite3_value_int64(first) : 0;
        line.clear();
        for (int c = 0; c < 12; ++c) {
            // Each sqlite3_column_* call takes the connection's mutex; the value's own accessors do not. The
            // value is used on this thread only, while the statement stays on this row.
            sqlite3_value* value = c == 0 ? first : sqlite3_column_value(s.stmt, c);
            const int type = sqlite3_value_type(value);
            if (type == SQLITE_NULL) {
                // A null value is an empty cell.
            } else if (kDetailCells[c] == Cell::Amount) {
                if (type != SQLITE_INTEGER) {
                    const QString shown = QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_value_text(value)), sqlite3_value_bytes(value));
                    return badAmount(rowNumber(), QString::fromUtf16(kDetailTitles[c]), shown);
                }
                char buf[32];
                const char* text = amountText(sqlite3_value_int64(value), buf + sizeof buf);
                line.append(text, size_t(buf + sizeof buf - text));
            } else {
                const unsigned char* text = sqlite3_value_text(value);
                const int n = sqlite3_value_bytes(value);
                bool ascii = true;
                for (int i = 0; i < n; ++i) {
                    const unsigned char b = text[i];
                    if (b == ',' || b == '\r' || b == '\n')
                        return separator(rowNumber(), QString::fromUtf16(kDetailTitles[c]));
                    ascii = ascii && b < 0x80;
                }
                if (ascii) {
                    // ASCII is the same in UTF-8 and GBK.
                    line.append(reinterpret_cast<const char*>(text), size_t(n));
                } else if (!cache.append(text, n, line)) {
                    const QString decoded = QString::fromUtf8(reinterpret_cast<const char*>(text), n);
                    QByteArray bytes;
                    qsizetype bad = -1;
                    if (!gbk.encode(decoded, bytes, &bad))
                        return unencodable(rowNumber(), QString::fromUtf16(kDetailTitles[c]), decoded, bad);
                    line.append(bytes.constData(), size_t(bytes.size()));
                }
            }
            line += ',';
        }
        line += kCrLf;
        out.append(line.data(), qsizetype(line.size()));
    }
    if (rc != SQLITE_DONE)
        db.throwSqliteError(rc);
    return std::nullopt;
}

} // namespace

QString UploadFileWriter::declarationText()
{
    return QStringLiteral("扣缴义务人声明：我声明，此扣缴申报表是根据《中华人民共和国个人所得税法》"
                          "的有关规定填报，我确信它是真实、可靠的、完整的。");
}

UploadFileWriter::UploadFileWriter(const Database& db) : m_db(db) {}

void UploadFileWriter::appendAmount(Money amount, QByteArray& out)
{
    char buf[32];
    const char* text = amountText(amount.raw(), buf + sizeof buf);
    out.append(text, qsizetype(buf + sizeof buf - text));
}

std::optional<UploadProblem> UploadFileWriter::build(qint64 appId, QByteArray& out) const
{
    const qsizetype start = out.size();
    if (!Gbk().isValid())
        return noEncoder();
    try {
        auto problem = buildHeader(m_db, appId, out);
        if (!problem)
            problem = buildDetails(m_db, appId, out);
        if (problem)
            out.truncate(start);
        return problem;
    } catch (const DatabaseError& e) {
        out.truncate(start);
        UploadProblem p;
        p.kind = UploadProblem::Kind::Database;
        p.message = errorTypeMessage(e);
        return p;
    }
}

std::optional<UploadProblem> UploadFileWriter::write(qint64 appId, QIODevice& device) const
{
    QByteArray bytes;
    if (auto problem = build(appId, bytes))
        return problem;
    if (device.write(bytes) != bytes.size()) {
        UploadProblem p;
        p.kind = UploadProblem::Kind::File;
        p.message = QStringLiteral("不能写入上传文件：%1").arg(device.errorString());
        return p;
    }
    return std::nullopt;
}

} // namespace zq
