// A drawing as an ASCII DXF file that general CAD programs open: model space in millimetres
// at full size, one layer per drawing layer, the drawing's own colours, line types and
// widths, block definitions with their nesting, dimensions as anonymous blocks, and the
// embedded images beside the file. Written from the openly documented DXF format, AutoCAD
// 2007 (UTF-8) or AutoCAD 2000 (Shift-JIS), to a stream in pieces.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "formats/drawing.h"
#include "render/display_list.h"
#include "render/render.h"

namespace tolvane::render {

enum class DxfVersion {
    R2000,  // AC1015: code page ANSI_932, characters outside it as \U+XXXX
    R2007,  // AC1021: UTF-8, every character as it is
};

struct DxfOptions {
    DxfVersion Version = DxfVersion::R2007;
    // The folder the reader extracted the drawing's embedded images into. Each image in use
    // is referred to as ImageNamePrefix + its extracted file name, a file the caller puts
    // beside the DXF (DxfReport::Images); without a folder, images are left out.
    std::filesystem::path ImageFolder;
    std::string ImageNamePrefix;
};

struct DxfImageFile {
    std::filesystem::path Extracted;  // in the image folder
    std::string Name;                 // the file name the DXF refers to, UTF-8
};

// A drawing with thousands of broken images or blocks would otherwise make a warning line of
// megabytes: the first few are kept, the rest only counted.
inline constexpr size_t kMaxDxfWarnings = 10;

struct DxfReport {
    // English; one per block or image concerned, at most kMaxDxfWarnings.
    std::vector<std::string> Warnings;
    size_t MoreWarnings = 0;
    // The image files the DXF refers to, each once.
    std::vector<DxfImageFile> Images;
};

// Writes the whole DXF file. A block insertion that would make a block contain itself, or
// one of a block that is not defined, is left out with a warning naming the block. Entities
// with coordinates that are not finite numbers are left out. The caller checks the stream.
DxfReport WriteDxf(const DrawingData& drawing, DrawingFormat format, const DxfOptions& options, std::ostream& out);

// The mappings, for the tests and for anyone who wants to know what became of a pen.

// The AutoCAD colour index (1 to 255, never 7) whose colour is nearest.
int NearestColorIndex(Color color);
// The allowed DXF lineweight (hundredths of a millimetre) nearest to a width in millimetres.
int NearestLineweight(double millimetres);
// A name that DXF symbol tables accept: the characters they forbid (and control
// characters) replaced by "_", trailing blanks dropped.
std::string DxfSymbolName(std::string_view utf8);
// "0-A", then " " and the layer's own name when it has one; layer group and layer 0 to 15.
std::string DxfLayerName(uint16_t layerGroup, uint16_t layer, std::string_view layerNameUtf8);
// The font file a text style names for a font: the usual files of the ＭＳ fonts, the font
// name itself for the others.
std::string DxfFontFile(std::string_view fontNameUtf8);
// A string as the file stores it: UTF-8 for 2007; for 2000 code page 932, with every
// character it lacks (or gives back as another) as \U+XXXX (UTF-16 units, upper-case hex).
std::string DxfEncode(std::string_view utf8, DxfVersion version);

}  // namespace tolvane::render
