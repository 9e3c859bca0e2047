#include "DeclarationStore.h"

#include "core/Database.h"
#include "core/Dates.h"
#include "core/TextHelpers.h"

#include <sqlite3.h>

namespace zq {
namespace {

using F = HeaderField;

constexpr F kCounts[] = {F::UnitMen, F::UnitTaxMen, F::OthMen, F::OthTaxMen};
constexpr F kAmounts[] = {F::InComeM, F::TaxMs, F::TaxM, F::ReduTaxM, F::OutTaxM, F::FactTax, F::OweTax};
constexpr F kTexts[] = {F::ComputerCode, F::Phone, F::DeclarePerson};

QString columnName(F f)
{
    return QString::fromLatin1(DeclarationDocument::storedColumn(f));
}

DatabaseError notANumber(F f, const QString& text)
{
    return DatabaseError(
        -1, QStringLiteral("%1“%2”不是有效的数字。").arg(DeclarationDocument::caption(f).trimmed(), text));
}

// A date box as stored: the normalised date when it reads as one, the text otherwise.
QString storedDate(const QString& text)
{
    const QDate d = Dates::parse(text);
    return d.isValid() ? Dates::formatDate(d) : text;
}

// A statement on the own database's SQLite handle, finalised when it goes out of scope.
class Statement {
public:
    Statement(const Database& db, const char* sql) : m_db(db)
    {
        m_handle = db.sqliteHandle();
        if (!m_handle)
            throw DatabaseError(-1, QStringLiteral("the own database is not a SQLite database"));
        const int rc = sqlite3_prepare_v2(m_handle, sql, -1, &m_stmt, nullptr);
        if (rc != SQLITE_OK)
            db.throwSqliteError(rc);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    void bindText(int i, const QString& s)
    {
        sqlite3_bind_text16(m_stmt, i, s.utf16(), int(s.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
    }
    void bindInt(int i, qint64 v) { sqlite3_bind_int64(m_stmt, i, v); }
    // Runs to completion (a write); resets for the next run.
    void exec()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_DONE) {
            const int code = rc;
            sqlite3_reset(m_stmt);
            m_db.throwSqliteError(code);
        }
        sqlite3_reset(m_stmt);
    }
    bool next()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            m_db.throwSqliteError(rc);
        return false;
    }
    QString text(int i) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        if (!p)
            return QString();
        return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, i));
    }
    // The same text as the previous call with the same cache returns the same shared string, so the codes
    // that repeat on every row take no memory of their own.
    QString sharedText(int i, QByteArray& lastBytes, QString& lastText) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        if (!p)
            return QString();
        const QByteArrayView bytes(p, sqlite3_column_bytes(m_stmt, i));
        if (bytes != lastBytes) {
            lastBytes = bytes.toByteArray();
            lastText = QString::fromUtf8(bytes);
        }
        return lastText;
    }
    qint64 integer(int i) const { return sqlite3_column_int64(m_stmt, i); }
    std::optional<Money> money(int i) const
    {
        switch (sqlite3_column_type(m_stmt, i)) {
        case SQLITE_NULL:
            return std::nullopt;
        case SQLITE_INTEGER:
            return Money::fromRaw(sqlite3_column_int64(m_stmt, i));
        case SQLITE_FLOAT:
            return Money::fromRaw(qRound64(sqlite3_column_double(m_stmt, i)));
        default:
            return Money::fromStored(text(i));
        }
    }

private:
    const Database& m_db;
    sqlite3* m_handle = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace

qint64 DeclarationStore::storedCount(const QString& text, HeaderField f)
{
    const QString formatted = FormatOrZero(text, u"00");
    const auto m = Money::parse(formatted);
    if (!m)
        throw notANumber(f, text);
    return m->raw() / Money::Scale;
}

Money DeclarationStore::storedAmount(const QString& text, HeaderField f)
{
    const QString formatted = FormatOrZero(text, u"0.00");
    const auto m = Money::parse(formatted);
    if (!m)
        throw notANumber(f, text);
    return *m;
}

void DeclarationStore::loadNew(DeclarationDocument& doc, qint64 unitId, const QDate& today) const
{
    doc.clearHeader();
    doc.setHeader(F::Month, Dates::formatMonth(today));
    doc.setHeader(F::ApplyDate, Dates::formatDate(today));
    const Rows unit = m_db.select(QStringLiteral("select * from UnitInfo where UnitID=?"), {unitId});
    if (!unit.isEmpty()) {
        doc.setHeader(F::ComputerCode, unit.value(0, u"ComputerCode").toString());
        doc.setHeader(F::Phone, unit.value(0, u"Phone").toString());
        doc.setHeader(F::DeclarePerson, unit.value(0, u"DeclarePerson").toString());
    }
    doc.clearRows();
    doc.appendRow();
}

