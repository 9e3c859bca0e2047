#pragma once

#include "core/Database.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <memory>

class QLineEdit;

namespace zq::test {

// Registers a test class with the folder's test executable.
int registerTest(const char* name, std::function<QObject*()> factory);

// The bytes of a file; empty when it cannot be read.
QByteArray fileBytes(const QString& path);

// A fresh own database in a temporary folder, made by the same code as `zqsaltax-cli init-db`.
class TempTaxDatabase {
public:
    TempTaxDatabase();
    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }
    Database& db() { return *m_db; }
    // Closes the connection (to let another process at the file).
    void close() { m_db.reset(); }

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<Database> m_db;
};

// Types text key by key; unlike QTest::keyClicks it also types characters outside Latin-1 (Chinese).
void typeText(QWidget* widget, const QString& text);

// Does to a line edit what a user does, step by step (steps joined by ";"): "key:text" types, "backspace",
// "delete", "end", "down", "cut" (Ctrl+X), "paste:text" (Ctrl+V), "im:text" (an input-method commit),
// "middle:text" (the X11 selection pasted with the middle button at the end of the text).
void userEdit(QLineEdit* box, const QString& steps);

// Runs zqsaltax-cli without a display, as on a build machine, in a folder (empty: this one) and under a
// language (empty: this one's): its exit code (-1 when it did not finish or crashed) and what it wrote.
struct CommandRun {
    int code = -1;
    QString out;
    QString err;
};
CommandRun runCommandLine(const QStringList& args, const QString& folder = {}, const QString& language = {});

// Runs a statement and fails loudly (with the database's text) when it does not run.
void execOrFail(Database& db, const QString& sql, const QVariantList& binds = {});

} // namespace zq::test

#define ZQ_TEST(Class)                                                                                       \
    static const int zq_registered_##Class = zq::test::registerTest(#Class, [] { return new Class; });
