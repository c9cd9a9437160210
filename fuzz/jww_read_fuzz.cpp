// Reads any bytes as a drawing; what could be read is written back and must read again, with
// the same entities.
#include <cstddef>
#include <cstdint>

#include "formats/jww.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    const auto& images = fuzz::ScratchFolder();
    DrawingData drawing;
    try {
        ArchiveReader in(data, size);
        ReadJwwFrom(in, drawing, images);
    } catch (const ArchiveError&) {
        DeleteExtractedImages(drawing, images);
        return 0;
    }
    MemorySink sink;
    try {
        WriteJwwTo(sink, drawing, drawing.Header.FileVersion, images);
    } catch (const ArchiveError& e) {
        fuzz::Broken("a drawing that was read cannot be written", e.what());
    }
    DeleteExtractedImages(drawing, images);
    DrawingData again;
    try {
        ArchiveReader in(sink.bytes.data(), sink.bytes.size());
        ReadJwwFrom(in, again, images);
    } catch (const ArchiveError& e) {
        fuzz::Broken("what the writer wrote cannot be read", e.what());
    }
    DeleteExtractedImages(again, images);
    if (again.EntityOrder.size() != drawing.EntityOrder.size() || again.BlockDefinitions.size() != drawing.BlockDefinitions.size())
        fuzz::Broken("the drawing written back holds other entities", "");
    return 0;
}
