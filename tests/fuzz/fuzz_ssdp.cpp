// The answer to the router search, as any device of the LAN may send it: the description URL
// taken from it is a plain http:// URL found in the answer, with nothing around it.
#include "FuzzCheck.h"
#include "SsdpSearch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    const QByteArray location = TSsdpSearch::LocationOf(bytes);
    if (location.isEmpty())
        return 0;
    FUZZ_CHECK(location.startsWith("http://"));
    FUZZ_CHECK(bytes.contains(location));
    for (const char c : location)
        FUZZ_CHECK(static_cast<unsigned char>(c) > ' ' && c != '\x7f');
    return 0;
}
