#include "WindowsText.h"

#include <QStringDecoder>

namespace zq::platform {

PlatformError::PlatformError(int number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
{
}

namespace {

QString decodeStrict(QStringDecoder& decoder, QByteArrayView bytes, bool* ok)
{
    QString text = decoder.decode(bytes);
    *ok = !decoder.hasError();
    return text;
}

} // namespace

QString decodeWindowsText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QStringDecoder(QStringDecoder::Utf8).decode(QByteArrayView(bytes).sliced(3));
    // UTF-16LE without its mark: ASCII text shows a zero in every second byte.
    if (bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes[0] != 0 && bytes[1] == 0)
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes);
    bool ok = false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = decodeStrict(utf8, bytes, &ok);
    if (ok)
        return text;
    QStringDecoder gbk("GBK");
    if (gbk.isValid())
        return gbk.decode(bytes);
    return text;
}

} // namespace zq::platform
