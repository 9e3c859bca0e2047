#include "ModalDriver.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/PasswordStore.h"
#include "core/TaxDatabase.h"
#include "ui/ChangePasswordDialog.h"
#include "ui/CreatePasswordDialog.h"
#include "ui/LoginDialog.h"

#include <QClipboard>
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

// Types each text into the box of the same place (key by key), then presses 确定.
void confirm(QDialog* d, const QStringList& boxes, const QStringList& texts)
{
    for (qsizetype i = 0; i < boxes.size(); ++i)
        typeInto(d, qPrintable(boxes[i]), texts.value(i));
    button(d, "cmdOK")->click();
}

const QStringList kChangeBoxes{"txtOld", "txtNew1", "txtNew2"};

} // namespace

class TestPasswordDialogs : public QObject {
    Q_OBJECT
private slots:
    // Enter moves on from box to box like Tab and never confirms the dialog. Every box hides what is typed
    // and takes ten characters; only the change-password dialog swallows the two quote keys, and refuses
    // pasted text with a quote whole.
    void boxes_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("quotesRefused");
        QTest::newRow("create") << "FrmCrePass" << QStringList{"TxtPass1", "TxtPass2"} << false;
        QTest::newRow("login") << "FrmLogIn" << QStringList{"TxtPass"} << false;
        QTest::newRow("change") << "frmChanPass" << kChangeBoxes << true;
    }
    void boxes()
    {
        QFETCH(QString, dialog);
        QFETCH(QStringList, boxes);
        QFETCH(bool, quotesRefused);
        TempTaxDatabase t;
        ScriptedPrompter prompter;
        auto d = makeDialog(dialog, t.db(), prompter);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        for (const QString& name : boxes) {
            QCOMPARE(d->focusWidget()->objectName(), name);
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(d->focusWidget()->objectName(), QString("cmdOK"));
        QVERIFY(d->isVisible());
        QCOMPARE(prompter.records().size(), 0);
        for (const QString& name : boxes) {
            QLineEdit* b = box(d.get(), qPrintable(name));
            QVERIFY2(b, qPrintable(name));
            typeKeys(b, "a\"b'c 中123456789");
            QCOMPARE(b->text(), quotesRefused ? QString("abc 中12345") : QString("a\"b'c 中123"));
            QCOMPARE(b->displayText(), QString(10, u'*'));
            b->clear();
            QGuiApplication::clipboard()->setText("x'y");
            b->paste();
            QCOMPARE(b->text(), quotesRefused ? QString() : QString("x'y"));
            QGuiApplication::clipboard()->setText("xy");
            b->paste();
            QCOMPARE(b->text(), quotesRefused ? QString("xy") : QString("x'yxy"));
        }
    }

    void create_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("stored");
        QTest::newRow("different") << QStringList{"abc", "abd"} << false;
        QTest::newRow("letter case") << QStringList{"abc", "aBc"} << false;
        QTest::newRow("trailing blank") << QStringList{"abc ", "abc"} << false;
        QTest::newRow("quotes, blanks, Chinese") << QStringList{" a'b\"口令 ", " a'b\"口令 "} << true;
        QTest::newRow("both empty: no password") << QStringList{"", ""} << true;
    }
    void create()
    {
        QFETCH(QStringList, typed);
        QFETCH(bool, stored);
        TempTaxDatabase t;
        ScriptedPrompter prompter;
        ui::CreatePasswordDialog d(t.db(), prompter);
        confirm(&d, {"TxtPass1", "TxtPass2"}, typed);
        QCOMPARE(d.confirmed(), stored);
        PasswordStore store(t.db());
        if (stored) {
            QCOMPARE(prompter.records().size(), 0);
            QCOMPARE(store.isSet(), !typed[0].isEmpty());
            QVERIFY(store.check(typed[0]));
            QVERIFY(!store.check(typed[0] + "x"));
        } else {
            QCOMPARE(prompter.texts(), QStringList{"两次输入的口令不一致请重新输入！"});
            QCOMPARE(d.result(), int(QDialog::Rejected));
            QCOMPARE(raw(t).toString(), QString(""));
        }
    }

    void loginRefusesWrongEntryAndKeepsIt_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("entry");
        QTest::newRow("letter case") << QVariant(PasswordStore::encode("Secret")) << "secret";
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
        button(&d, "cmdOK")->setFocus();
        confirm(&d, {"TxtPass"}, {entry});
        QCOMPARE(prompter.texts(), QStringList{"您输入的口令不正确请重新输入！(口令区分大小写)"});
        QVERIFY(!d.confirmed());
        QVERIFY(d.isVisible());
        QCOMPARE(box(&d, "TxtPass")->text(), entry);
        QCOMPARE(d.focusWidget(), box(&d, "TxtPass"));
        QCOMPARE(raw(t), stored);
        // No limit on attempts: the right entry still gets in.
        confirm(&d, {"TxtPass"}, {"Secret"});
        QVERIFY(d.confirmed());
        QCOMPARE(prompter.records().size(), 1);
    }

    void changePassword_data()
    {
        QTest::addColumn<QVariant>("stored");   // invalid: no "Password" row
        QTest::addColumn<QStringList>("typed"); // old, new, new again
        QTest::addColumn<QString>("message");   // "密码修改成功！" when the change is done
        QTest::addColumn<QString>("focus");     // where the focus goes after a refusal
        const QVariant null(QMetaType(QMetaType::QString));
        const QVariant hash(PasswordStore::encode("Old1"));
        const QString ok = "密码修改成功！", wrong = "旧密码不正确！", differ = "新密码不一致，请重新输入！";
        const QStringList right{"Old1", "New1", "New1"};
        QTest::newRow("null stored, empty old box") << null << QStringList{"", "New1", "New1"} << ok << "";
        QTest::newRow("right old password") << hash << right << ok << "";
        QTest::newRow("plain old password of an older database")
            << QVariant(QString("Old1")) << right << ok << "";
        QTest::newRow("no row: added") << QVariant() << right << ok << "";
        QTest::newRow("wrong old password")
            << hash << QStringList{"old1", "New1", "New1"} << wrong << "txtOld";
        QTest::newRow("null stored, old box not empty") << null << right << wrong << "txtOld";
        QTest::newRow("new boxes differ, old wrong too")
            << hash << QStringList{"bad", "New1", "new1"} << differ << "txtNew1";
    }
    void changePassword()
    {
        QFETCH(QVariant, stored);
        QFETCH(QStringList, typed);
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
        confirm(&d, kChangeBoxes, typed);
        QCOMPARE(prompter.texts(), QStringList{message});
        QCOMPARE(prompter.last().title, QString("提示信息"));
        QCOMPARE(prompter.last().icon, Prompter::Icon::Exclamation);
        QCOMPARE(d.isVisible(), !focus.isEmpty());
        if (focus.isEmpty()) {
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QVERIFY(PasswordStore(t.db()).check("New1"));
            QVERIFY(!PasswordStore(t.db()).check("new1"));
        } else {
            QCOMPARE(d.focusWidget()->objectName(), focus);
            QCOMPARE(raw(t), before);
        }
    }

    // A change the database does not take is never reported as done.
    void changeNotStored_data()
    {
        QTest::addColumn<bool>("busy"); // another program holds the database for writing; else no table
        QTest::addColumn<QString>("text");
        QTest::newRow("table gone") << false << "在程序中发生类型： 1错误。\r\n";
        QTest::newRow("busy: somebody else changes the record") << true << "已有人修改此记录！";
    }
    void changeNotStored()
    {
        QFETCH(bool, busy);
        QFETCH(QString, text);
        TempTaxDatabase t;
        storeRaw(t, QString("Old1"));
        auto other = TaxDatabase::open(t.path());
        execOrFail(*other, busy ? "begin exclusive" : "drop table Sundries");
        ScriptedPrompter prompter;
        ui::ChangePasswordDialog d(t.db(), prompter);
        d.show();
        confirm(&d, kChangeBoxes, {busy ? "Old1" : "", "x", "x"});
        if (busy)
            execOrFail(*other, "rollback");
        QCOMPARE(prompter.records().size(), 1);
        QVERIFY2(prompter.last().text.startsWith(text), qPrintable(prompter.last().text));
        QCOMPARE(prompter.last().title, QString("错误信息"));
        QCOMPARE(prompter.last().icon, Prompter::Icon::Exclamation);
        QVERIFY(d.isVisible());
        if (busy)
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
