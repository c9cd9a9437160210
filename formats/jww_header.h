// The header of a JWW drawing after its signature and version, in two parts: up to the 2.5-D
// and solid-colour items (all the file list needs), then the SXF tables and text settings.
#pragma once

#include <cstdint>

#include "formats/archive.h"
#include "formats/drawing.h"

namespace tolvane {

void ReadHeaderThroughOptions(ArchiveReader& in, DrawingHeader& h, uint32_t version);
void WriteHeaderThroughOptions(ArchiveWriter& out, const DrawingHeader& h, uint32_t version);

void ReadHeaderTables(ArchiveReader& in, DrawingHeader& h, uint32_t version);
void WriteHeaderTables(ArchiveWriter& out, const DrawingHeader& h, uint32_t version);

}  // namespace tolvane
