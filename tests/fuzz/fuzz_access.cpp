// The Access reader on any bytes taken for a file: it loads every table into SQLite or throws
// DatabaseError, nothing else (no crash, no hang, no other exception).
#include "FuzzSupport.h"
#include "finance/AccessFile.h"

#include <exception>
#include <sqlite3.h>

using namespace zq;
using zq::finance::AccessFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK)
        std::abort();
    try {
        const auto file = AccessFile::fromBytes(bytes, QStringLiteral("fuzz.mdb"));
        file->loadInto(db);
        for (const auto& t : file->tables())
            (void)file->rows(t.name, 5);
    } catch (const DatabaseError&) {
        // refused with a description: allowed
    } catch (const std::exception& e) {
        fuzz::fail("an error other than DatabaseError", QString::fromUtf8(e.what()));
    }
    sqlite3_close(db);
    return 0;
}
