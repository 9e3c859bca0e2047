#pragma once

#include <QString>
#include <optional>

namespace zq {

class Database;

// The one login password of the installation, kept in the Sundries row named "Password". An empty or null
// value means that no password has been set. Anything else is stored as a salted PBKDF2-SHA256 hash; a value
// without the hash prefix is a plain-text password from an older database, accepted once and then re-hashed.
// Letter case counts.
class PasswordStore {
public:
    explicit PasswordStore(Database& db) : m_db(db) {}

    // The stored value as it is: nothing when there is no "Password" row, a null text for a null value.
    std::optional<QString> stored() const;
    // Whether a password has been set (the stored value is neither null nor empty).
    bool isSet() const;
    // Whether entry is the stored password. A plain-text value that matches is replaced by its hash.
    bool check(const QString& entry);
    // Stores a new password, as the create-password dialog does. Empty text is stored as empty text (no
    // password set). A missing "Password" row is added.
    void set(const QString& password);

    enum class ChangeResult { Changed, WrongOld };
    // Changes the password. Without a "Password" row the row is added and the old password is not asked for.
    // Otherwise the old password must match; a null or an empty stored value matches an empty old password.
    ChangeResult change(const QString& oldPassword, const QString& newPassword);

    // The stored form of a password: empty text stays empty, anything else becomes its salted hash.
    static QString encode(const QString& password);
    // Whether a stored value is a hash made by encode().
    static bool isHash(const QString& stored);
    // Whether entry matches a stored value (a hash or plain text from an older database).
    static bool matches(const QString& stored, const QString& entry);

    static constexpr int Iterations = 100000;

private:
    void write(const QString& storedValue);
    Database& m_db;
};

} // namespace zq
