#include "DeclarationFixtures.h"
#include "TestSupport.h"
#include "declarations/DeclarationStore.h"

#include <QProcess>
#include <QTest>

using namespace zq;
using namespace zq::test;

class TestCheckCommand : public QObject {
    Q_OBJECT
private slots:
    // Declaration 1 passes, 2 has a refused book number and a warning, 3 only the warning.
    void exitCodesAndMessages_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errContains");
        const QString warning = "警告 第1行 身份证件号码：校验码“5”错误；应为：按前17位计算的校验码“0”\n";
        const QString refusal = "缴款书号中不能包含逗号\n";
        QTest::newRow("passes") << QStringList{"--app", "1"} << 0 << ""
                                << "";
        QTest::newRow("warnings do not fail")
            << QStringList{"--app", "3", "--warnings"} << 0 << warning << "";
        QTest::newRow("warnings first")
            << QStringList{"--warnings", "--app", "2"} << 1 << warning + refusal << "";
        QTest::newRow("no such declaration") << QStringList{"--app", "9"} << 2 << ""
                                             << "no declaration 9";
    }
    void exitCodesAndMessages()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, errContains);
        TempTaxDatabase t;
        DeclarationStore store(t.db());
        store.save(validDocument(), 1, 1);
        DeclarationDocument doubtful = cleanDocument();
        doubtful.setCellText(0, ColIDCard, "110101198001010015");
        store.save(doubtful, 3, 1);
        doubtful.setHeader(HeaderField::BookNo, "BK,123456");
        store.save(doubtful, 2, 1);
        t.close();
        QProcess p;
        p.start(QStringLiteral(ZQ_BIN_DIR) + "/zqsaltax-cli", QStringList{"check", "--db", t.path()} + args);
        QVERIFY(p.waitForFinished(60000));
        QTEST(p.exitCode(), "exitCode");
        QTEST(QString::fromUtf8(p.readAllStandardOutput()), "out");
        QVERIFY2(QString::fromUtf8(p.readAllStandardError()).contains(errContains), qPrintable(errContains));
    }
};

ZQ_TEST(TestCheckCommand)
#include "TestCheckCommand.moc"
