// The profile-file parser on any bytes: reading never fails, and a value set is read back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "settings/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ProfileDocument document = ProfileDocument::Parse(bytes);
    for (const char* key : {"C1", "W265", "CVNO", "FL1", "F1_X", "FLD1"}) {
        document.Get("JWW", key, 22);
        document.Get("Set", key, 512);
    }
    document.Set("JWW", "C5", "123");
    document.Set("Fuzz Section", "Key", "-42");
    const ProfileDocument again = ProfileDocument::Parse(document.Bytes());
    const auto c5 = again.Get("JWW", "C5", 22);
    const auto key = again.Get("fuzz section", "KEY", 22);
    if (!c5.first || c5.second != "123") fuzz::Broken("a value set is not read back", "C5=" + c5.second);
    if (!key.first || key.second != "-42") fuzz::Broken("a value set is not read back", "Key=" + key.second);
    return 0;
}
