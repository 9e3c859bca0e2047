#include "Gbk.h"

#include <algorithm>

namespace zq {

namespace {

void openEncoder(std::optional<QStringEncoder>& encoder)
{
    encoder.reset();
    encoder.emplace("GBK", QStringConverter::Flag::Stateless);
}

} // namespace

Gbk::Gbk()
{
    openEncoder(m_encoder);
}

bool Gbk::encode(QStringView text, QByteArray& out, qsizetype* badIndex)
{
    QByteArray bytes = m_encoder->encode(text);
    if (m_encoder->hasError()) {
        // A fresh encoder for the next call: resetState() does not clear the error of an ICU converter.
        openEncoder(m_encoder);
        if (badIndex)
            *badIndex = firstUnencodable(text);
        return false;
    }
    out += bytes;
    return true;
}

qsizetype Gbk::byteLength(QStringView text)
{
    // Plain ASCII is one byte a character; most texts measured are numbers and codes.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.size();
    // An unencodable character becomes one replacement byte, as the ANSI conversion counts it. Opening a
    // converter is costly, so each thread keeps one; it is replaced after an error, which it would keep.
    thread_local std::optional<QStringEncoder> enc;
    if (!enc)
        openEncoder(enc);
    const QByteArray bytes = enc->encode(text);
    const qsizetype size = bytes.size();
    if (enc->hasError())
        openEncoder(enc);
    return size;
}

qsizetype Gbk::firstUnencodable(QStringView text)
{
    QStringEncoder enc("GBK", QStringConverter::Flag::Stateless);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        if (text[i].unicode() >= 0x80) {
            const QByteArray probe = enc.encode(text.mid(i, len));
            Q_UNUSED(probe);
            if (enc.hasError())
                return i;
        }
        i += len - 1;
    }
    return -1;
}

QString Gbk::characterAt(QStringView text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return QString();
    const qsizetype len =
        (text[index].isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate()) ? 2
                                                                                                       : 1;
    return text.mid(index, len).toString();
}

} // namespace zq
