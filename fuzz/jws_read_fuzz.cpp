// Reads any bytes as a figure file; what could be read is written back and must read again.
#include <cstddef>
#include <cstdint>

#include "formats/jws.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    DrawingData drawing;
    try {
        ArchiveReader in(data, size);
        ReadJwsFrom(in, drawing);
    } catch (const ArchiveError&) {
        return 0;
    }
    MemorySink sink;
    try {
        WriteJwsTo(sink, drawing, drawing.Header.FileVersion);
    } catch (const ArchiveError& e) {
        fuzz::Broken("a figure file that was read cannot be written", e.what());
    }
    DrawingData again;
    try {
        ArchiveReader in(sink.bytes.data(), sink.bytes.size());
        ReadJwsFrom(in, again);
    } catch (const ArchiveError& e) {
        fuzz::Broken("what the writer wrote cannot be read", e.what());
    }
    if (again.EntityOrder.size() != drawing.EntityOrder.size() || again.BlockDefinitions.size() != drawing.BlockDefinitions.size())
        fuzz::Broken("the figure written back holds other entities", "");
    return 0;
}
