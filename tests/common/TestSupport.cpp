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

void execOrFail(Database& db, const QString& sql, const QVariantList& binds)
{
    try {
        db.exec(sql, binds);
    } catch (const DatabaseError& e) {
        throw std::runtime_error(QStringLiteral("%1 failed: %2").arg(sql, e.description()).toStdString());
    }
}

} // namespace zq::test
