#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

namespace zq {

// Text in the ANSI code page of a Chinese Windows system (GBK). A character GBK cannot represent is never
// written as "?": the encoder reports where it is.
class Gbk {
public:
    Gbk();
    bool isValid() const { return m_encoder.isValid(); }
    // Appends the encoded text to out; false (and out unchanged) when a character cannot be encoded, with
    // badIndex set to its position in text.
    bool encode(QStringView text, QByteArray& out, qsizetype* badIndex = nullptr);

    // Bytes the text takes in GBK (a Chinese character 2, ASCII 1; an unencodable character counts 1).
    static qsizetype byteLength(QStringView text);
    // Position of the first character GBK cannot represent, or -1.
    static qsizetype firstUnencodable(QStringView text);
    // The character at a position, whole (a surrogate pair stays together), for messages.
    static QString characterAt(QStringView text, qsizetype index);

private:
    QStringEncoder m_encoder;
};

} // namespace zq
