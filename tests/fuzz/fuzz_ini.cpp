// The ini reader on any text: a value never exceeds the buffer, a missing key gives the default, and a key
// written into a fresh section of the text is found again.
#include "FuzzSupport.h"
#include "platform/PrivateProfile.h"

#include <QStringList>

using namespace zq;
using zq::platform::privateProfileValue;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int buffer = 2 + data[0] % 64;
    const QString ini = fuzz::text(data + 1, size - 1);
    // Ask for names that occur in the text, as well as fixed ones.
    QStringList names{QStringLiteral("Server"), QStringLiteral("DataBase")};
    for (const QString& line : ini.split(u'\n').mid(0, 8))
        names << line.section(u'=', 0, 0).trimmed().remove(u'[').remove(u']');
    for (const QString& section : names) {
        for (const QString& key : names) {
            const QString v = privateProfileValue(ini, section, key, QStringLiteral("默认"), buffer);
            ZQ_FUZZ_CHECK(v.size() <= buffer - 1, v);
        }
    }
    // A section that cannot occur in the text (its name carries a character the text lacks) appended at the
    // end.
    const QString section = QStringLiteral("zq\x01section");
    if (!ini.contains(section, Qt::CaseInsensitive)) {
        const QString appended = ini + QStringLiteral("\n[%1]\nzqkey = \"值 1\"\n").arg(section);
        const QString got =
            privateProfileValue(appended, section, QStringLiteral("zqkey"), QString(), 255) + u'|' +
            privateProfileValue(appended, section, QStringLiteral("missing"), QStringLiteral("d"), 255);
        ZQ_FUZZ_CHECK(got == QStringLiteral("值 1|d"), appended);
    }
    return 0;
}
