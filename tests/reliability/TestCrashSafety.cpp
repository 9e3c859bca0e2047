#include "TestSupport.h"
#include "core/TaxDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <random>
#include <thread>

using namespace zq;

namespace {

constexpr int kRows = 100000;
constexpr int kTrials = 20;

QString driverPath()
{
    return QStringLiteral(ZQ_BIN_DIR "/zq-save-driver");
}

// What a database holds of the data saved: a checksum over the rows of the kind's queries in order, and
// how many rows the last query gave.
struct Snapshot {
    QString integrity;
    qint64 rows = -1;
    QByteArray checksum;
};

void hashQuery(QCryptographicHash& hash, QSqlQuery& q, qint64* count)
{
    while (q.next()) {
        const int n = q.record().count();
        for (int i = 0; i < n; ++i) {
            const QVariant v = q.value(i);
            hash.addData(v.isNull() ? QByteArrayLiteral("\x01") : v.toString().toUtf8());
            hash.addData(QByteArrayLiteral("\x1f"));
        }
        hash.addData(QByteArrayLiteral("\x1e"));
        ++*count;
    }
}

QStringList snapshotQueries(const QString& kind)
{
    if (kind == QLatin1String("declaration") || kind == QLatin1String("restore"))
        return {QStringLiteral("select * from ApplT where AppID = 1"),
                QStringLiteral("select * from ApplTInfo where AppID = 1 order by ID")};
    return {QStringLiteral("select * from Employee where UnitID = 1 order by EmpID")};
}

Snapshot snapshot(const QString& path, const QString& kind)
{
    Snapshot s;
    const auto db = TaxDatabase::open(path);
    s.integrity = db->scalar(QStringLiteral("pragma integrity_check")).toString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 count = 0;
    for (const QString& sql : snapshotQueries(kind)) {
        QSqlQuery q(db->connection());
        q.setForwardOnly(true);
        if (!q.exec(sql))
            return s;
        count = 0;
        hashQuery(hash, q, &count);
        hash.addData(QByteArrayLiteral("\x1d"));
    }
    s.rows = count;
    s.checksum = hash.result().toHex();
    return s;
}

// Copies the database with whatever journal files lie beside it; what an earlier restore left beside the
// copy (the kept database, the incoming copy) goes.
bool copyDatabase(const QString& from, const QString& to)
{
    QDir folder = QFileInfo(to).absoluteDir();
    for (const QString& left :
         folder.entryList({QFileInfo(to).fileName() + QStringLiteral(".*")}, QDir::Files))
        if (!left.endsWith(QLatin1String(".source")))
            folder.remove(left);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        QFile::remove(to + QLatin1String(suffix));
        if (QFile::exists(from + QLatin1String(suffix)) &&
            !QFile::copy(from + QLatin1String(suffix), to + QLatin1String(suffix)))
            return false;
    }
    return true;
}

