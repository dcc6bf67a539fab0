// libFuzzer entry: every input is one pattern and one text (see
// bmdifferential.h); a match that differs from the naive search aborts.

#include "bmdifferential.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const bmdifferential::Outcome outcome = bmdifferential::checkInput(data, size);
    if (!outcome.ok) {
        std::fprintf(stderr, "mismatch: %s (engine %d, naive %d)\n", outcome.what.c_str(),
                     int(outcome.engine), int(outcome.naive));
        std::abort();
    }
    return 0;
}
