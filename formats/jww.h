// JWW drawings: probe, header read, full read and write.
//
// Every operation opens its file itself, closes it before it returns and answers false on any
// failure; the optional error text then says why.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/archive.h"
#include "formats/drawing.h"

namespace tolvane {

inline constexpr std::string_view kJwwSignature = "JwwData.";

// True when the first 8 bytes of the file are "JwwData.".
bool ProbeJww(const std::filesystem::path& path);

// Clears the drawing and reads the header up to the 2.5-D and solid-colour items, for the
// version and memo of the file list. Checks neither the signature nor the version.
bool ReadJwwHeader(const std::filesystem::path& path, DrawingData& drawing, std::string* error = nullptr);

// Reads the whole drawing; the embedded images of a version-700 file are extracted into
// imageFolder under the names ExtractedImageFileName gives them; with an empty imageFolder
// nothing is extracted (the image list keeps names and sizes).
bool ReadJww(const std::filesystem::path& path, DrawingData& drawing, const std::filesystem::path& imageFolder,
             std::string* error = nullptr);
// The same on an open archive (bytes in memory, for tools and fuzzing). Throws ArchiveError.
void ReadJwwFrom(ArchiveReader& in, DrawingData& drawing, const std::filesystem::path& imageFolder);

// Writes the drawing at the given version into a new file (replacing one of that name). The
// images in use are copied from imageFolder. On failure nothing is left at the path.
bool WriteJww(const std::filesystem::path& path, const DrawingData& drawing, uint32_t version,
              const std::filesystem::path& imageFolder, std::string* error = nullptr);
// The same into any sink. Throws ArchiveError; the caller disposes of what was written.
void WriteJwwTo(ByteSink& sink, const DrawingData& drawing, uint32_t version, const std::filesystem::path& imageFolder);

// Deletes the extracted file of every entry of the image list, ignoring failures.
void DeleteExtractedImages(const DrawingData& drawing, const std::filesystem::path& imageFolder);

inline constexpr uint32_t kNoImage = UINT32_MAX;

// The image that each text "^@BM%temp%name,..." refers to, as its position in the image list:
// the first entry whose stored name begins with name, ASCII letters compared without case, or
// kNoImage. One entry per text: the drawing's texts, then those of each block definition in
// turn (dimension texts name no image). Time linear in the texts and the names, whatever their
// number.
std::vector<uint32_t> ImagesOfTexts(const DrawingData& drawing);

// The name under which the image at this position of the image list is extracted into the
// image folder. Only the program makes such names; the stored name is kept in the drawing.
std::string ExtractedImageFileName(size_t index, const ArchiveString& storedName);

}  // namespace tolvane
