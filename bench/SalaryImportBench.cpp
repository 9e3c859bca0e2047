#include "SalaryImportBench.h"

#include "BenchData.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "core/Database.h"
#include "core/Prompter.h"
#include "core/TaxDatabase.h"
#include "declarations/SalaryImport.h"
#include "finance/DemoPackage.h"
#include "finance/FinanceConnection.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <stdexcept>
#include <vector>

namespace zq::bench {
namespace {

QString accountSetPath(const QString& windows)
{
    return windows + QStringLiteral("/Olvenka/Lumina 3.0/Data/001/0012012.mdb");
}

// The month's salary rows and the unit's employees: 18-digit identity numbers, names, amounts with cents.
void fillData(Database& taxDb, const QString& accountSet, qint64 rows, int months)
{
    {
        const QString name = Database::uniqueConnectionName(QStringLiteral("zq-bench-fill-"));
        auto owner = Database::adopt(name);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(accountSet);
            if (!db.open())
                throw std::runtime_error("cannot open the account set");
        }
        Transaction tx(*owner);
        owner->exec(QStringLiteral("delete from salary"));
        QSqlQuery insert = owner->prepare(QStringLiteral(
            "insert into salary(copy_month,emp_id,JBGZ,JJ,YFGZ,BX,YNSSD,JMS,DMJWS,Tax,SFGZ,SFZH) "
            "values(?,?,?,0,?,?,?,0,0,?,?,?)"));
        for (int month = months > 0 ? 1 : 3; month <= (months > 0 ? months : 3); ++month)
            for (qint64 i = 0; i < rows; ++i) {
                const qint64 cents = 500000 + (i * 7919) % 3000000;
                const qint64 insurance = cents / 10;
                const qint64 taxable = cents - insurance - 350000;
                const qint64 tax = taxable > 0 ? taxable / 10 : 1;
                const QVariantList values = {QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0')),
                                             QStringLiteral("E%1").arg(i, 6, 10, QLatin1Char('0')),
                                             double(cents) / 100,
                                             double(cents) / 100,
                                             double(insurance) / 100,
                                             double(qMax<qint64>(taxable, 0)) / 100,
                                             double(tax) / 100,
                                             double(cents - insurance - tax) / 100,
                                             QStringLiteral("3301061980%1").arg(i, 8, 10, QLatin1Char('0'))};
                for (qsizetype v = 0; v < values.size(); ++v)
                    insert.bindValue(int(v), values[v]);
                Database::run(insert);
            }
        tx.commit();
    }
    static const char16_t* const surnames[] = {u"王", u"李", u"张", u"刘", u"陈", u"杨", u"赵", u"黄"};
    static const char16_t* const given[] = {u"伟", u"芳", u"娜", u"敏", u"静", u"丽", u"强", u"磊", u"军"};
    Transaction tx(taxDb);
    QSqlQuery insert =
        taxDb.prepare(QStringLiteral("insert into Employee(UnitID,EmpID,EmpName,IDCard,NationCode,ProfCode) "
                                     "values(1,?,?,?,'156','0201')"));
    for (qint64 i = 0; i < rows; ++i) {
        insert.bindValue(0, QStringLiteral("E%1").arg(i, 6, 10, QLatin1Char('0')));
        insert.bindValue(1, QString::fromUtf16(surnames[i % 8]) + QString::fromUtf16(given[(i / 8) % 9]) +
                                QString::fromUtf16(given[(i / 72) % 9]));
        insert.bindValue(2, QStringLiteral("3301061980%1").arg(i, 8, 10, QLatin1Char('0')));
        Database::run(insert);
    }
    tx.commit();
}

} // namespace

Prompter::Answer SalaryImportBench::QuietPrompter::message(const QString&, const QString& text, Icon,
                                                           Buttons buttons)
{
    if (buttons == Buttons::YesNo)
        return Answer::Yes;
    last = text;
    return Answer::Ok;
}

