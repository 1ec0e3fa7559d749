// One libFuzzer program; HUBQUILL_FUZZ_TARGET names the target it runs (fuzz/entries.h).

#include "fuzz/entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Run(HUBQUILL_FUZZ_TARGET, {data, size});
    return 0;
}
