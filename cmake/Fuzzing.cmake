# libFuzzer targets (tests/fuzz): asked for with -DKORVALEN_FUZZ=ON in a build folder of their
# own configured with clang (scripts/fuzz does that in build-fuzz/). Every library of that folder
# is instrumented for the fuzzer and built with AddressSanitizer and UBSan, so the fuzzer sees
# into the code it tests and a fault there stops it at once.
include(CheckCXXSourceCompiles)

set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *, std::size_t) { return 0; }
]] KORVALEN_HAS_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)

if(KORVALEN_HAS_LIBFUZZER)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
else()
    message(WARNING "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} cannot build libFuzzer "
                    "targets (-fsanitize=fuzzer); configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
