#include "PasswordStore.h"

#include "Database.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace zq {
namespace {

const QString kPrefix = QStringLiteral("pbkdf2-sha256$");
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;

QByteArray derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations,
                                              kKeyBytes);
}

// Compares without stopping at the first difference, so the time taken does not tell how much matched.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

std::optional<QString> PasswordStore::stored() const
{
    const Rows rows =
        m_db.select(QStringLiteral("select Value from Sundries where Name=?"), {QStringLiteral("Password")});
    if (rows.isEmpty())
        return std::nullopt;
    const QVariant v = rows.data.first().first();
    return v.isNull() ? QString() : v.toString();
}

bool PasswordStore::isSet() const
{
    const auto value = stored();
    return value && !value->isEmpty();
}

bool PasswordStore::check(const QString& entry)
{
    const QString value = stored().value_or(QString());
    if (!matches(value, entry))
        return false;
    if (!value.isEmpty() && !isHash(value))
        write(encode(entry));
    return true;
}

void PasswordStore::set(const QString& password)
{
    write(encode(password));
}

PasswordStore::ChangeResult PasswordStore::change(const QString& oldPassword, const QString& newPassword)
{
    const auto value = stored();
    if (value) {
        // A null and an empty stored value both mean "no password": an empty old box matches them.
        const bool correct = value->isEmpty() ? oldPassword.isEmpty() : matches(*value, oldPassword);
        if (!correct)
            return ChangeResult::WrongOld;
    }
    write(encode(newPassword));
    return ChangeResult::Changed;
}

void PasswordStore::write(const QString& storedValue)
{
    const QString name = QStringLiteral("Password");
    if (m_db.exec(QStringLiteral("update Sundries set Value=? where Name=?"), {storedValue, name}) == 0)
        m_db.exec(QStringLiteral("insert into Sundries(Name,Value) values(?,?)"), {name, storedValue});
}

QString PasswordStore::encode(const QString& password)
{
    if (password.isEmpty())
        return QStringLiteral("");
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    return kPrefix + QString::number(Iterations) + u'$' + QString::fromLatin1(salt.toBase64()) + u'$' +
           QString::fromLatin1(derive(password, salt, Iterations).toBase64());
}

bool PasswordStore::isHash(const QString& stored)
{
    return stored.startsWith(kPrefix);
}

bool PasswordStore::matches(const QString& stored, const QString& entry)
{
    if (!isHash(stored))
        return stored == entry; // plain text from an older database; a null value equals empty text
    const QStringList parts = stored.mid(kPrefix.size()).split(u'$');
    if (parts.size() != 3)
        return false;
    bool ok = false;
    const int iterations = parts[0].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10'000'000)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[1].toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts[2].toLatin1());
    if (salt.isEmpty() || key.size() != kKeyBytes)
        return false;
    return sameBytes(derive(entry, salt, iterations), key);
}

} // namespace zq
