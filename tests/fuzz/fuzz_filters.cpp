// The key filters driven key by key and edit by edit, as a text box uses them: a numeric box never takes a
// 13th integer digit or a third decimal, whatever is selected, deleted or pasted, and a box limited in GBK
// bytes never grows past its limit by typing.
#include "FuzzSupport.h"
#include "core/Gbk.h"
#include "core/TextHelpers.h"

using namespace zq;

namespace {

// What a numeric box may hold: at most 12 integer digits, the allowed decimals, one dot and one minus.
void checkNumber(const QString& text, int allowedDecimals)
{
    const qsizetype dot = text.indexOf(u'.');
    int digits = 0;
    for (QChar c : QStringView(text).left(dot < 0 ? text.size() : dot))
        digits += c.isDigit();
    ZQ_FUZZ_CHECK(digits <= 12, text);
    ZQ_FUZZ_CHECK(dot < 0 || text.size() - dot - 1 <= allowedDecimals, text);
    ZQ_FUZZ_CHECK(text.count(u'.') <= 1 && text.count(u'-') <= 1, text);
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
        checkNumber(text, allowedDecimals);
    }

    // The same box edited as the windows edit it: keys and pastes over a selection, Backspace, Delete and Cut
    // of a stretch, each judged whole on the text after it. Bytes 0x00-0x0f place the caret, 0x10-0x1f the
    // other end of the selection.
    {
        static const char16_t* const pieces[] = {u"0",  u"5", u".",      u"-",      u"9.",
                                                 u"12", u"a", u"\uFF11", u"\u3002", u""};
        QString box;
        int caret = 0;
        int anchor = 0;
        for (size_t i = 1; i < size; ++i) {
            const uint8_t b = data[i];
            if (b < 0x10) {
                caret = anchor = int(b) % (int(box.size()) + 1);
                continue;
            }
            if (b < 0x20) {
                anchor = int(b - 0x10) % (int(box.size()) + 1);
                continue;
            }
            int from = qMin(caret, anchor);
            int removed = qAbs(caret - anchor);
            QString inserted;
            if (b % 12 == 10 && removed == 0) { // Backspace
                if (caret == 0)
                    continue;
                from = caret - 1;
                removed = 1;
            } else if (b % 12 == 11 && removed == 0) { // Delete
                if (caret >= box.size())
                    continue;
                removed = 1;
            } else if (b % 12 < 10) {
                inserted = QString::fromUtf16(pieces[b % 12]); // the empty piece is a Cut
            }
            const TextEdit edit = TextEdit::replace(box, from, removed, inserted);
            if (!NumericEditAllowed(edit, 12, decimals, format))
                continue;
            box = edit.after();
            caret = anchor = from + int(inserted.size());
            checkNumber(box, allowedDecimals);
            ZQ_FUZZ_CHECK(box.indexOf(u'-') <= 0, box);
            for (QChar c : box)
                ZQ_FUZZ_CHECK((c.isDigit() && c.unicode() < 0x80) || c == u'.' || c == u'-', box);
        }
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
