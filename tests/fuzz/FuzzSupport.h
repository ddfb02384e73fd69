#pragma once

// Shared by the fuzz targets: the entry points libFuzzer calls, and the input read as text.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace FuzzInput {
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}
inline QString text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(bytes(data, size));
}
} // namespace FuzzInput

// Stops the run (libFuzzer and the replay alike record it as a crash) when a property breaks.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            FuzzSupport::fail(#condition, __FILE__, __LINE__);                                                         \
    } while (false)

namespace FuzzSupport {
[[noreturn]] void fail(const char *condition, const char *file, int line);
}
