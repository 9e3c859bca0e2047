#include "SalaryImportFixture.h"

#include <QProcess>
#include <QProcessEnvironment>

using namespace zq;
using namespace zq::test;

// zqsaltax-cli import-salary: the boxes and rows the import would put into a new declaration.
class TestSalaryImportCli : public QObject {
    Q_OBJECT
private slots:
    void printsBoxesAndRows_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed"); // standard output on success, else the start of standard error
        const QString march = QStringLiteral(
            "本单位总人数\t3\n其中纳税总人数\t2\n纳税收入总额\t13,000.50\n应纳税所得额\t9,400."
            "50\n减免税额\t100.00\n"
            "实缴税额\t940.05\n\n1\t110101198001010015\t张三\t156\t0201\t01\t5000\t3200\t15\t0\t0\t195\n"
            "2\t\t\t\t\t01\t8000.5\t6200.5\t15\t100\t7\t745.05\n");
        QTest::newRow("March with threshold 800: 15, not 10, for the first row")
            << QStringList{"--unit", "1", "--month", "2012-03", "--threshold", "800"} << 0 << march;
        QTest::newRow("blank month") << QStringList{"--unit", "1", "--month", ""} << 2
                                     << "税款所属月份 \n不能为空!\n";
    }
    void printsBoxesAndRows()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        SalaryImportFixture f;
        f.addSalary({SalaryImportFixture::salary("03", "E001", 5000, 3200, 0, 0, 195),
                     SalaryImportFixture::salary("03", "E002", 8000.5, 6200.5, 100, 7, 745.05),
                     SalaryImportFixture::salary("03", "E003", 3000, 1200, 0, 0, 0)});
        f.setBrackets({{0, 5}, {3500, 15}, {500, 10}}); // 3200 + 800 is above 3500, 3200 is not
        f.addEmployee("E001", "张三", "110101198001010015");
        f.tax.close();

        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", f.root.filePath("config")); // the user's settings stay out of it
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZQ_BIN_DIR) + "/zqsaltax-cli",
                QStringList{"import-salary", "--windows", f.windowsFolder(), "--db", f.tax.path()} + args);
        QVERIFY(p.waitForFinished(60000));
        const QString stderrText = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), exitCode ? QString() : printed);
        QVERIFY2(exitCode ? stderrText.startsWith(printed) : stderrText.isEmpty(), qPrintable(stderrText));
        QCOMPARE(p.exitCode(), exitCode);
        f.tax.reopen();
        QCOMPARE(f.tax.db().scalar("select count(*) from ApplT").toInt(), 0); // nothing is saved
    }
};

ZQ_TEST(TestSalaryImportCli)
#include "TestSalaryImportCli.moc"
