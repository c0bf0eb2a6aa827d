#pragma once
// The bodies of the fuzz targets: each feeds one reader arbitrary bytes. The fuzzers call them
// through libFuzzer; the base tests replay through them the inputs that once found faults, so a
// fault fixed stays fixed. A target returns 0 and aborts on a broken promise of the code it runs.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zemfuzz {

using Target = int (*)(const std::uint8_t* data, std::size_t size);

struct NamedTarget {
    std::string_view name;  // as the fuzzer "fuzz_<name>" and the regression folder are named
    Target run;
};

// Every target. The file targets write the bytes into a task folder made once per process under
// the temporary folder (removed at exit) and open the task or invigilation set from there.
const std::vector<NamedTarget>& Targets();
// The target of that name, or null.
Target FindTarget(std::string_view name);

}  // namespace zemfuzz
