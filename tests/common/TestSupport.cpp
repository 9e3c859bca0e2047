#include "TestSupport.h"

#include "core/TaxDatabase.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <stdexcept>

namespace zq::test {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TempTaxDatabase::TempTaxDatabase() : m_path(QDir(m_dir.path()).filePath(TaxDatabase::fileName()))
{
    TaxDatabase::create(m_path);
    m_db = TaxDatabase::open(m_path);
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            for (const QTest::KeyAction action : {QTest::Press, QTest::Release})
                QTest::sendKeyEvent(action, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void userEdit(QLineEdit* box, const QString& steps)
{
    const QHash<QString, QKeyCombination> keys{{"backspace", Qt::Key_Backspace},
                                               {"delete", Qt::Key_Delete},
                                               {"end", Qt::Key_End},
                                               {"down", Qt::Key_Down},
                                               {"cut", Qt::ControlModifier | Qt::Key_X}};
    for (const QString& step : steps.split(u';', Qt::SkipEmptyParts)) {
        const QString arg = step.section(u':', 1);
        if (keys.contains(step)) {
            QTest::keyClick(box, keys[step].key(), keys[step].keyboardModifiers());
        } else if (step.startsWith(u"key:")) {
            typeText(box, arg);
        } else if (step.startsWith(u"paste:")) {
            QApplication::clipboard()->setText(arg);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        } else if (step.startsWith(u"im:")) {
            QInputMethodEvent commit;
            commit.setCommitString(arg);
            QApplication::sendEvent(box, &commit);
        } else if (step.startsWith(u"middle:")) {
            QApplication::clipboard()->setText(arg, QClipboard::Selection);
            QTest::mouseClick(box, Qt::MiddleButton, {}, QPoint(box->width() - 4, box->height() / 2));
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
}

CommandRun runCommandLine(const QStringList& args, const QString& folder, const QString& language)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    for (const char* name : {"LANG", "LC_ALL", "LC_NUMERIC", "LC_TIME", "LANGUAGE"})
        if (!language.isEmpty())
            env.insert(QLatin1String(name), language);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    // The test programs are built into the folder of the program itself.
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zqsaltax-cli"), args);
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void execOrFail(Database& db, const QString& sql, const QVariantList& binds)
{
    try {
        db.exec(sql, binds);
    } catch (const DatabaseError& e) {
        throw std::runtime_error(QStringLiteral("%1 failed: %2").arg(sql, e.description()).toStdString());
    }
}

} // namespace zq::test
