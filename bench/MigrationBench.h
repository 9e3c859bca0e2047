#pragma once

#include <QString>

namespace zq::bench {

// The take-over of a large old database: 100 units, 20,000 employees and 120 declarations of 1,000 rows each,
// written once as an Access file (Jet 4) by the sqlite2mdb tool. Its bare limit reads the same tables with
// the Access library and inserts the same rows with one prepared statement per table in one transaction.
class MigrationBench {
public:
    // Builds the old file in folder. Nothing when the sqlite2mdb tool (ZQ_SQLITE2MDB, ../shared/tools beside
    // the sources, or on the PATH) is not there; why is in skipReason().
    explicit MigrationBench(const QString& folder);

    bool available() const { return m_skip.isEmpty(); }
    QString skipReason() const { return m_skip; }
    // A fresh empty own database for the next run (untimed).
    void prepare();
    // openOldDatabase and LegacyMigration into the fresh database; throws when not every row arrives.
    void runMigration();
    // The Access library's rows of every table, every value touched, inserted as they come.
    void runBare();

private:
    QString m_folder;
    QString m_old;
    QString m_own;
    QString m_skip;
    int m_generation = 0;
};

} // namespace zq::bench
