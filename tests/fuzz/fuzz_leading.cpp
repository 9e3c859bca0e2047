// The leading-number rule: it reads any text; for a formatted number without grouping the leading value is
// the number; Money::leading agrees with Decimal::leading where the value is in range.
#include "FuzzSupport.h"
#include "core/Decimal.h"
#include "core/Money.h"
#include "core/TextHelpers.h"

using namespace zq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = fuzz::text(data, size);
    const Decimal d = Decimal::leading(input);
    const Money m = Money::leading(input);
    ZQ_FUZZ_CHECK(LeadingNumberIsZero(input) == d.isZero(), input);
    if (const auto viaDecimal = Money::fromDecimal(d))
        ZQ_FUZZ_CHECK(*viaDecimal == m, input + QStringLiteral(" -> ") + m.toPlainString() +
                                            QStringLiteral(" / ") + viaDecimal->toPlainString());

    if (const auto value = Money::parse(input)) {
        for (const char16_t* pattern : {u"0.0000", u"0", u"00", u"0.00", u"##"}) {
            const QString formatted = value->format(pattern);
            if (formatted.isEmpty()) // "##" shows a zero as nothing, and nothing leads with 0
                continue;
            const auto exact = Money::parse(formatted);
            if (!exact) // rounded up past the largest amount (fourteen integer digits)
                continue;
            ZQ_FUZZ_CHECK(Money::leading(formatted) == *exact, input + QStringLiteral(" -> ") + formatted +
                                                                   QStringLiteral(" leads with ") +
                                                                   Money::leading(formatted).toPlainString());
        }
        // With grouping the leading value stops at the first comma.
        const QString grouped = value->format(u"#,##0.00");
        if (!grouped.contains(u','))
            ZQ_FUZZ_CHECK(Money::leading(grouped) == Money::parse(grouped), grouped);
    }
    return 0;
}
