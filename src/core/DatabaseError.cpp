#include "DatabaseError.h"

#include <QSqlError>

namespace zq {

DatabaseError::DatabaseError(Kind kind, int number, QString description)
    : m_kind(kind), m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
{
}

DatabaseError DatabaseError::fromSqlError(const QSqlError& error, const QString& context)
{
    bool ok = false;
    int number = error.nativeErrorCode().toInt(&ok);
    if (!ok)
        number = -1;
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    return DatabaseError(Kind::Other, number, text);
}

QString errorTypeMessage(int number, const QString& description)
{
    return QStringLiteral("错误类型：") + QString::number(number) + QStringLiteral("\r\n错误描述：") + description;
}

QString errorTypeMessage(const DatabaseError& e) { return errorTypeMessage(e.number(), e.description()); }

} // namespace zq
