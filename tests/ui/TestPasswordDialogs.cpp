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

// Types each text into the password box of the same place (key by key), then presses 确定.
void typeAndConfirm(QDialog* d, const QStringList& texts)
{
    const QList<QLineEdit*> boxes = d->findChildren<QLineEdit*>();
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        boxes[i]->clear();
        typeText(boxes[i], texts.value(i));
    }
    button(d, "cmdOK")->click();
}

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
        QTest::addColumn<bool>("quotesRefused");
        QTest::newRow("create") << "FrmCrePass" << false;
        QTest::newRow("login") << "FrmLogIn" << false;
        QTest::newRow("change") << "frmChanPass" << true;
    }
    void boxes()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, quotesRefused);
        TempTaxDatabase t;
        ScriptedPrompter prompter;
        auto d = makeDialog(dialog, t.db(), prompter);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        const QList<QLineEdit*> boxes = d->findChildren<QLineEdit*>();
        for (QLineEdit* b : boxes) {
            QCOMPARE(d->focusWidget(), b);
            QTest::keyClick(b, Qt::Key_Return);
        }
        QCOMPARE(d->focusWidget(), button(d.get(), "cmdOK"));
        QVERIFY(d->isVisible());
        QCOMPARE(prompter.records().size(), 0);
        for (QLineEdit* b : boxes) {
            typeText(b, "a\"b'c 中123456789");
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

    // 确定 in each dialog: what it says, where the focus goes after a refusal (the stored value stays), and
    // which password the store takes after an accepted dialog.
    void confirm_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QVariant>("stored");   // invalid: no "Password" row
        QTest::addColumn<QStringList>("typed"); // into the dialog's boxes in their order
        QTest::addColumn<QString>("message");   // empty: none
        QTest::addColumn<QString>("focus");     // empty: accepted
        QTest::addColumn<QString>("password");  // the store takes afterwards; empty: none set
        const QVariant null(QMetaType(QMetaType::QString)), empty(QString(""));
        const QVariant hash(PasswordStore::encode("Old1"));
        const QString create = "FrmCrePass", login = "FrmLogIn", change = "frmChanPass";
        const QString ok = "密码修改成功！", wrong = "旧密码不正确！", differ = "新密码不一致，请重新输入！";
        const QString mismatch = "两次输入的口令不一致请重新输入！";
        const QString refused = "您输入的口令不正确请重新输入！(口令区分大小写)";
        const QString odd = " a'b\"口令 ", none, old = "Old1", now = "New1";
        const QStringList right{old, now, now};
        QTest::newRow("create: the two differ")
            << create << empty << QStringList{"abc", "abd"} << mismatch << QString("cmdOK") << none;
        QTest::newRow("create: quotes, blanks, Chinese")
            << create << empty << QStringList{odd, odd} << none << none << odd;
        QTest::newRow("login: letter case counts")
            << login << hash << QStringList{"old1"} << refused << QString("TxtPass") << old;
        QTest::newRow("login: right") << login << hash << QStringList{old} << none << none << old;
        QTest::newRow("change: null stored, empty old box")
            << change << null << QStringList{none, now, now} << ok << none << now;
        QTest::newRow("change: right old password") << change << hash << right << ok << none << now;
        QTest::newRow("change: no row, added") << change << QVariant() << right << ok << none << now;
        QTest::newRow("change: wrong old password")
            << change << hash << QStringList{"old1", now, now} << wrong << QString("txtOld") << old;
        QTest::newRow("change: null stored, old box not empty")
            << change << null << right << wrong << QString("txtOld") << none;
        QTest::newRow("change: new boxes differ, old wrong too")
            << change << hash << QStringList{"bad", now, "new1"} << differ << QString("txtNew1") << old;
    }
    void confirm()
    {
        QFETCH(QString, dialog);
        QFETCH(QVariant, stored);
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, password);
        TempTaxDatabase t;
        if (stored.isValid())
            execOrFail(t.db(), "update Sundries set Value=? where Name='Password'", {stored});
        else
            execOrFail(t.db(), "delete from Sundries where Name='Password'");
        const QVariant before = raw(t);
        ScriptedPrompter prompter;
        auto d = makeDialog(dialog, t.db(), prompter);
        d->show();
        button(d.get(), "cmdOK")->setFocus();
        typeAndConfirm(d.get(), typed);
        QCOMPARE(prompter.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(d->isVisible(), !focus.isEmpty());
        QCOMPARE(d->result(), int(focus.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
        if (!focus.isEmpty()) {
            QCOMPARE(d->focusWidget()->objectName(), focus);
            QCOMPARE(raw(t), before);
        }
        PasswordStore store(t.db());
        QCOMPARE(store.isSet(), !password.isEmpty());
        QVERIFY(password.isEmpty() || (store.check(password) && !store.check(password + "x")));
    }

    // A change the database does not take is never reported as done: another program busy writing is
    // somebody else changing the record; other errors are shown with their number.
    void changeNotStored()
    {
        TempTaxDatabase t;
        execOrFail(t.db(), "update Sundries set Value='Old1' where Name='Password'");
        auto other = TaxDatabase::open(t.path());
        ScriptedPrompter prompter;
        ui::ChangePasswordDialog d(t.db(), prompter);
        d.show();
        execOrFail(*other, "begin exclusive");
        typeAndConfirm(&d, {"Old1", "x", "x"});
        execOrFail(*other, "rollback");
        QCOMPARE(raw(t).toString(), QString("Old1"));
        execOrFail(*other, "drop table Sundries");
        typeAndConfirm(&d, {"", "x", "x"});
        QCOMPARE(prompter.records().size(), 2);
        QCOMPARE(prompter.records().first().text, QString("已有人修改此记录！"));
        QVERIFY2(prompter.last().text.startsWith("在程序中发生类型： 1错误。\r\n"),
                 qPrintable(prompter.last().text));
        QVERIFY(d.isVisible());
    }
};

ZQ_TEST(TestPasswordDialogs)
#include "TestPasswordDialogs.moc"
