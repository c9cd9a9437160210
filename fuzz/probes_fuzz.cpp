// The header reads and probes of the file list, on any bytes under every extension class.
#include <cstddef>
#include <cstdint>
#include <fstream>

#include "formats/file_probes.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    static const char* const kNames[] = {"a.jww", "a.JW$", "a.jws", "a.jwc", "a.jwk", "a.bak", "a.bk1", "a.txt"};
    for (const char* name : kNames) {
        const auto path = fuzz::ScratchFolder() / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        FileListVersion(path);
        FileListMemo(path);
        DrawingData header;
        ReadJwwHeader(path, header);
        uint32_t jwsVersion = 0;
        ReadJwsVersion(path, jwsVersion);
        std::string line1, line2;
        ReadJwcHeader(path, line1, line2);
        ReadJwkHeader(path, line1, line2);
        ProbeLegacy(path);
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string stripped = StripControlChars(text);
    if (stripped.size() > text.size()) fuzz::Broken("StripControlChars made a text longer", "");
    return 0;
}
