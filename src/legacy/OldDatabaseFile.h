#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

struct sqlite3;

namespace zq {
class Database;
}

namespace zq::legacy {

// Opens the old program's database for reading only; the file itself is never written. It is recognised by
// its content: an Access file (Jet 3, Jet 4 or ACE) has the old tables loaded into a private in-memory
// database; a SQLite file that holds the same tables is opened read-only as it is. Tables the file lacks are
// simply not there (the migration says so). Throws DatabaseError with a message that names the file when it
// is missing, unreadable, encrypted, damaged or of another kind.
std::unique_ptr<Database> openOldDatabase(const QString& path);

// Whether the file at path is an Access file, whose reading takes a while (throws as openOldDatabase).
bool isAccessFile(const QString& path);

// Reads an old Access file in a way that another thread can stop: load() may run on a worker thread while the
// window keeps answering, cancel() comes from the window, take() hands the result to the thread that uses it.
class OldDatabaseLoader {
public:
    explicit OldDatabaseLoader(QString path);
    ~OldDatabaseLoader();
    OldDatabaseLoader(const OldDatabaseLoader&) = delete;
    OldDatabaseLoader& operator=(const OldDatabaseLoader&) = delete;

    // Reads the old tables into a private in-memory database. False when cancelled; throws DatabaseError.
    bool load();
    // Stops a load() in progress or to come; safe from any thread.
    void cancel();
    // After a successful load(), on the thread that will read it: the loaded database.
    std::unique_ptr<Database> take();

private:
    QString m_path;
    std::mutex m_mutex;
    sqlite3* m_handle = nullptr;
    std::atomic<bool> m_cancelled = false;
    bool m_loaded = false;
};

} // namespace zq::legacy
