// One fuzzer: the build names its target in ZEM_FUZZ_TARGET.
#include "testing/fuzz/FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const zemfuzz::Target target = [] {
        const zemfuzz::Target found = zemfuzz::FindTarget(ZEM_FUZZ_TARGET);
        if (!found) {
            std::fprintf(stderr, "no fuzz target named %s\n", ZEM_FUZZ_TARGET);
            std::abort();
        }
        return found;
    }();
    return target(data, size);
}
