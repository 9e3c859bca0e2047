#include "../ui/ModalDriver.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "finance/DemoPackage.h"
#include "ui/CreatePasswordDialog.h"
#include "ui/DeclarationEditor.h"
#include "ui/DeclarationList.h"
#include "ui/EmployeeList.h"
#include "ui/GridView.h"
#include "ui/StringTableModel.h"
#include "ui/UnitEditor.h"
#include "ui/UnitList.h"
#include "ui/WindowHost.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;
using namespace zq::test;
using namespace zq::ui;
using F = HeaderField;
using Answer = Prompter::Answer;

namespace {

class Host : public WindowHost {
public:
    void showChild(QWidget* w) override { w->show(); }
    void setToolbarBandVisible(bool) override {}
};

void choose(QComboBox* list, const QString& text)
{
    const int i = list->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    list->setCurrentIndex(i);
}

} // namespace

// One month of work as the user does it, through the real windows over the demo payroll package: a new
// password, a unit linked to the package, its employees, a declaration filled by the salary import, saved,
// and its upload file, compared byte for byte with the file kept beside this test.
class TestFullMonth : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void aFullMonth()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString windows = root.filePath("windows");
        finance::DemoPackage::create(windows, finance::DemoPackage::Format::Access);
        TempTaxDatabase tax;
        ScriptedPrompter prompter;
        AppSettings settings(root.filePath("settings.ini"));
        const AppContext ctx{&tax.db(), &prompter, &settings, root.path(), windows};

        // The first start: a password is created.
        {
            ModalDriver create("FrmCrePass", {[](QDialog* d) {
                                   typeInto(d, "TxtPass1", "月底 pw1");
                                   typeInto(d, "TxtPass2", "月底 pw1");
                                   button(d, "cmdOK")->click();
                               }});
            QVERIFY(CreatePasswordDialog::startWin(tax.db(), prompter));
            QCOMPARE(QList<int>({create.stepsRun(), create.leftOpen()}), QList<int>({1, 0}));
        }

        // The unit, linked to the package's first account set and year 2012.
        {
            UnitList units(ctx);
            UnitEditor ed(ctx, units.model(), &units);
            ed.prepare(0, units.editions().names, units.editions().keys);
            choose(ed.editionList(), "Olvenka 3.X");
            ed.accountSetList()->setCurrentIndex(0);
            choose(ed.yearList(), "2012");
            const QStringList items{"YFGZ:应发工资",      "YNSSD:应纳税所得额", "JMS:减免税额",
                                    "DMJWS:抵免境外税额", "Tax:代扣个人所得税", "SFZH:身份证号"};
            for (int i = 1; i <= 6; ++i)
                choose(ed.salaryItemList(i), items[i - 1]);
            ed.nameBox()->setText("演示科技有限公司");
            ed.codeBox()->setText("123456");
            QVERIFY(ed.save());
            QCOMPARE(units.model()->rowCount(), 1);
        }

        // Its employees, imported and saved.
        {
            EmployeeList employees(ctx);
            employees.importEmployees();
            QVERIFY(employees.model()->rowCount() > 1);
            QVERIFY(employees.save());
        }

        // The declaration: new, imported, the remaining boxes, saved, and its upload file.
        const QString upload = root.filePath("full-month.CSV");
        {
            Host host;
            DeclarationList list(ctx, &host);
            list.newDeclaration();
            DeclarationEditor* ed = list.editor();
            QVERIFY(ed);
            ed->box(F::Month)->setText("2012-03");
            prompter.queue(Answer::Yes);
            ed->action("导入")->trigger();
            ed->box(F::Phone)->setText("010-88886666");
            ed->box(F::DeclarePerson)->setText("王会计");
            ed->box(F::InComeM)->setText("123,456.78");
            ed->box(F::BookNo)->setText("3201200300001");
            ed->box(F::ApplyDate)->setText("2012-04-10");
            ed->action("保存")->trigger();
            QVERIFY(!ed->isModified());
            list.grid()->setCurrentIndex(list.model()->index(0, 0));
            prompter.queueText(upload);
            list.exportCurrent();
        }

        // No prompt before the import (password, unit, employees and the save go without one); the import
        // asks and counts, the upload file is asked for and reported.
        QCOMPARE(prompter.texts(),
                 QStringList({"导入工资数据将覆盖现有数据，是否继续？", "导入31条数据", "", "生成成功！"}));
        QCOMPARE(prompter.records()[2].kind + '|' + prompter.records()[2].title,
                 QString("save|生成上传文件"));
        QCOMPARE(prompter.unexpected(), 0);
        QCOMPARE(prompter.pending(), 0);
        QCOMPARE(fileBytes(upload), fileBytes(QStringLiteral(ZQ_TEST_SOURCE_DIR "/data/full-month.CSV")));
    }
};

ZQ_TEST(TestFullMonth)
#include "TestFullMonth.moc"
