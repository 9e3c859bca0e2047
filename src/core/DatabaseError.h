#pragma once

#include <QString>
#include <exception>

class QSqlError;

namespace zq {

// A failure reported by a database: a number and the database's own description.
class DatabaseError : public std::exception {
public:
    // How opening a database failed; start-up chooses its message by this.
    enum class Kind {
        InvalidPath,  // the folder of the path does not exist
        CannotOpen,   // the file is missing or cannot be opened
        NoPermission, // no rights on the file or folder, or the file is locked
        Other,        // anything else (a file that is not a database, a failed statement, ...)
    };

    DatabaseError(Kind kind, int number, QString description);
    DatabaseError(int number, QString description) : DatabaseError(Kind::Other, number, std::move(description)) {}
    static DatabaseError fromSqlError(const QSqlError& error, const QString& context = QString());

    Kind kind() const { return m_kind; }
    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

    // Numbers the kinds carry, as the own database's failures have always been numbered.
    static constexpr int InvalidPathNumber = 3044;
    static constexpr int CannotOpenNumber = 3024;
    static constexpr int NoPermissionNumber = 3051;

private:
    Kind m_kind;
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// "错误类型：" number CR LF "错误描述：" description — how an operation reports a caught error.
QString errorTypeMessage(int number, const QString& description);
QString errorTypeMessage(const DatabaseError& e);

} // namespace zq
