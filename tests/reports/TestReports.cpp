#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "declarations/DeclarationDocument.h"
#include "reports/DeclarationForm.h"
#include "reports/EmployeeYear.h"
#include "reports/UnitYear.h"
#include "ui/ReportWindows.h"
#include "ui/StringTableModel.h"

#include <QProcess>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;
using namespace zq::test;

namespace {

// The text of a PDF page by page, as pdftotext reads it back.
QStringList pdfPages(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()))};
    // Spaces are dropped: pdftotext loses the narrow ones.
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).remove(u' ').split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString idCard(int i)
{
    return QStringLiteral("1101011980%1").arg(i, 8, 10, QLatin1Char('0'));
}

// A declaration of n rows and the editor's blank row: person i earns 5000 + i and pays i/100 yuan, rate 20.
DeclarationDocument makeDocument(int n)
{
    DeclarationDocument doc;
    for (int i = 1; i <= n; ++i) {
        doc.appendRow();
        const QStringList cells = QStringLiteral("%1|职工%2|156|0100|01|%3|%4|20|||%5")
                                      .arg(idCard(i), QString::number(i), QString::number(5000 + i),
                                           QString::number(1000 + i), QString::number(i / 100.0, 'f', 2))
                                      .split(u'|');
        for (int c = ColIDCard; c <= ColTaxM1; ++c)
            doc.setCellText(i - 1, c, cells[c - ColIDCard]);
    }
    doc.appendRow();
    return doc;
}

// Declaration appId of unitId for month; each row "IDCard income taxable rate paid [reduction foreign]".
void storeDeclaration(Database& db, qint64 appId, qint64 unitId, const char* month, const QStringList& rows)
{
    execOrFail(
        db,
        QStringLiteral("insert into ApplT (AppID, UnitID, ComputerCode, Month, ApplyDate, DeclarePerson, "
                       "FactTax) values (?, ?, 'C1', ?, ?, '王会计', 0)"),
        {appId, unitId, month, month});
    int rowId = 0;
    for (const QString& row : rows) {
        const QStringList v = (row + QStringLiteral(" 0 0")).split(u' ');
        QVariantList binds{appId, ++rowId, v[0]};
        for (int i : {1, 2, 3, 5, 6, 4})
            binds << QVariant::fromValue<qlonglong>(Money::parse(v[i])->raw());
        execOrFail(
            db,
            QStringLiteral(
                "insert into ApplTInfo (AppID, RowId, IDCard, EmpName, NationCode, ProfCode, ProgCode, "
                "InComeM, TaxM, TaxRadio, ReduTax, NationTax, TaxM1) "
                "values (?, ?, ?, '某人', '156', '0100', '01', ?, ?, ?, ?, ?, ?)"),
            binds);
    }
}

// Unit 1 with employee E01 (ID A) over 2024: January in two declarations, March once; unit 2 and 2023 rows of
// the same person, and another person's rows, stay out.
void storeYear(Database& db)
{
    execOrFail(db,
               QStringLiteral("insert into UnitInfo (UnitID, UnitName) values (1, '甲公司'), (2, '乙公司')"));
    execOrFail(db,
               QStringLiteral("insert into Employee (UnitID, EmpID, EmpName, IDCard) values "
                              "(1, 'E01', '张三', 'A'), (1, 'E02', '李四', ''), (2, 'E01', '张三', 'A')"));
    storeDeclaration(db, 1, 1, "2024-01-01", {"A 5000 1500 10 45.5 5 1.25", "B 9000 5500 20 555"});
    storeDeclaration(db, 2, 1, "2024-01-01", {"A 1000 1000 20 200"});
    storeDeclaration(db, 3, 1, "2024-03-01", {"A 6000.5 2500.5 10 125.05", "C 7000 3500 10 0"});
    storeDeclaration(db, 4, 2, "2024-02-01", {"A 99999 99999 45 999"});
    storeDeclaration(db, 5, 1, "2023-12-01", {"A 88888 88888 45 888"});
    storeDeclaration(db, 6, 1, "2024-07-01", {}); // declared, no rows
}

} // namespace

