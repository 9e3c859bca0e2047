// The number patterns: a value formatted with a pattern and read back is the value rounded to the pattern's
// decimals; FormatOrZero and FormatNonZero never give a text that is not a number.
#include "FuzzSupport.h"
#include "core/Decimal.h"
#include "core/Money.h"
#include "core/TextHelpers.h"

using namespace zq;

const char16_t* const kPatterns[] = {u"00", u"0.00", u"##", u"#,##0.00", u"0", u"#,##0", u"0.0000", u"#.##"};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QStringView pattern(kPatterns[data[0] % std::size(kPatterns)]);
    const QString input = fuzz::text(data + 1, size - 1);

    // Any text: the parsers never crash and the helpers give a number or nothing.
    const auto parsed = Money::parse(input);
    (void)Decimal::parse(input);
    const QString stored = FormatOrZero(input, pattern);
    ZQ_FUZZ_CHECK(stored.isEmpty() || Decimal::parse(stored) || !Decimal::parse(input), stored);
    (void)FormatNonZero(QVariant(input), pattern);
    if (!parsed)
        return 0;

    // A value that is a number: formatting then parsing gives the value at the pattern's precision.
    const qsizetype dot = pattern.indexOf(u'.');
    qint64 step = 1;
    for (qsizetype i = dot < 0 ? 0 : pattern.size() - dot - 1; i < 4; ++i)
        step *= 10;
    const qint64 raw = parsed->raw();
    // Amounts have at most fourteen integer digits; a value that rounds up past them has no amount to
    // compare.
    constexpr qint64 kLargest = 99999999999998LL * Money::Scale;
    if (raw > kLargest || raw < -kLargest)
        return 0;
    qint64 expected = raw / step * step;
    const qint64 rest = raw % step;
    if (2 * (rest < 0 ? -rest : rest) >= step)
        expected += raw < 0 ? -step : step;
    const QString formatted = parsed->format(pattern);
    if (formatted.isEmpty() && !pattern.contains(u'0')) { // "##" shows a zero as nothing
        ZQ_FUZZ_CHECK(expected == 0, input);
        return 0;
    }
    const auto back = Money::parse(formatted);
    ZQ_FUZZ_CHECK(back.has_value(), input + QStringLiteral(" -> ") + formatted);
    ZQ_FUZZ_CHECK(back->raw() == expected || (expected == 0 && back->raw() == 0),
                  input + QStringLiteral(" -> ") + formatted + QStringLiteral(" -> ") +
                      back->toPlainString());
    // The plain text reads back exactly.
    const auto plain = Money::parse(parsed->toPlainString());
    ZQ_FUZZ_CHECK(plain && *plain == *parsed, input + QStringLiteral(" -> ") + parsed->toPlainString());
    // A stored value shown without grouping reads back to the same value.
    const QString shown = FormatNonZero(QVariant(parsed->toPlainString()), u"0.0000");
    ZQ_FUZZ_CHECK(parsed->isZero() ? shown.isEmpty() : Money::parse(shown) == parsed,
                  input + QStringLiteral(" -> ") + shown);
    return 0;
}
