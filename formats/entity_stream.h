// The entity list and the block-definition list, which JWW drawings and JWS figure files
// encode alike after their own headers.
#pragma once

#include <cstdint>

#include "formats/archive.h"
#include "formats/drawing.h"

namespace tolvane {

// Reads the entity list and then the block definitions into the drawing's arrays; the index
// map starts at 1. Throws ArchiveError on a short read or an object of no known class.
void ReadEntityStream(ArchiveReader& in, DrawingData& drawing, uint32_t version);

enum class ImageTextRewrite {
    None,
    // Figure files store the image texts "^@BM%temp%..." of entities as "^@BM...".
    JwsShortPrefix,
};

// Writes what ReadEntityStream reads, at the given version, every base through
// CheckEntityBase and every text and name through CleanArchiveText.
void WriteEntityStream(ArchiveWriter& out, const DrawingData& drawing, uint32_t version,
                       ImageTextRewrite rewrite);

// The copy of a base that the writer stores for an entity written as the given kind
// (dimension lines as lines, dimension texts as texts, dimension points as points).
EntityBase CheckEntityBase(const EntityBase& base, EntityKind kind, uint32_t version);

// The standard line type or colour that replaces an SXF one below version 420; other numbers
// are returned unchanged.
uint8_t StandardLineTypeOfSxf(uint8_t penStyle);
uint16_t StandardColorOfSxf(uint16_t penColor);

}  // namespace tolvane