// Starts the driver's save and waits until the document is built and the save begins.
bool startSave(QProcess& p, const QString& kind, const QString& path)
{
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(driverPath(), {QStringLiteral("save"), kind, path, QString::number(kRows)});
    if (!p.waitForStarted(30000))
        return false;
    while (!p.canReadLine()) {
        if (!p.waitForReadyRead(120000))
            return false;
    }
    return p.readLine().trimmed() == "saving";
}

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT
private slots:
    void killedSaveLeavesOldOrNew_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("oldRows");
        QTest::addColumn<qint64>("newRows");
        QTest::newRow("declaration") << QStringLiteral("declaration") << qint64(kRows) << qint64(kRows);
        // The new employee list is one longer than the old one.
        QTest::newRow("employees") << QStringLiteral("employees") << qint64(kRows) << qint64(kRows + 1);
        // A restore puts a database with the new declaration in the place of the old one.
        QTest::newRow("restore") << QStringLiteral("restore") << qint64(kRows) << qint64(kRows);
    }

    // A save killed at any moment leaves the old data or the new, whole, in a sound database.
    void killedSaveLeavesOldOrNew()
    {
        QFETCH(QString, kind);
        QFETCH(qint64, oldRows);
        QFETCH(qint64, newRows);
        QVERIFY2(QFile::exists(driverPath()), qPrintable(driverPath()));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString original = dir.filePath(QStringLiteral("original.mdb"));
        const QString work = dir.filePath(TaxDatabase::fileName());

        QProcess prepare;
        prepare.start(driverPath(), {QStringLiteral("prepare"), kind, original, QString::number(kRows)});
        QVERIFY(prepare.waitForFinished(300000));
        QVERIFY2(prepare.exitStatus() == QProcess::NormalExit && prepare.exitCode() == 0,
                 prepare.readAllStandardError().constData());
        if (kind == QLatin1String("restore"))
            QVERIFY(QFile::copy(original + QStringLiteral(".source"), work + QStringLiteral(".source")));
        const Snapshot old = snapshot(original, kind);
        QCOMPARE(old.integrity, QStringLiteral("ok"));
        QCOMPARE(old.rows, oldRows);

        // One save to the end: the new data, and how long a save takes here.
        QVERIFY(copyDatabase(original, work));
        QProcess full;
        QVERIFY(startSave(full, kind, work));
        QElapsedTimer timer;
        timer.start();
        while (!full.canReadLine()) {
            QVERIFY2(full.waitForReadyRead(300000), full.readAllStandardError().constData());
        }
        QCOMPARE(full.readLine().trimmed(), QByteArray("saved"));
        const qint64 saveMs = std::max<qint64>(1, timer.elapsed());
        QVERIFY(full.waitForFinished(300000));
        QVERIFY2(full.exitStatus() == QProcess::NormalExit && full.exitCode() == 0,
                 full.readAllStandardError().constData());
        const Snapshot newer = snapshot(work, kind);
        QCOMPARE(newer.integrity, QStringLiteral("ok"));
        QCOMPARE(newer.rows, newRows);
        QVERIFY(newer.checksum != old.checksum);

        // The seed comes from ZQ_CRASH_SEED when it is set, so that a failing run can be repeated.
        const QByteArray seedText = qgetenv("ZQ_CRASH_SEED");
        const quint64 seed = seedText.isEmpty() ? std::random_device{}() : seedText.toULongLong();
        qInfo("%s crash trials: seed %llu (repeat with ZQ_CRASH_SEED=%llu), one save takes %lld ms",
              qPrintable(kind), static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed),
              static_cast<long long>(saveMs));
        std::mt19937_64 rng(seed);
        // Kill moments spread over the whole save and a little beyond, so that some kills land after the
        // commit.
        std::uniform_int_distribution<qint64> moment(0, saveMs * 21 / 20);

        int keptOld = 0;
        int keptNew = 0;
        for (int trial = 1; trial <= kTrials; ++trial) {
            const qint64 killAfter = moment(rng);
            QVERIFY(copyDatabase(original, work));
            QProcess p;
            QVERIFY2(startSave(p, kind, work),
                     qPrintable(QStringLiteral("trial %1: the driver did not start").arg(trial)));
            std::this_thread::sleep_for(std::chrono::milliseconds(killAfter));
            p.kill(); // SIGKILL
            QVERIFY(p.waitForFinished(60000));

            const Snapshot s = snapshot(work, kind);
            const QByteArray where = QStringLiteral("trial %1 (seed %2, killed after %3 ms)")
                                         .arg(trial)
                                         .arg(seed)
                                         .arg(killAfter)
                                         .toUtf8();
            QVERIFY2(s.integrity == QLatin1String("ok"), (where + ": " + s.integrity.toUtf8()).constData());
            if (s.checksum == old.checksum)
                ++keptOld;
            else if (s.checksum == newer.checksum)
                ++keptNew;
            else
                QFAIL((where +
                       ": the saved data is neither the old nor the new; rows: " + QByteArray::number(s.rows))
                          .constData());
        }
        qInfo("%s crash trials: %d survived, %d kept the old data, %d the new", qPrintable(kind), kTrials,
              keptOld, keptNew);
    }
};

ZQ_TEST(TestCrashSafety)
#include "TestCrashSafety.moc"
