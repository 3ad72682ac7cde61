#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// Shared pieces of the fuzz targets.
namespace FuzzSupport {
    // A directory private to this process, in memory when /dev/shm is there; removed at exit.
    const QString &scratchDir();
    void writeFile(const QString &path, const QByteArray &bytes);
    QByteArray readFile(const QString &path);
    bool isValidUtf8(const QByteArray &bytes);
    // Prints what broke and aborts, so libFuzzer keeps the input as a crash.
    [[noreturn]] void fail(const char *property, const QString &detail = {});
} // namespace FuzzSupport

#define FUZZ_CHECK(condition, detail)                                                                                  \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            FuzzSupport::fail(#condition, detail);                                                                     \
    } while (false)
