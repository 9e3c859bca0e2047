// The date parser: a date it accepts is a real date, formats back to a text that parses to the same date,
// and the month parser agrees with it on the first day of the month.
#include "FuzzSupport.h"
#include "core/Dates.h"

using namespace zq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = fuzz::text(data, size);
    const QDate d = Dates::parse(input);
    if (d.isValid()) {
        const QString shown = Dates::formatDate(d);
        ZQ_FUZZ_CHECK(Dates::parse(shown) == d, input + QStringLiteral(" -> ") + shown);
        ZQ_FUZZ_CHECK(Dates::fromStored(QVariant(shown)) == d, shown);
    }
    const QDate m = Dates::parseMonth(input);
    if (m.isValid()) {
        ZQ_FUZZ_CHECK(m.day() == 1, input);
        const QString shown = Dates::formatMonth(m);
        ZQ_FUZZ_CHECK(Dates::parseMonth(shown) == m, input + QStringLiteral(" -> ") + shown);
        ZQ_FUZZ_CHECK(Dates::parse(shown + QStringLiteral("-01")) == m, shown);
    }
    (void)Dates::fromStored(QVariant(input));
    return 0;
}
