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
    const QStringList lines = ini.split(u'\n');
    // Ask for names that occur in the text, as well as fixed ones.
    QStringList names{QStringLiteral("Server"), QStringLiteral("DataBase")};
    for (const QString& line : lines.mid(0, 8))
        names << line.section(u'=', 0, 0).trimmed().remove(u'[').remove(u']');
    for (const QString& section : names) {
        for (const QString& key : names) {
            const QString v = privateProfileValue(ini, section, key, QStringLiteral("默认"), buffer);
            ZQ_FUZZ_CHECK(v.size() <= buffer - 1, v);
        }
    }
    // A section that cannot occur in the text (its name carries a character the text lacks) appended at the
    // end.
    const QString value = QStringLiteral("值 1");
    const QString appended = ini + QStringLiteral("\n[zq\x01section]\nzqkey = \"%1\"\n").arg(value);
    if (!ini.contains(QStringLiteral("zq\x01section"), Qt::CaseInsensitive)) {
        const QString got = privateProfileValue(appended, QStringLiteral("zq\x01section"),
                                                QStringLiteral("zqkey"), QString(), 255);
        ZQ_FUZZ_CHECK(got == value, got);
        ZQ_FUZZ_CHECK(privateProfileValue(appended, QStringLiteral("zq\x01section"),
                                          QStringLiteral("missing"), QStringLiteral("d"),
                                          255) == QStringLiteral("d"),
                      appended);
    }
    return 0;
}