bool DeclarationStore::loadStored(DeclarationDocument& doc, qint64 appId) const
{
    const Rows head = m_db.select(QStringLiteral("select * from ApplT where AppID=?"), {appId});
    if (!head.isEmpty()) {
        for (F f : kTexts)
            doc.setHeader(f, head.value(0, columnName(f)).toString());
        const QVariant month = head.value(0, u"Month");
        const QDate m = Dates::fromStored(month);
        doc.setHeader(F::Month, m.isValid() ? Dates::formatMonth(m) : NullToText(month));
        const QVariant date = head.value(0, u"ApplyDate");
        const QDate d = Dates::fromStored(date);
        doc.setHeader(F::ApplyDate, d.isValid() ? Dates::formatDate(d) : NullToText(date));
        for (F f : kCounts)
            doc.setHeader(f, FormatNonZero(head.value(0, columnName(f)), u"##"));
        for (F f : kAmounts) {
            const QVariant v = head.value(0, columnName(f));
            doc.setHeader(f, FormatNonZero(v.isNull() ? v : QVariant(Money::fromStored(v).toPlainString()),
                                           u"#,##0.00"));
        }
        doc.setHeader(F::BookNo, NullToText(head.value(0, u"BookNo")));
    }

    Statement q(m_db, "select RowId,IDCard,EmpName,NationCode,ProfCode,ProgCode,"
                      "InComeM,TaxM,TaxRadio,ReduTax,NationTax,TaxM1 from ApplTInfo where AppID=?");
    q.bindInt(1, appId);
    QVector<DetailRow>& rows = doc.rows();
    rows.clear();
    rows.reserve(
        m_db.scalar(QStringLiteral("select count(*) from ApplTInfo where AppID=?"), {appId}).toInt());
    QByteArray lastBytes[3];
    QString lastText[3];
    while (q.next()) {
        DetailRow row;
        row.rowNo = q.integer(0);
        row.texts[0] = q.text(1);
        row.texts[1] = q.text(2);
        for (int i = 0; i < 3; ++i) // the three codes
            row.texts[2 + i] = q.sharedText(3 + i, lastBytes[i], lastText[i]);
        for (int i = 0; i < 6; ++i)
            row.amounts[i] = q.money(6 + i);
        rows.append(std::move(row));
    }
    return !head.isEmpty();
}

qint64 DeclarationStore::newAppId() const
{
    return m_db.nextKey(QStringLiteral("select max(AppID) as MaxAppID from ApplT "));
}

void DeclarationStore::save(const DeclarationDocument& doc, qint64 appId, qint64 unitId)
{
    // Convert every box first: a value that is not a number stops the save before anything is written.
    qint64 counts[4];
    for (int i = 0; i < 4; ++i)
        counts[i] = storedCount(doc.header(kCounts[i]), kCounts[i]);
    Money amounts[7];
    for (int i = 0; i < 7; ++i)
        amounts[i] = storedAmount(doc.header(kAmounts[i]), kAmounts[i]);

    Transaction tx(m_db);
    const bool exists =
        m_db.scalar(QStringLiteral("select count(*) from ApplT where AppID=?"), {appId}).toInt() > 0;
    if (!exists)
        m_db.exec(QStringLiteral("insert into ApplT(AppID) values(?)"), {appId});
    QVariantList values{unitId,
                        doc.header(F::ComputerCode),
                        doc.header(F::Phone),
                        storedDate(doc.header(F::Month) + QStringLiteral("-01")),
                        storedDate(doc.header(F::ApplyDate)),
                        doc.header(F::DeclarePerson)};
    for (qint64 c : counts)
        values << c;
    for (const Money& m : amounts)
        values << m.toStored();
    values << doc.header(F::BookNo) << appId;
    m_db.exec(
        QStringLiteral("update ApplT set UnitID=?,ComputerCode=?,Phone=?,Month=?,ApplyDate=?,DeclarePerson=?,"
                       "UnitMen=?,UnitTaxMen=?,OthMen=?,OthTaxMen=?,InComeM=?,TaxMs=?,TaxM=?,ReduTaxM=?,"
                       "OutTaxM=?,FactTax=?,OweTax=?,BookNo=? where AppID=?"),
        values);
    m_db.exec(QStringLiteral("delete from ApplTInfo where AppID=?"), {appId});

    Statement ins(m_db, "insert into ApplTInfo(AppID,ID,RowId,IDCard,EmpName,NationCode,ProfCode,ProgCode,"
                        "InComeM,TaxM,TaxRadio,ReduTax,NationTax,TaxM1) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    int n = doc.rowCount();
    if (n > 0 && doc.IsBlankRow(n - 1))
        --n;
    for (int r = 0; r < n; ++r) {
        const DetailRow& row = doc.row(r);
        ins.bindInt(1, appId);
        ins.bindInt(2, r + 1);
        ins.bindInt(3, r + 1);
        for (int i = 0; i < 5; ++i)
            ins.bindText(4 + i, row.texts[i]);
        for (int i = 0; i < 6; ++i)
            ins.bindInt(9 + i, row.amounts[i].value_or(Money()).raw());
        ins.exec();
    }
    tx.commit();
}

} // namespace zq
