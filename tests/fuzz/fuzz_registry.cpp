// The registry-file reader on any text: it reads an export or throws PlatformError, nothing else; a value
// appended as a fresh key of the export is found with its escapes undone.
#include "FuzzSupport.h"
#include "platform/Registry.h"

#include <exception>

using namespace zq;
using zq::platform::RegistryFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = fuzz::text(data, size);
    for (const QString& text : {input, QStringLiteral("Windows Registry Editor Version 5.00\r\n") + input}) {
        try {
            const RegistryFile reg = RegistryFile::parse(text);
            (void)reg.value(QStringLiteral("SOFTWARE\\ZqTest"), QStringLiteral("Path"));
            (void)reg.value(input.left(40), input.mid(40, 20));
        } catch (const std::exception&) {
            // refused as not an export: allowed
        }
    }
    const QString withKey =
        QStringLiteral("Windows Registry Editor Version 5.00\r\n") + input +
        QStringLiteral("\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zq\x01Fuzz]\r\n\"Name\"=\"a\\\\b\\\"c\"\r\n");
    if (!input.contains(QStringLiteral("Zq\x01Fuzz"), Qt::CaseInsensitive) && !input.contains(u'"') &&
        !input.contains(u'[') && !input.contains(u'\\')) {
        // An uncaught error ends the run as a crash: a valid export must not be refused.
        const auto v = RegistryFile::parse(withKey).value(QStringLiteral("SOFTWARE\\Zq\x01Fuzz"),
                                                          QStringLiteral("name"));
        ZQ_FUZZ_CHECK(v && *v == QStringLiteral("a\\b\"c"), withKey);
    }
    return 0;
}