std::optional<QString> SalaryImportBench::QuietPrompter::input(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}

std::optional<QString> SalaryImportBench::QuietPrompter::saveFileName(const QString&, const QString&,
                                                                      const QString&)
{
    return std::nullopt;
}

SalaryImportBench::SalaryImportBench(const QString& folder, qint64 rows, int months) : m_rows(rows)
{
    const QString dbPath = folder + u'/' + TaxDatabase::fileName();
    const QString windows = folder + QStringLiteral("/windows");
    m_accountSet = accountSetPath(windows);
    TaxDatabase::create(dbPath);
    m_taxDb = TaxDatabase::open(dbPath);
    finance::DemoPackage::create(windows);
    finance::DemoPackage::addUnits(*m_taxDb);
    fillData(*m_taxDb, m_accountSet, rows, months);
    m_settings = std::make_unique<AppSettings>(folder + QStringLiteral("/settings.ini"));
    m_settings->setTaxThreshold(QStringLiteral("3500"));
    m_ctx = AppContext{m_taxDb.get(), &m_prompter, m_settings.get(), folder, windows};
}

SalaryImportBench::~SalaryImportBench() = default;

bool SalaryImportBench::convertToAccess(QString* why)
{
    const QString tool = findSqlite2mdb();
    if (tool.isEmpty()) {
        *why = QStringLiteral("no sqlite2mdb beside the sources (set ZQ_SQLITE2MDB)");
        return false;
    }
    // The amounts become Currency columns, as the package keeps them.
    const QString currency = m_accountSet + QStringLiteral(".currency");
    const QString access = m_accountSet + QStringLiteral(".access");
    QProcess p;
    p.start(QStringLiteral("bash"),
            {QStringLiteral("-c"),
             QStringLiteral(
                 "set -e -o pipefail; sqlite3 \"$1\" .dump | sed -E '/^CREATE TABLE/ s/ REAL/ CURRENCY/g' "
                 "| sqlite3 \"$2\"; \"$3\" \"$2\" \"$4\" 2000"),
             QStringLiteral("convert"), m_accountSet, currency, tool, access});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        *why = QString::fromUtf8(p.readAllStandardError()).trimmed();
        return false;
    }
    QFile::remove(currency);
    if (!QFile::remove(m_accountSet) || !QFile::rename(access, m_accountSet)) {
        *why = QStringLiteral("cannot replace the account set");
        return false;
    }
    return true;
}

void SalaryImportBench::runImport(const QString& month)
{
    DeclarationDocument doc;
    doc.setHeader(HeaderField::Month, month);
    doc.appendRow();
    const SalaryImportResult result = SalaryImport(m_ctx, 1).ImportSalary(doc);
    if (result.status != SalaryImportResult::Status::Imported || doc.rowCount() != m_rows)
        throw std::runtime_error("the salary import failed: " + m_prompter.last.toStdString());
}

void SalaryImportBench::runBareRead()
{
    const auto finance =
        finance::OpenFinanceConnection(m_accountSet, QString(), QString(), QString(), m_settings.get());
    qint64 touched = 0;
    QSqlQuery salary = finance->prepare(
        QStringLiteral("select emp_id,YFGZ,YNSSD,JMS,DMJWS,Tax from salary where copy_month=? and Tax>0"));
    salary.bindValue(0, QStringLiteral("03"));
    Database::run(salary);
    while (salary.next())
        for (int c = 0; c < 6; ++c)
            touched += salary.value(c).toString().size();
    QSqlQuery employees = m_taxDb->prepare(
        QStringLiteral("select EmpID,IDCard,EmpName,NationCode,ProfCode from Employee where UnitID=?"));
    employees.bindValue(0, 1);
    Database::run(employees);
    while (employees.next())
        for (int c = 0; c < 5; ++c)
            touched += employees.value(c).toString().size();
    if (touched == 0)
        throw std::runtime_error("the bare salary read read nothing");
}

} // namespace zq::bench
