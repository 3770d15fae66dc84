// The libFuzzer entry of one harness; VELKA_FUZZ_TARGET names it (see targets.h).
#include "targets.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static const velka::fuzz::TTarget* Target = [] {
        const velka::fuzz::TTarget* Found = velka::fuzz::FindTarget(VELKA_FUZZ_TARGET);
        if (!Found) {
            std::fprintf(stderr, "no fuzz harness named %s\n", VELKA_FUZZ_TARGET);
            std::abort();
        }
        return Found;
    }();
    return Target->Run(Data, Size);
}
