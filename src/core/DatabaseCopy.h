#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace zq {

// Safe copies of the own database. A copy is taken with SQLite's online backup, so it is consistent even
// while the program has the database open and is saving, and it is checked (integrity, this program's tables)
// before it counts. Every function returns nothing on success, or the reason in one sentence.
class DatabaseCopy {
public:
    // Copies the database at dbPath to outPath (replaced only once the checked copy is complete).
    static std::optional<QString> backup(const QString& dbPath, const QString& outPath);
    // Whether the file is an intact database of this program.
    static std::optional<QString> verify(const QString& path);
    // Puts a copy of file in the place of the database at dbPath. The file is checked first and the database
    // being replaced is kept beside it as "<name>.<yyyyMMdd-HHmmss>.bak" (keptAs receives its path). A crash
    // at any moment leaves either the old or the new database whole. The caller makes sure that no program
    // has the database open.
    static std::optional<QString> restore(const QString& file, const QString& dbPath, const QDateTime& now,
                                          QString* keptAs = nullptr);

    // The copies that a normal exit keeps: backup/ beside the database, one a day, the newest keep of them.
    static QString automaticFolder(const QString& dbPath);
    static QString automaticFileName(const QDate& day);
    // Takes today's copy (replacing an earlier one of the same day) and removes the oldest beyond keep. Does
    // nothing when keep is 0.
    static std::optional<QString> automaticBackup(const QString& dbPath, int keep, const QDate& today,
                                                  QString* written = nullptr);
};

} // namespace zq
