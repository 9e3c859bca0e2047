#include "SalaryImportFixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QLineEdit>
#include <QProgressDialog>

using namespace zq;
using namespace zq::test;
using namespace zq::ui;
using F = HeaderField;

namespace {

// Notes at every message whether an import progress box is still about (shown, or due to show itself).
class ProgressWatcher : public ScriptedPrompter {
public:
    QWidget* window = nullptr;
    QList<bool> progressAbout;
    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override
    {
        progressAbout << !window->findChildren<QProgressDialog*>().isEmpty();
        return ScriptedPrompter::message(title, text, icon, buttons);
    }
};

} // namespace

// "导入" pressed in the real declaration editor on a new declaration of unit 1 with one typed row.
class TestSalaryImportWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Yes: the boxes show the month's totals, the user's cell stays current, and nothing is stored yet.
    void importInTheEditor()
    {
        SalaryImportFixture f;
        f.fillMarch();
        ProgressWatcher watcher;
        f.ctx.prompter = &watcher;
        TestHost host;
        DeclarationEditor ed(f.ctx, &host, 1);
        watcher.window = &ed;
        ed.setAttribute(Qt::WA_DeleteOnClose, false);
        ed.StartWin(true, 0);
        ed.box(F::Month)->setText("2012-03");
        ed.model()->setCellText(0, ColEmpName, "手工");
        ed.model()->setCellText(0, ColInComeM, "250");
        ed.setModified(false);
        QAbstractItemModelTester tester(ed.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        ed.grid()->setCurrentIndex(ed.model()->index(0, ColTaxM1));
        watcher.queue(Prompter::Answer::Yes);
        ed.action("导入")->trigger();

        QCOMPARE(watcher.last().text, QString("导入3条数据"));
        QCOMPARE(watcher.progressAbout, QList<bool>(watcher.records().size(), false));
        QStringList boxes;
        for (F b : {F::UnitMen, F::UnitTaxMen, F::TaxMs, F::TaxM, F::ReduTaxM, F::FactTax})
            boxes << ed.box(b)->text();
        QCOMPARE(boxes, QStringList({"4", "3", "17,000.50", "11,400.50", "100.00", "965.05"}));
        QVERIFY(ed.isModified() && ed.action("保存")->isEnabled());
        QCOMPARE(ed.grid()->currentIndex(), ed.model()->index(0, ColTaxM1)); // the user's cell stays
        QCOMPARE(ed.model()->index(0, ColInComeM).data().toString(), QString("5,000.00"));
        QCOMPARE(ed.document().header(F::TaxMs), QString("17,000.50")); // the boxes and the document agree
        QCOMPARE(f.tax.db().scalar("select count(*) from ApplTInfo").toInt(), 0); // saving is what stores it
    }
};

ZQ_TEST(TestSalaryImportWindow)
#include "TestSalaryImportWindow.moc"
