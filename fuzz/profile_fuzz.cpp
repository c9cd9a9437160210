// libFuzzer entry point; the body is shared with the regression test.
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tolvane::fuzz::FuzzProfile(data, size);
    return 0;
}
