#include "ModalDriver.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/PasswordStore.h"
#include "core/TaxDatabase.h"
#include "ui/ChangePasswordDialog.h"
#include "ui/CreatePasswordDialog.h"
#include "ui/LoginDialog.h"

#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

using namespace zq;
using namespace zq::test;

namespace {

void storeRaw(TempTaxDatabase& t, const QVariant& value)
{
    execOrFail(t.db(), "update Sundries set Value=? where Name='Password'", {value});
}
QVariant raw(TempTaxDatabase& t)
{
    return t.db().scalar("select Value from Sundries where Name='Password'");
}

std::unique_ptr<QDialog> makeDialog(const QString& which, Database& db, Prompter& prompter)
{
    if (which == "FrmCrePass")
        return std::make_unique<ui::CreatePasswordDialog>(db, prompter);
    if (which == "FrmLogIn")
        return std::make_unique<ui::LoginDialog>(db, prompter);
    return std::make_unique<ui::ChangePasswordDialog>(db, prompter);
}

QStringList labelTexts(QWidget* w)
{
    QStringList out;
    for (const QLabel* l : w->findChildren<QLabel*>())
        out << l->text();
    return out;
}

} // namespace

class TestPasswordDialogs : public QObject {
    Q_OBJECT
private slots:
    void content_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("create") << "FrmCrePass"
                                << "创建密码" << QStringList{"TxtPass1", "TxtPass2"}
                                << QStringList{"请创建口令并牢记，以后运行本软件使用。",
                                               "请输入您使用的口令：", "请再次输入您使用的口令：",
                                               "注意：口令区分大小写"};
        QTest::newRow("login") << "FrmLogIn"
                               << "系统登录" << QStringList{"TxtPass"} << QStringList{"请输入口令："};
        QTest::newRow("change") << "frmChanPass"
                                << "修改密码" << QStringList{"txtOld", "txtNew1", "txtNew2"}
                                << QStringList{"旧密码", "新密码", "验  证"};
    }
    void content()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, caption);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, labels);
        TempTaxDatabase t;
        ScriptedPrompter prompter;
        auto d = makeDialog(dialog, t.db(), prompter);
        QCOMPARE(d->objectName(), dialog);
        QCOMPARE(d->windowTitle(), caption);
        QCOMPARE(button(d.get(), "cmdOK")->text(), QString("确定(&O)"));
        QCOMPARE(button(d.get(), "cmdCancel")->text(), QString("取消(&C)"));
        for (const QString& name : boxes) {
            QLineEdit* b = box(d.get(), qPrintable(name));
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->echoMode(), QLineEdit::Password);
            typeKeys(b, "12345678901"); // one too many
            QCOMPARE(b->text(), QString("1234567890"));
            QCOMPARE(b->displayText(), QString(10, u'*')); // every character shows as "*"
        }
        const QStringList shown = labelTexts(d.get());
        for (const QString& l : labels)
            QVERIFY2(shown.contains(l), qPrintable(l));
        if (dialog == "frmChanPass")
            QCOMPARE(d->findChild<QGroupBox*>()->title(), QString("修改当前用户的密码"));
    }

    // Only the change-password dialog swallows the two quote keys, and refuses them in pasted text too.
    void quotes_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<bool>("refused");
        QTest::newRow("create, first box") << "FrmCrePass"
                                           << "TxtPass1" << false;
        QTest::newRow("create, second box") << "FrmCrePass"
                                            << "TxtPass2" << false;
        QTest::newRow("login") << "FrmLogIn"
                               << "TxtPass" << false;
        QTest::newRow("change, old") << "frmChanPass"
                                     << "txtOld" << true;
        QTest::newRow("change, new") << "frmChanPass"
                                     << "txtNew1" << true;
        QTest::newRow("change, again") << "frmChanPass"
                                       << "txtNew2" << true;
    }
    void quotes()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, boxName);
        QFETCH(bool, refused);
        TempTaxDatabase t;
        ScriptedPrompter prompter;
        auto d = makeDialog(dialog, t.db(), prompter);
        QLineEdit* b = box(d.get(), qPrintable(boxName));
        typeKeys(b, "a\"b'c 中");
        QCOMPARE(b->text(), refused ? QString("abc 中") : QString("a\"b'c 中"));
        b->clear();
        QGuiApplication::clipboard()->setText("x'y");
        b->paste();
        QCOMPARE(b->text(), refused ? QString() : QString("x'y"));
        QGuiApplication::clipboard()->setText("xy");
        b->paste();
        QCOMPARE(b->text(), refused ? QString("xy") : QString("x'yxy"));
    }

    void enterMovesOnLikeTab_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("order"); // the focus after each Enter, from the first box
        QTest::newRow("create") << "FrmCrePass" << QStringList{"TxtPass1", "TxtPass2", "cmdOK"};
        QTest::newRow("login") << "FrmLogIn" << QStringList{"TxtPass", "cmdOK"};
        QTest::newRow("change") << "frmChanPass" << QStringList{"txtOld", "txtNew1", "txtNew2", "cmdOK"};
    }
    void enterMovesOnLikeTab()
    {
        QFETCH(QString, dialog);
        QFETCH(QStringList, order);
        TempTaxDatabase t;
        storeRaw(t, QString("pw"));
        ScriptedPrompter prompter;
        auto d = makeDialog(dialog, t.db(), prompter);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QCOMPARE(d->focusWidget()->objectName(), order.first());
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
            QCOMPARE(d->focusWidget()->objectName(), order[i]);
        }
        QVERIFY(d->isVisible()); // Enter in a box never confirms the dialog
        QCOMPARE(prompter.records().size(), 0);
    }

    void createRefusesDifferentEntries_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("different") << "abc"
                                   << "abd";
        QTest::newRow("letter case") << "abc"
                                     << "aBc";
        QTest::newRow("second empty") << "abc"
                                      << "";
        QTest::newRow("trailing blank") << "abc "
                                        << "abc";
    }
    void createRefusesDifferentEntries()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        TempTaxDatabase t;
        ScriptedPrompter prompter;
        ui::CreatePasswordDialog d(t.db(), prompter);
        typeInto(&d, "TxtPass1", first);
        typeInto(&d, "TxtPass2", second);
        button(&d, "cmdOK")->click();
        QCOMPARE(prompter.records().size(), 1);
        QCOMPARE(prompter.last().title, QString("提示信息"));
        QCOMPARE(prompter.last().text, QString("两次输入的口令不一致请重新输入！"));
        QCOMPARE(prompter.last().buttons, Prompter::Buttons::Ok);
        QVERIFY(!d.confirmed());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(raw(t).toString(), QString(""));
    }

    void createStoresWhatWasTyped_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("quotes") << "a'b\"c";
        QTest::newRow("blanks") << " a b ";
        QTest::newRow("Chinese") << "口令甲乙";
        QTest::newRow("exactly ten") << "0123456789";
        QTest::newRow("both empty: no password") << "";
    }
    void createStoresWhatWasTyped()
    {
        QFETCH(QString, password);
        TempTaxDatabase t;
        ScriptedPrompter prompter;
        ui::CreatePasswordDialog d(t.db(), prompter);
        typeInto(&d, "TxtPass1", password);
        typeInto(&d, "TxtPass2", password);
        button(&d, "cmdOK")->click();
        QVERIFY(d.confirmed());
        QCOMPARE(prompter.records().size(), 0);
        PasswordStore store(t.db());
        QCOMPARE(store.isSet(), !password.isEmpty());
        QVERIFY(store.check(password));
        if (!password.isEmpty())
            QVERIFY(!store.check(password + "x"));
    }

    void loginRefusesWrongEntryAndKeepsIt_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("entry");
        QTest::newRow("letter case") << QVariant(PasswordStore::encode("Secret")) << "secret";
        QTest::newRow("one character short") << QVariant(PasswordStore::encode("Secret")) << "Secre";
        QTest::newRow("plain text, letter case") << QVariant(QString("Secret")) << "SECRET";
    }
    void loginRefusesWrongEntryAndKeepsIt()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, entry);
        TempTaxDatabase t;
        storeRaw(t, stored);
        ScriptedPrompter prompter;
        ui::LoginDialog d(t.db(), prompter);
        d.show();
        typeInto(&d, "TxtPass", entry);
        button(&d, "cmdOK")->setFocus();
        button(&d, "cmdOK")->click();
        QCOMPARE(prompter.texts(), QStringList{"您输入的口令不正确请重新输入！(口令区分大小写)"});
        QCOMPARE(prompter.last().title, QString("提示信息"));
        QVERIFY(!d.confirmed());
        QVERIFY(d.isVisible());
        QCOMPARE(box(&d, "TxtPass")->text(), entry);
        QCOMPARE(d.focusWidget(), box(&d, "TxtPass"));
        QCOMPARE(raw(t), stored);
        // No limit on attempts: the right entry still gets in.
        typeInto(&d, "TxtPass", "Secret");
        button(&d, "cmdOK")->click();
        QVERIFY(d.confirmed());
        QCOMPARE(prompter.records().size(), 1);
    }

    void changePassword_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: no "Password" row
        QTest::addColumn<QString>("oldText");
        QTest::addColumn<QString>("new1");
        QTest::addColumn<QString>("new2");
        QTest::addColumn<QString>("message"); // empty: no message and the change is done
        QTest::addColumn<QString>("focus");   // where the focus goes after a refusal
        const QVariant null(QMetaType(QMetaType::QString));
        const QVariant hash(PasswordStore::encode("Old1"));
        const QString ok = "密码修改成功！";
        QTest::newRow("null stored, empty old box") << null << ""
                                                    << "New1"
                                                    << "New1" << ok << "";
        QTest::newRow("empty stored, empty old box") << QVariant(QString("")) << ""
                                                     << "New1"
                                                     << "New1" << ok << "";
        QTest::newRow("right old password") << hash << "Old1"
                                            << "New1"
                                            << "New1" << ok << "";
        QTest::newRow("plain old password of an older database") << QVariant(QString("Old1")) << "Old1"
                                                                 << "New1"
                                                                 << "New1" << ok << "";
        QTest::newRow("no row: added") << QVariant() << "whatever"
                                       << "New1"
                                       << "New1" << ok << "";
        QTest::newRow("wrong old password") << hash << "old1"
                                            << "New1"
                                            << "New1"
                                            << "旧密码不正确！"
                                            << "txtOld";
        QTest::newRow("null stored, old box not empty") << null << "x"
                                                        << "New1"
                                                        << "New1"
                                                        << "旧密码不正确！"
                                                        << "txtOld";
        QTest::newRow("new boxes differ") << hash << "Old1"
                                          << "New1"
                                          << "new1"
                                          << "新密码不一致，请重新输入！"
                                          << "txtNew1";
        QTest::newRow("new boxes differ, old wrong too") << hash << "bad"
                                                         << "New1"
                                                         << "New2"
                                                         << "新密码不一致，请重新输入！"
                                                         << "txtNew1";
    }
    void changePassword()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, oldText);
        QFETCH(QString, new1);
        QFETCH(QString, new2);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        TempTaxDatabase t;
        if (stored.isValid())
            storeRaw(t, stored);
        else
            execOrFail(t.db(), "delete from Sundries where Name='Password'");
        const QVariant before = raw(t);
        ScriptedPrompter prompter;
        ui::ChangePasswordDialog d(t.db(), prompter);
        d.show();
        typeInto(&d, "txtOld", oldText);
        typeInto(&d, "txtNew1", new1);
        typeInto(&d, "txtNew2", new2);
        button(&d, "cmdOK")->click();

        QCOMPARE(prompter.texts(), QStringList{message});
        QCOMPARE(prompter.last().title, QString("提示信息"));
        QCOMPARE(prompter.last().icon, Prompter::Icon::Exclamation);
        if (focus.isEmpty()) {
            QVERIFY(!d.isVisible());
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QVERIFY(PasswordStore(t.db()).check("New1"));
            QVERIFY(!PasswordStore(t.db()).check("new1"));
        } else {
            QVERIFY(d.isVisible());
            QCOMPARE(d.focusWidget()->objectName(), focus);
            QCOMPARE(raw(t), before);
        }
    }

    void changeCancelChangesNothing()
    {
        TempTaxDatabase t;
        storeRaw(t, QString("Old1"));
        ScriptedPrompter prompter;
        ui::ChangePasswordDialog d(t.db(), prompter);
        typeInto(&d, "txtOld", "Old1");
        typeInto(&d, "txtNew1", "x");
        typeInto(&d, "txtNew2", "x");
        button(&d, "cmdCancel")->click();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(raw(t).toString(), QString("Old1"));
        QCOMPARE(prompter.records().size(), 0);
    }

    void changeFailureIsNotReportedAsSuccess()
    {
        TempTaxDatabase t;
        execOrFail(t.db(), "drop table Sundries");
        ScriptedPrompter prompter;
        ui::ChangePasswordDialog d(t.db(), prompter);
        d.show();
        typeInto(&d, "txtNew1", "x");
        typeInto(&d, "txtNew2", "x");
        button(&d, "cmdOK")->click();
        QCOMPARE(prompter.records().size(), 1);
        QCOMPARE(prompter.last().title, QString("错误信息"));
        QCOMPARE(prompter.last().icon, Prompter::Icon::Exclamation);
        QVERIFY2(prompter.last().text.startsWith("在程序中发生类型： 1错误。\r\n"),
                 qPrintable(prompter.last().text));
        QVERIFY(d.isVisible());
    }

    // Another program holds the database for writing: the record is being changed by somebody else.
    void changeOnABusyDatabase()
    {
        TempTaxDatabase t;
        storeRaw(t, QString("Old1"));
        auto other = TaxDatabase::open(t.path());
        execOrFail(*other, "begin exclusive");
        ScriptedPrompter prompter;
        ui::ChangePasswordDialog d(t.db(), prompter);
        d.show();
        typeInto(&d, "txtOld", "Old1");
        typeInto(&d, "txtNew1", "x");
        typeInto(&d, "txtNew2", "x");
        button(&d, "cmdOK")->click();
        execOrFail(*other, "rollback");
        QCOMPARE(prompter.texts(), QStringList{"已有人修改此记录！"});
        QCOMPARE(prompter.last().title, QString("错误信息"));
        QCOMPARE(prompter.last().icon, Prompter::Icon::Exclamation);
        QVERIFY(d.isVisible());
        QCOMPARE(raw(t).toString(), QString("Old1"));
    }

    void changeSelectsWholeTextOnFocus()
    {
        TempTaxDatabase t;
        ScriptedPrompter prompter;
        ui::ChangePasswordDialog d(t.db(), prompter);
        d.show();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QLineEdit* newBox = box(&d, "txtNew1");
        typeKeys(newBox, "abc");
        newBox->deselect();
        box(&d, "txtOld")->setFocus(Qt::OtherFocusReason);
        newBox->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(newBox->hasSelectedText());
        QCOMPARE(newBox->selectionStart(), 0);
        QCOMPARE(newBox->selectedText().size(), 3);
    }
};

ZQ_TEST(TestPasswordDialogs)
#include "TestPasswordDialogs.moc"
