// JWS figure files: a fixed header of 452 bytes, then the entity stream of a JWW drawing
// (entity list and block definitions), and nothing after it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "formats/archive.h"
#include "formats/drawing.h"

namespace tolvane {

inline constexpr std::string_view kJwsSignature = "JwsData";

// True when the first 7 bytes are "JwsData" (exact case).
bool ProbeJws(const std::filesystem::path& path);
// The version at offset 200, when the signature matches and the first 220 bytes are there.
bool ReadJwsVersion(const std::filesystem::path& path, uint32_t& version);

// Reads the whole figure file; the version lands in drawing.Header.FileVersion and the
// header in drawing.Jws. Any version is read. The signature is not checked (probe first).
bool ReadJws(const std::filesystem::path& path, DrawingData& drawing, std::string* error = nullptr);
void ReadJwsFrom(ArchiveReader& in, DrawingData& drawing);

// Writes at the given version, adjusted as figure files need (230 or less as 230, 300 as
// 351). On failure nothing is left at the path.
bool WriteJws(const std::filesystem::path& path, const DrawingData& drawing, uint32_t version,
              std::string* error = nullptr);
void WriteJwsTo(ByteSink& sink, const DrawingData& drawing, uint32_t version);
uint32_t AdjustJwsVersion(uint32_t version);

}  // namespace tolvane
