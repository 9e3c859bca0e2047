// The key filters driven key by key, as a text box uses them: a numeric box never takes a 13th integer digit
// or a third decimal, and a box limited in GBK bytes never grows past its limit by typing.
#include "FuzzSupport.h"
#include "core/Gbk.h"
#include "core/TextHelpers.h"

using namespace zq;

namespace {

int integerDigits(const QString& text)
{
    const qsizetype dot = text.indexOf(u'.');
    int n = 0;
    for (QChar c : QStringView(text).left(dot < 0 ? text.size() : dot))
        n += c.isDigit();
    return n;
}

int decimalDigits(const QString& text)
{
    const qsizetype dot = text.indexOf(u'.');
    return dot < 0 ? 0 : int(text.size() - dot - 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // Byte 0 chooses the box; the rest are keys: 0x00-0x0f move the caret, others are key codes.
    const bool withFormat = data[0] & 1;
    const int decimals = (data[0] >> 1) & 1 ? 2 : 0;
    const QStringView format = withFormat ? QStringView(u"0.00") : QStringView();
    const int allowedDecimals = withFormat ? 2 : decimals;
    QString text;
    int caret = 0;
    for (size_t i = 1; i < size; ++i) {
        const uint8_t b = data[i];
        if (b < 0x10) {
            caret = int(b) % (int(text.size()) + 1);
            continue;
        }
        static const int keys[] = {'0', '1', '5', '9', '.', '-', KeyBackspace, KeyEnter, 'a', ' ', ','};
        const int key = keys[b % std::size(keys)];
        const int delivered = FilterNumericKey(text, key, 12, decimals, caret, format);
        ZQ_FUZZ_CHECK(delivered == 0 || delivered == key, text);
        if (delivered == 0 || key == KeyEnter)
            continue;
        if (key == KeyBackspace) {
            if (caret > 0)
                text.remove(--caret, 1);
            continue;
        }
        text.insert(caret++, QChar(char16_t(key)));
        ZQ_FUZZ_CHECK(integerDigits(text) <= 12, text);
        ZQ_FUZZ_CHECK(decimalDigits(text) <= allowedDecimals, text);
        ZQ_FUZZ_CHECK(text.count(u'.') <= 1 && text.count(u'-') <= 1, text);
    }

    // The byte-length filter on typed characters from the input.
    const QString chars = fuzz::text(data + 1, size - 1);
    const int limit = 1 + data[0] % 20;
    QString box;
    for (QChar c : chars) {
        const int key = c.unicode();
        const int delivered = FilterByteLength(box, key, limit, false, 255);
        ZQ_FUZZ_CHECK(delivered == 0 || delivered == key, box);
        if (delivered == 0 || key == KeyEnter || key == KeyBackspace)
            continue;
        box.append(c);
        ZQ_FUZZ_CHECK(Gbk::byteLength(box) <= limit, box);
    }
    return 0;
}