// The printed declaration, an employee's year and the unit's year: drawn to PDF and read back.
class TestReports : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void declarationPdf_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("totals"); // income and tax paid
        // A landscape A4 page holds 20 rows below the header block; the totals and the signatures need the
        // room of about four rows after the last one. The editor's blank row is not printed.
        QTest::newRow("16 rows: the signatures still fit below") << 16 << 1 << "80,136.00 1.36";
        QTest::newRow("17 rows: the totals and signatures go to a page of their own")
            << 17 << 2 << "85,153.00 1.53";
    }
    void declarationPdf()
    {
        QFETCH(int, rows);
        QFETCH(int, pages);
        QFETCH(QString, totals);
        const DeclarationDocument doc = makeDocument(rows);
        DeclarationForm form(doc);
        QCOMPARE(form.printedRowCount(), rows);
        QCOMPARE(form.pageCount(), pages);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("form.pdf"));
        QCOMPARE(form.writePdfFile(path), std::nullopt);
        const QStringList text = pdfPages(path);
        QCOMPARE(text.size(), pages);
        // Each row whole on exactly one page: its identity number and income on one line.
        int seen = 0;
        for (int n = 1; n <= pages; ++n) {
            const int before = seen;
            for (const QString& line : text[n - 1].split(u'\n'))
                if (line.contains(idCard(seen + 1)) &&
                    line.contains(Money::fromUnits(5000 + seen + 1).format(u"#,##0.00")))
                    ++seen;
            QCOMPARE(seen - before, form.rowsOnPage(n));
        }
        QCOMPARE(seen, rows);
        for (const QString& total : totals.split(u' '))
            QVERIFY2(text.last().contains(total), qPrintable(total));
    }

    // The print command, without a display (the figures come from the stored declaration); an employee's year
    // as CSV and PDF; the unit's and the employee's year windows.
    void storedYear()
    {
        TempTaxDatabase t;
        storeYear(t.db());
        const QString out = QDir(t.dir()).filePath(QStringLiteral("decl.pdf"));
        const CommandRun ok = runCommandLine({"print", "--db", t.path(), "--app", "3", "--out", out});
        QCOMPARE(ok.code, 0);
        QCOMPARE(ok.out, QStringLiteral("%1\t1 pages\n").arg(out));
        QStringList pages = pdfPages(out);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("6,000.50")));

        QString problem;
        const auto y = EmployeeYear::load(t.db(), 1, QStringLiteral("E01"), 2024, &problem);
        QVERIFY2(y, qPrintable(problem));
        const QString csv = QString::fromUtf8(y->csv());
        QVERIFY2(csv.contains(QStringLiteral(
                     "\r\n2024-02,本月无申报,,,,,\r\n2024-03,6000.50,2500.50,10,0.00,0.00,125.05\r\n")),
                 qPrintable(csv));
        QFile f(QDir(t.dir()).filePath(QStringLiteral("y.pdf")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(y->writePdf(f), std::nullopt);
        f.close();
        pages = pdfPages(f.fileName());
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("12,000.50")) &&
                pages[0].contains(QStringLiteral("370.55")));
        // The rows of a statement are found by the identity number: an employee without one has none.
        QVERIFY(!EmployeeYear::load(t.db(), 1, QStringLiteral("E02"), 2024, &problem));
        QCOMPARE(problem, QStringLiteral("职工“李四”没有身份证件号码，无法找到其申报记录。"));

        ScriptedPrompter prompter;
        AppContext ctx;
        ctx.db = &t.db();
        ctx.prompter = &prompter;
        ui::UnitYearDialog unit(ctx, 1, QStringLiteral("甲公司"), 2024);
        // January: two declarations, two taxpayers; in March C paid nothing; July was declared without rows.
        QCOMPARE(unit.model()->row(0), (QStringList{"1月", "2", "800.50", "2"}));
        QCOMPARE(unit.model()->text(1, 1), QStringLiteral("无申报"));
        QCOMPARE(unit.model()->row(2), (QStringList{"3月", "1", "125.05", "1"}));
        QCOMPARE(unit.model()->text(12, 2), QStringLiteral("925.55"));

        ui::EmployeeYearDialog dialog(ctx, 1, QStringLiteral("E01"), 2024);
        QCOMPARE(dialog.model()->rowCount(), 13);
        QCOMPARE(dialog.model()->row(0),
                 (QStringList{"2024-01", "6,000.00", "2,500.00", "10、20", "5.00", "1.25", "245.50"}));
        QCOMPARE(dialog.model()->text(1, 1), EmployeeYear::noRowsText());
        QCOMPARE(dialog.model()->row(12),
                 (QStringList{"合计", "12,000.50", "5,000.50", "", "5.00", "1.25", "370.55"}));
        // A month without rows says so across the figures' columns; a declared month does not.
        QCOMPARE(dialog.findChild<QTableView*>()->columnSpan(1, 1), 6);
        // Another year: the sums follow, every month without a row marked.
        dialog.yearBox()->setValue(2023);
        QCOMPARE(dialog.model()->text(11, 6), QStringLiteral("888.00"));

        const QString path = QDir(t.dir()).filePath(QStringLiteral("zs"));
        prompter.queueText(path);
        dialog.exportCsv();
        QCOMPARE(prompter.last().text, QStringLiteral("导出成功！"));
        f.setFileName(path + QStringLiteral(".csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(f.readAll())
                    .contains(QStringLiteral("\r\n合计,88888.00,88888.00,,0.00,0.00,888.00\r\n")));
        QCOMPARE(prompter.unexpected(), 0);
    }
};

ZQ_TEST(TestReports)
#include "TestReports.moc"
