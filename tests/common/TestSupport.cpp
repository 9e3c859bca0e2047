#include "TestSupport.h"

#include "core/TaxDatabase.h"

#include <QDir>
#include <QTest>
#include <stdexcept>

namespace zq::test {

TempTaxDatabase::TempTaxDatabase() : m_path(QDir(m_dir.path()).filePath(TaxDatabase::fileName()))
{
    TaxDatabase::create(m_path);
    reopen();
}

void TempTaxDatabase::reopen()
{
    m_db.reset();
    m_db = TaxDatabase::open(m_path);
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
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
