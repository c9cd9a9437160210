// What a drawing or figure file holds, for tolvane-cli inspect and the desktop program's 点検
// window and 使用数 column: the layers that hold entities, the pens in use per entity kind
// (top level and block members apart), the colours of the text kinds and of the dimension
// setting; and the pens summed over many files. Reading only: nothing is written, not even
// the embedded images.
#pragma once

#include <array>
#include <atomic>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "conversion/drawing_file.h"
#include "formats/drawing.h"

namespace tolvane {

// The entity kinds whose pens are counted, in the order they are listed.
enum class PenEntity : uint8_t { Line, Arc, Point, Text, Solid, Dimension, Insert };
inline constexpr size_t kPenEntityCount = 7;

// "line", "arc", "point", "text", "solid", "dimension", "insert".
const char* PenEntityName(PenEntity entity);
// A colour means something on every kind but a block insertion, whose members carry their own
// pens; a line type and a width only on lines, arcs and dimensions. Elsewhere the conversion
// never changes them.
bool CarriesColor(PenEntity entity);
bool CarriesLineTypeAndWidth(PenEntity entity);

// A dimension is counted with the pen of its dimension line: the part that is drawn as a line
// and whose pen the conversion changes (the dimension's own pen is carried through unchanged).
struct PenKey {
    PenEntity Entity = PenEntity::Line;
    uint16_t Color = 0;
    uint8_t LineType = 0;
    uint16_t Width = 0;

    auto operator<=>(const PenKey&) const = default;
};

struct PenUse {
    PenKey Pen;
    uint64_t Count = 0;     // top-level entities
    uint64_t InBlocks = 0;  // members of block definitions
};

// A layer holding top-level entities. Members of a block definition are left out: they are
// drawn on the layer of the insertion.
struct LayerUse {
    uint16_t Group = 0;
    uint16_t Layer = 0;
    ArchiveString GroupName;  // empty in a figure file, which stores no names
    ArchiveString Name;
    uint64_t Count = 0;
};

// A layer as the CAD program names it: layer group and layer one hexadecimal digit each,
// "0-F"; numbers beyond 15 (damaged files) with more digits.
std::string LayerNumberText(uint16_t group, uint16_t layer);

struct DrawingInspection {
    DrawingFileKind Kind = DrawingFileKind::Jww;
    uint32_t Version = 0;
    StringForm Strings = StringForm::Bytes;
    std::vector<LayerUse> Layers;  // by layer group, then layer; numbers beyond 15 (damaged files) last
    std::vector<PenUse> Pens;      // in PenKey order
    // Only a drawing's header holds text kinds and a dimension setting.
    bool HasHeaderColors = false;
    std::array<uint32_t, 10> TextKindColors{};
    // The units, tens and hundreds digits of the setting's first word (a signed value).
    std::array<int32_t, 3> DimensionSettingColors{};
};

DrawingInspection InspectDrawing(const DrawingData& drawing, DrawingFileKind kind);

struct FileInspection {
    std::filesystem::path File;
    bool Ok = false;
    std::string Error;  // English, as info gives it, when not Ok
    DrawingInspection Drawing;
};

// Reads the file by its signature, without extracting images, into scratch (which holds it
// until the next read) and inspects it. Never throws for bad input.
FileInspection InspectFile(const std::filesystem::path& file, DrawingData& scratch);

struct InspectOptions {
    // Workers; 0 takes one per core.
    unsigned Jobs = 0;
    // Set by another thread: no file starts after it is seen.
    const std::atomic<bool>* Stop = nullptr;
    // Runs on the workers, one call at a time, in file order, each index once.
    std::function<void(size_t index, FileInspection& inspection)> Reported;
};

// Inspects the files on several workers at once; answers how many were inspected (the first
// ones: a stop leaves the rest out).
size_t InspectFiles(const std::vector<std::filesystem::path>& files, const InspectOptions& options);

struct PenTotal {
    PenKey Pen;
    uint64_t Count = 0;
    uint64_t InBlocks = 0;
    uint64_t Files = 0;  // files that use the pen, at the top level or in a block
};

// The pens of many files summed: the input for designing the conversion tables.
class PenSummary {
public:
    void Add(const DrawingInspection& inspection);
    std::vector<PenTotal> Totals() const;  // in PenKey order

private:
    std::map<PenKey, PenTotal> totals_;
};

}  // namespace tolvane
