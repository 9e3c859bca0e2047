#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <optional>

namespace zq {

// Text in the ANSI code page of a Chinese Windows system (GBK). A character GBK cannot represent is never
// written as "?": the encoder reports where it is.
class Gbk {
public:
    Gbk();
    // The encoder reports errors into its own place in memory, so a Gbk stays where it was made.
    Gbk(const Gbk&) = delete;
    Gbk& operator=(const Gbk&) = delete;
    bool isValid() const { return m_encoder->isValid(); }
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
    // Made in place and remade in place after an error: an ICU converter reports its errors to the address
    // of the state it was opened with, which a moved or move-assigned encoder no longer has.
    std::optional<QStringEncoder> m_encoder;
};

} // namespace zq
