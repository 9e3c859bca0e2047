#pragma once

// Shared by the fuzz targets: the input bytes as text, and a property check that aborts with a message so
// that libFuzzer keeps the input that broke it.
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zq::fuzz {

inline QString text(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The line starts with "ERROR:" because in fork mode libFuzzer copies only such lines of a job's log into its
// own: without it a broken property in a job would show in the run's log as a bare "deadly signal".
[[noreturn]] inline void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "ERROR: property broken: %s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

#define ZQ_FUZZ_CHECK(cond, detail)                                                                          \
    do {                                                                                                     \
        if (!(cond))                                                                                         \
            ::zq::fuzz::fail(#cond, (detail));                                                               \
    } while (0)

} // namespace zq::fuzz
