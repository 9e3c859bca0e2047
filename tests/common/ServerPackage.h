#pragma once

#include <QString>
#include <QStringList>

namespace zq {
class AppSettings;
}

namespace zq::test {

// The test PostgreSQL that scripts/test starts and names in ZQ_TEST_PG_*, and a payroll package on it.
struct TestServer {
    static constexpr const char* Missing =
        "No test PostgreSQL: ZQ_TEST_PG_HOST and ZQ_TEST_PG_PORT are not set "
        "(scripts/test starts one and sets them).";
    QString host = qEnvironmentVariable("ZQ_TEST_PG_HOST");
    QString port = qEnvironmentVariable("ZQ_TEST_PG_PORT");
    QString user = qEnvironmentVariable("ZQ_TEST_PG_USER", QStringLiteral("postgres"));
    QString password = qEnvironmentVariable("ZQ_TEST_PG_PASSWORD");

    // Each test skips on its own: a skip in initTestCase would also empty the classes run after it.
    bool available() const { return !host.isEmpty() && !port.isEmpty(); }

    // Runs statements on a database as the superuser; false, with a warning, at the first that fails.
    bool run(const QString& database, const QStringList& statements) const;
    // The package's system database ZqLumSys listing account set 001 for year and year + 1, and the account
    // set's database of year (ZqLum001<year>) made by the statements; year + 1 has no database.
    bool createPackage(int year, const QStringList& accountSet) const;
    // config.ini in the product folder naming this server with the password, and the settings choosing
    // PostgreSQL.
    void point(const QString& productFolder, AppSettings& settings, const QString& password) const;
};

} // namespace zq::test
