#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "finance/DemoPackage.h"
#include "ui/GridView.h"
#include "ui/StringTableModel.h"
#include "ui/UnitEditor.h"
#include "ui/UnitList.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using namespace zq;
using namespace zq::test;
using namespace zq::ui;
using Answer = Prompter::Answer;

namespace {

// An own database beside the demo payroll package, whose system database gains a year 2011 for account set
// 001 (other salary items: "JJBT:津贴" before "JJ:奖金") and an account set 003 without any year.
struct UnitFixture {
    TempTaxDatabase tax;
    QTemporaryDir root;
    AppSettings settings{root.filePath("settings.ini")};
    ScriptedPrompter prompter;
    AppContext ctx{&tax.db(), &prompter, &settings, root.path(), root.filePath("windows")};

    UnitFixture()
    {
        finance::DemoPackage::create(ctx.windowsFolder);
        auto system = Database::openSqlite(dataFolder() + "/system.mda");
        execOrFail(*system, "insert into copys(copy_id,copy_name) values('003','空账套')");
        execOrFail(*system,
                   "insert into copyinfo(copy_id,copy_year,datafile) values('001','2011','0012011.mdb')");
        const QString year = dataFolder() + "/001/0012011.mdb";
        QVERIFY(QFile(year).open(QIODevice::WriteOnly)); // an empty file is an empty SQLite database
        auto items = Database::openSqlite(year);
        execOrFail(*items, "create table salary_items(sa_code, sa_item, item_index, sa_table)");
        execOrFail(*items,
                   "insert into salary_items values ('XH','序号',0,'salary'), ('GZ','工资',1,'salary'), "
                   "('JJBT','津贴',2,'salary'), ('JJ','奖金',3,'salary'), ('BM','部门',4,'employee'), "
                   "('SFZ','身份证',5,'salary')");
    }
    QString dataFolder() const { return ctx.windowsFolder + "/Olvenka/Lumina 3.0/Data"; }
    // A unit row straight in the own database; link: SoftVer, CopyId, copyyear, SaCode1..6.
    void addUnit(qint64 id, const QString& name, const QString& code = "123456", const QStringList& link = {})
    {
        QVariantList values{id, name, code};
        for (int i = 0; i < 9; ++i)
            values << (i < link.size() ? QVariant(link[i]) : QVariant());
        execOrFail(
            tax.db(),
            "insert into UnitInfo(UnitID,UnitName,ComputerCode,SoftVer,CopyId,copyyear,SaCode1,SaCode2,"
            "SaCode3,SaCode4,SaCode5,SaCode6) values(?,?,?,?,?,?,?,?,?,?,?,?)",
            values);
    }
    qint64 unitCount() { return tax.db().scalar("select count(*) from UnitInfo").toLongLong(); }
    QStringList unitValues(qint64 id, const QStringList& columns)
    {
        QStringList out;
        for (const QString& c : columns)
            out << tax.db().scalar(QString("select %1 from UnitInfo where UnitID=?").arg(c), {id}).toString();
        return out;
    }
};

// The unit list over the own database and an editor prepared on one of its grid rows (0: a new unit).
struct UnitWindows {
    UnitList list;
    UnitEditor ed;
    UnitWindows(UnitFixture& f, int row) : list(f.ctx), ed(f.ctx, list.model(), &list)
    {
        ed.prepare(row, list.editions().names, list.editions().keys);
    }
};

QStringList itemsOf(const QComboBox* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

QStringList codesOf(const UnitEditor& ed)
{
    QStringList out;
    for (int i = 1; i <= 6; ++i)
        out << ed.GetSalaryItemCode(i);
    return out;
}

const QStringList kAccountSets = {"(001)演示科技有限公司", "(002)演示商贸有限公司", "(003)空账套"};
const QString kDemoEdition = QStringLiteral("Olvenka 3.X");
const QStringList kFullLink{kDemoEdition, "001", "2012", "YFGZ", "YNSSD", "JMS", "DMJWS", "Tax", "SFZH"};
const QStringList kLinkColumns{"SoftVer", "CopyId",  "copyyear", "SaCode1", "SaCode2",
                               "SaCode3", "SaCode4", "SaCode5",  "SaCode6"};
const QString kNoAccountSet = QStringLiteral("您没有选择账套，您将不能从原有财务软件中导入员工信息。\r\n"
                                             "按“确定”保存单位，“取消”返回。");

} // namespace

class TestUnitWindows : public QObject {
    Q_OBJECT
private slots:
    // The first failing check speaks, the focus goes to its box, the window stays open; a code stored before
    // the rule (11 characters) is shown whole and refused, not cut, and a refused write keeps the window
    // open.
    void saveChecksInOrder_data()
    {
        QTest::addColumn<int>("row"); // 0: a new unit; 1: the stored 甲公司
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text"); // empty: saved
        QTest::addColumn<QString>("focus");
        const QString empty = "单位名称不能为空。", twice = "单位名称重复，请检查。";
        const QString length = "计算机代码长度为6到10位!";
        QTest::newRow("empty name before a bad code") << 0 << QString("   ") << "1" << empty << "txtUName";
        QTest::newRow("duplicate before a bad code")
            << 0 << QString(" 乙公司  ") << "1" << twice << "txtUName";
        QTest::newRow("renamed like another") << 1 << QString("乙公司") << "123456" << twice << "txtUName";
        QTest::newRow("code of 5 in blanks") << 0 << QString("新公司") << "  12345  " << length << "txtUCode";
        QTest::newRow("no account set, Cancel") << 0 << QString("新公司") << "123456" << kNoAccountSet << "";
        QTest::newRow("code of 6 in blanks") << 0 << QString(" 新'公司 ") << " 123456 " << QString() << "";
        QTest::newRow("code of 10") << 0 << QString("新公司") << "1234567890" << QString() << "";
        QTest::newRow("stored code of 11") << 1 << QString("甲公司") << "12345678901" << length << "txtUCode";
        QTest::newRow("the database refuses")
            << 1 << QString("丙公司") << "123456" << QString("错误类型：") << "";
    }
    void saveChecksInOrder()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(QString, code);
        QFETCH(QString, text);
        QFETCH(QString, focus);
        UnitFixture f;
        f.addUnit(1, "甲公司", "12345678901");
        f.addUnit(2, "乙公司");
        f.tax.db().exec("create trigger refuse before update on UnitInfo when new.UnitName = '丙公司' "
                        "begin select raise(abort, '磁盘已满'); end");
        UnitWindows w(f, row);
        QCOMPARE(w.ed.codeBox()->text(), QString(row ? "12345678901" : ""));
        w.ed.show();
        w.ed.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.ed));
        w.ed.tabs()->setCurrentIndex(1);
        w.ed.nameBox()->setText(name);
        w.ed.codeBox()->setText(code);
        f.prompter.queue(text == kNoAccountSet ? Answer::Cancel : Answer::Ok); // the no-account-set question
        QCOMPARE(w.ed.save(), text.isEmpty());
        if (text.isEmpty()) {
            QCOMPARE(w.ed.result(), int(QDialog::Accepted));
            QCOMPARE(f.unitValues(3, {"UnitName", "ComputerCode"}),
                     QStringList({name.trimmed(), code.trimmed()}));
            QCOMPARE(w.list.model()->rowCount(), 3);
            return;
        }
        // The first failing check only; a refused write comes after the no-account-set question.
        QCOMPARE(f.prompter.records().size(), text.startsWith("错误类型") ? 2 : 1);
        QVERIFY2(f.prompter.last().text.startsWith(text), qPrintable(f.prompter.last().text));
        QVERIFY(w.ed.isVisible());
        if (!focus.isEmpty()) {
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
            QCOMPARE(w.ed.tabs()->currentIndex(), 0);
        }
        QCOMPARE(f.unitValues(1, {"UnitName"}), QStringList{"甲公司"});
        QCOMPARE(f.unitCount(), 2);
    }

    // A paste or an input-method commit that does not fit is refused whole, never cut to the box's length.
    void boxesRefuseLongEditsWhole_data()
    {
        QTest::addColumn<QString>("stored"); // the code of the unit opened; empty: a new unit
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        const QString han50(50, u'张'), none, code = "txtUCode";
        QTest::newRow("no room beyond 10 after a stored 11")
            << QString("12345678901") << code << QString("end;backspace;key:9") << "1234567890";
        QTest::newRow("paste of 11 into the code") << none << code << QString("paste:12345678901") << none;
        QTest::newRow("paste of 10 into the code")
            << none << code << QString("paste:1234567890") << "1234567890";
        QTest::newRow("input method 51 into the declarant")
            << none << QString("txtDeclPer") << "im:张" + han50 << none;
        QTest::newRow("input method 50 into the phone")
            << none << QString("txtPhone") << "im:" + han50 << han50;
    }
    void boxesRefuseLongEditsWhole()
    {
        QFETCH(QString, stored);
        QFETCH(QString, box);
        QFETCH(QString, steps);
        UnitFixture f;
        if (!stored.isEmpty())
            f.addUnit(1, "甲公司", stored);
        UnitWindows w(f, stored.isEmpty() ? 0 : 1);
        auto* b = w.ed.findChild<QLineEdit*>(box);
        QVERIFY(b);
        userEdit(b, steps);
        QTEST(b->text(), "expected");
    }

    void selectionCascade()
    {
        UnitFixture f;
        UnitWindows w(f, 0);
        UnitEditor& ed = w.ed;
        QCOMPARE(itemsOf(ed.editionList()), QStringList({"Olvenka 2.X", kDemoEdition}));

        // Edition, chosen with the keyboard: its account sets, the first chosen, its years, none chosen.
        QTest::keyClick(ed.editionList(), Qt::Key_Down);
        QTest::keyClick(ed.editionList(), Qt::Key_Down);
        QCOMPARE(ed.editionList()->currentText(), kDemoEdition);
        QCOMPARE(itemsOf(ed.accountSetList()), kAccountSets);
        QCOMPARE(ed.accountSetList()->currentText(), kAccountSets[0]);
        QCOMPARE(itemsOf(ed.yearList()), QStringList({"2011", "2012"}));
        QCOMPARE(ed.yearList()->currentText(), QString());

        // Year: the six lists get the year's items, none chosen.
        ed.yearList()->setCurrentIndex(ed.yearList()->findText("2012"));
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(ed.salaryItemList(i)->count(), 10);
        QCOMPARE(codesOf(ed), QStringList(6));
        ed.salaryItemList(1)->setCurrentIndex(2);

        // Another account set: its years, none chosen; the items stay until a year is chosen.
        ed.accountSetList()->setCurrentIndex(1);
        QCOMPARE(itemsOf(ed.yearList()), QStringList({"2012"}));
        QCOMPARE(ed.GetSalaryItemCode(1), QString("YFGZ"));

        // Back to 001 and its other year: other items, the choice gone.
        ed.accountSetList()->setCurrentIndex(0);
        ed.yearList()->setCurrentIndex(ed.yearList()->findText("2011"));
        QCOMPARE(itemsOf(ed.salaryItemList(4)),
                 QStringList({"GZ:工资", "JJBT:津贴", "JJ:奖金", "SFZ:身份证"}));
        QCOMPARE(ed.GetSalaryItemCode(1), QString());

        // An account set without years: one message, and no year of another account set left on offer.
        ed.accountSetList()->setCurrentIndex(2);
        QCOMPARE(f.prompter.texts(), QStringList{"您设置的账套不正确，不能读出文件位置。"});
        QCOMPARE(ed.yearList()->count(), 0);

        // Another edition empties everything below it, then lists its own account sets.
        ed.salaryItemList(2)->setCurrentIndex(1);
        ed.editionList()->setCurrentIndex(0); // "Olvenka 2.X" finds the same data through WD.ini
        QCOMPARE(itemsOf(ed.accountSetList()), kAccountSets);
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(ed.salaryItemList(i)->count(), 0);

        // Saved as chosen: the edition text, the account set's identifier, the year text, the item codes.
        ed.yearList()->setCurrentIndex(ed.yearList()->findText("2012"));
        ed.salaryItemList(1)->setCurrentIndex(2);
        ed.salaryItemList(5)->setCurrentIndex(7);
        ed.nameBox()->setText("甲公司");
        ed.codeBox()->setText("123456");
        QVERIFY(ed.save());
        QCOMPARE(w.list.model()->row(0), QStringList({"甲公司", "123456", "", "", "Olvenka 2.X", "001",
                                                      "YFGZ", "", "", "", "Tax", "", "2012", "1"}));
        QCOMPARE(f.prompter.records().size(), 1);
    }

    void changeShowsTheStoredLink_data()
    {
        QTest::addColumn<QStringList>("link");  // edition, account set, year, SaCode1..6
        QTest::addColumn<QStringList>("shown"); // edition, account set, year, the codes in the six lists
        const auto row = [](const char* name, const QStringList& link, const QStringList& shown) {
            QTest::newRow(name) << link << shown + QStringList(9 - shown.size());
        };
        const QString d = kDemoEdition;
        row("complete link", {d, "001", "2011", "JJ", "JJBT", "", "GZ", "MISSING", "SFZ"},
            {d, kAccountSets[0], "2011", "JJ", "JJBT", "", "GZ", "", "SFZ"});
        row("second account set", QStringList{d, "002"} + kFullLink.mid(2),
            QStringList{d, kAccountSets[1]} + kFullLink.mid(2));
        row("account set gone: the first one", {d, "00", "2012", "JBGZ"},
            {d, kAccountSets[0], "2012", "JBGZ"});
        row("year gone: none, no items", {d, "002", "2011", "YFGZ"}, {d, kAccountSets[1]});
        row("edition not listed", {"Olvenka 9.X", "001", "2012", "YFGZ"}, {});
    }
    void changeShowsTheStoredLink()
    {
        QFETCH(QStringList, link);
        QFETCH(QStringList, shown);
        UnitFixture f;
        f.addUnit(1, "甲公司", "123456", link);
        UnitWindows w(f, 1);
        QCOMPARE(QStringList({w.ed.editionList()->currentText(), w.ed.accountSetList()->currentText(),
                              w.ed.yearList()->currentText()}) +
                     codesOf(w.ed),
                 shown);
        QCOMPARE(f.prompter.records().size(), 0);

        if (shown[1].isEmpty())
            f.prompter.queue(Answer::Ok);
        QVERIFY(w.ed.save()); // saved unchanged, the unit keeps what the lists show
        QCOMPARE(f.unitValues(1, kLinkColumns.mid(1)),
                 QStringList({shown[1].mid(1, 3), shown[2]}) + shown.mid(3));
        QCOMPARE(f.prompter.unexpected(), 0);
    }

    // An edition whose data cannot be read says so once (one run of the steps) and leaves every list below it
    // empty: without its registry entry it is not kept chosen, without the system database it is.
    void editionThatCannotBeRead()
    {
        UnitFixture f;
        f.tax.db().exec("insert into lumfver values('Olvenka 5.X','SOFTWARE\\Olvenka\\Lumina 5.0')");
        UnitWindows w(f, 0);
        UnitEditor& ed = w.ed;
        const auto listed = [&ed] {
            return ed.accountSetList()->count() + ed.yearList()->count() + ed.salaryItemList(1)->count();
        };
        ed.editionList()->setCurrentIndex(1);
        QCOMPARE(ed.accountSetList()->count(), 3);
        ed.editionList()->setCurrentIndex(2);
        QCOMPARE(f.prompter.texts(), QStringList{"无法读出财务软件配置文件位置。"});
        QCOMPARE(ed.editionList()->currentIndex(), -1);
        QCOMPARE(listed(), 0);
        QVERIFY(QFile::remove(f.dataFolder() + "/system.mda"));
        ed.editionList()->setCurrentIndex(1);
        QCOMPARE(f.prompter.records().size(), 2);
        QVERIFY2(f.prompter.last().text.startsWith("错误类型："), qPrintable(f.prompter.last().text));
        QCOMPARE(ed.editionList()->currentIndex(), 1);
        QCOMPARE(listed(), 0);
    }

    // The package's lists cannot be loaded when a linked unit is opened: saving a changed phone number keeps
    // the stored link and item codes, and says so. A choice made after the failure rules again.
    void unreadableLinkIsKept()
    {
        UnitFixture f;
        f.addUnit(1, "甲公司", "123456", kFullLink);
        const QString file = f.dataFolder() + "/001/0012012.mdb";
        QVERIFY(QFile::rename(file, file + ".away"));
        UnitWindows w(f, 1);
        QVERIFY(f.prompter.records().size() >= 1); // what could not be read
        w.ed.phoneBox()->setText("010");
        f.prompter.queue(Answer::Ok); // should the account-set question come
        QVERIFY(w.ed.save());
        QCOMPARE(f.prompter.last().text, QString("财务软件的账套信息没有读出，单位原有的财务软件版本、账套、"
                                                 "年度和工资项目设置保持不变。"));
        QCOMPARE(f.unitValues(1, QStringList{"Phone"} + kLinkColumns), QStringList{"010"} + kFullLink);
        QVERIFY(QFile::rename(file + ".away", file));
        w.ed.yearList()->setCurrentIndex(w.ed.yearList()->findText("2011"));
        QVERIFY(w.ed.save());
        QCOMPARE(f.unitValues(1, {"copyyear", "SaCode1"}), QStringList({"2011", ""}));
    }

    void deleteAsks_data()
    {
        QTest::addColumn<int>("employees");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("chosen"); // the model row chosen; 0 is the first unit, 甲 with one employee
        QTest::newRow("employees, yes")
            << 2 << int(Answer::Yes) << QString("此单位还有2个员工，确实要删除吗") << 1;
        QTest::newRow("no employees, no")
            << 0 << int(Answer::No) << QString("确定删除单位：“乙'公司”吗？") << 1;
        QTest::newRow("the first unit, no")
            << 0 << int(Answer::No) << QString("此单位还有1个员工，确实要删除吗") << 0;
    }
    void deleteAsks()
    {
        QFETCH(int, employees);
        QFETCH(int, answer);
        QFETCH(int, chosen);
        UnitFixture f;
        f.addUnit(1, "甲公司");
        f.addUnit(2, "乙'公司");
        for (int i = 0; i < employees; ++i)
            f.tax.db().exec("insert into Employee(UnitID,EmpID) values(2,?)", {QString::number(i)});
        f.tax.db().exec("insert into Employee(UnitID,EmpID) values(1,'x')");
        UnitList list(f.ctx);
        list.grid()->setCurrentIndex({}); // nothing chosen: both commands only say so
        list.toolButton("Update")->trigger();
        list.toolButton("Delete")->trigger();
        QCOMPARE(f.prompter.texts(), QStringList({"请先选中您要修改的行，然后点击“修改”菜单或按钮；\r\n"
                                                  "也可以直接双击您要修改的行。",
                                                  "请先选中您要删除的行，然后点击“删除”菜单或按钮"}));
        f.prompter.clear();
        list.grid()->setCurrentIndex(list.model()->index(chosen, 0));
        f.prompter.queue(Answer(answer));
        list.findChild<QAction*>("m_Delete")->trigger();
        QTEST(f.prompter.last().text, "text");
        QCOMPARE(f.prompter.records().size(), 1); // asked once
        QCOMPARE(f.prompter.last().buttons, Prompter::Buttons::YesNo);
        const int left = answer == int(Answer::Yes) ? 1 : 2;
        QCOMPARE(f.unitCount(), left);
        QCOMPARE(list.model()->rowCount(), left);
        QCOMPARE(f.tax.db().scalar("select count(*) from Employee where UnitID=2").toInt(), employees);
    }
};

ZQ_TEST(TestUnitWindows)
#include "TestUnitWindows.moc"
