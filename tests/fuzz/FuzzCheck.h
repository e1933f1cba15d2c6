// What every fuzz target shares: a broken invariant stops the fuzzer like a crash does, so that
// it keeps the input that broke it.
#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzInvariantBroken(const char *condition, const char *file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

// A macro, so that the report names the condition and its line.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void() : FuzzInvariantBroken(#condition, __FILE__, __LINE__))

// The fuzzer's input as bytes, without a copy.
inline QByteArray FuzzBytes(const std::uint8_t *data, std::size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                   static_cast<qsizetype>(size));
}

// Whether this input also goes through a file: one in 16, chosen by its bytes so that a failing
// input fails again, and few enough that the disk does not set the pace.
inline bool ThroughFileToo(const QByteArray &bytes) {
    return qHash(bytes) % 16 == 0;
}
