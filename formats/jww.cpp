#include "formats/jww.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <system_error>
#include <vector>

#include "formats/entity_stream.h"
#include "formats/jww_header.h"
#include "formats/utf8_path.h"

namespace tolvane {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kImageTextPrefix = "^@BM%temp%";
constexpr size_t kCopyBufferSize = 1 << 16;

uint32_t ReadSignatureAndVersion(ArchiveReader& in, DrawingHeader& h) {
    h.Signature = in.ReadFixedString(kJwwSignature.size());
    h.FileVersion = in.ReadU32();
    return h.FileVersion;
}

// Item 45 (from 700 on): a plain u32 count, then per image its name, its size and its bytes.
// Each image is extracted into the image folder under its own name, which therefore has to
// be a plain file name.
void ReadImages(ArchiveReader& in, DrawingData& drawing, const fs::path& imageFolder) {
    drawing.EmbeddedImageList.clear();
    const uint32_t count = in.ReadU32();
    if (count > in.Remaining() / 5)
        throw ArchiveError("an image count of " + std::to_string(count) + " does not fit in the rest of the file");
    drawing.EmbeddedImageList.resize(count);
    std::vector<char> buffer;
    for (EmbeddedImage& image : drawing.EmbeddedImageList) {
        image.Name = in.ReadString();
        image.Size = in.ReadU32();
        image.InUse = false;
        if (!image.Name.empty() && !IsSafeImageName(image.Name))
            throw ArchiveError("the embedded image name \"" + image.Name + "\" is not a plain file name");
        if (image.Size > in.Remaining())
            throw ArchiveError("the embedded image \"" + image.Name + "\" of " + std::to_string(image.Size) +
                               " bytes does not fit in the rest of the file");
        if (image.Size == 0) continue;
        if (image.Name.empty()) {
            in.Skip(image.Size);  // bytes without a name to store them under
            continue;
        }
        std::error_code ignored;
        fs::create_directories(imageFolder, ignored);
        const fs::path target = imageFolder / fs::path(image.Name);
        std::ofstream file(target, std::ios::binary | std::ios::trunc);
        buffer.resize(std::min<size_t>(kCopyBufferSize, image.Size));
        for (uint32_t left = image.Size; left > 0 && file;) {
            const auto part = static_cast<uint32_t>(std::min<size_t>(left, buffer.size()));
            in.ReadBytes(buffer.data(), part);
            file.write(buffer.data(), part);
            left -= part;
        }
        file.close();
        if (!file) {
            fs::remove(target, ignored);
            throw ArchiveError("cannot extract the embedded image \"" + image.Name + "\" into " + Utf8FromPath(imageFolder));
        }
    }
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (upper(text[i]) != upper(prefix[i])) return false;
    }
    return true;
}

// "^@BM%temp%name,..." marks the first entry whose name begins with name.
void MarkImageOfText(DrawingData& drawing, const std::string& text) {
    if (text.size() <= kImageTextPrefix.size() || !text.starts_with(kImageTextPrefix)) return;
    const size_t comma = text.find(',');
    if (comma == std::string::npos || comma <= kImageTextPrefix.size()) return;
    const std::string_view name = std::string_view(text).substr(kImageTextPrefix.size(), comma - kImageTextPrefix.size());
    for (EmbeddedImage& image : drawing.EmbeddedImageList) {
        if (StartsWithIgnoringAsciiCase(image.Name, name)) {
            image.InUse = true;
            return;
        }
    }
}

struct ImageToWrite {
    const EmbeddedImage* Image;
    fs::path File;
    uint32_t Size;
};

// Marks the images that a text refers to (top-level texts and block members, not dimension
// texts) and whose files are still there, and sizes their files, so that the count written
// is the count of images that follow.
std::vector<ImageToWrite> CollectImagesInUse(DrawingData& drawing, const fs::path& imageFolder) {
    for (EmbeddedImage& image : drawing.EmbeddedImageList) image.InUse = false;
    for (const TextRecord& text : drawing.Texts) MarkImageOfText(drawing, text.Text);
    for (const BlockDefinition& definition : drawing.BlockDefinitions)
        for (const TextRecord& text : definition.Texts) MarkImageOfText(drawing, text.Text);

    std::vector<ImageToWrite> images;
    for (EmbeddedImage& image : drawing.EmbeddedImageList) {
        if (!image.InUse) continue;
        std::error_code error;
        const fs::path file = imageFolder / fs::path(image.Name);
        if (!IsSafeImageName(image.Name) || !fs::is_regular_file(file, error)) {
            image.InUse = false;  // its file is gone: the image is dropped
            continue;
        }
        const uintmax_t size = fs::file_size(file, error);
        std::ifstream probe(file, std::ios::binary);
        if (error || !probe) throw ArchiveError("cannot open the image file " + Utf8FromPath(file));
        if (size > 0xFFFFFFFFu) throw ArchiveError("the image file " + Utf8FromPath(file) + " is too large");
        images.push_back({&image, file, static_cast<uint32_t>(size)});
    }
    return images;
}

// An image that cannot be copied completely fails the write: a short image entry would make
// the whole drawing unreadable.
void WriteImages(ArchiveWriter& out, DrawingData& drawing, const fs::path& imageFolder) {
    const std::vector<ImageToWrite> images = CollectImagesInUse(drawing, imageFolder);
    out.WriteU32(static_cast<uint32_t>(images.size()));
    std::vector<char> buffer(kCopyBufferSize);
    for (const ImageToWrite& image : images) {
        out.WriteString(image.Image->Name);
        out.WriteU32(image.Size);
        std::ifstream file(image.File, std::ios::binary);
        uint32_t left = image.Size;
        while (left > 0 && file) {
            file.read(buffer.data(), static_cast<std::streamsize>(std::min<size_t>(left, buffer.size())));
            const auto got = static_cast<uint32_t>(file.gcount());
            if (got == 0) break;
            out.WriteBytes(buffer.data(), got);
            left -= got;
        }
        if (left > 0) throw ArchiveError("the image file " + Utf8FromPath(image.File) + " could not be copied completely");
    }
}

}  // namespace

bool IsSafeImageName(const std::string& name) {
    if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<uint8_t>(name[i]);
        if (IsShiftJisLeadByte(b)) {
            ++i;  // the second byte of a double-byte character may be 0x5C and is no separator
            continue;
        }
        if (b < 0x20 || b == 0x7F) return false;
        if (std::string_view("/\\:*?\"<>|").find(static_cast<char>(b)) != std::string_view::npos) return false;
    }
    return true;
}

bool ProbeJww(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::array<char, 8> bytes{};
    if (!file.read(bytes.data(), bytes.size())) return false;
    return std::string_view(bytes.data(), bytes.size()) == kJwwSignature;
}

bool ReadJwwHeader(const fs::path& path, DrawingData& drawing) {
    drawing.Clear();
    return ReadFileWith(
        path,
        [&](ArchiveReader& in) {
            const uint32_t version = ReadSignatureAndVersion(in, drawing.Header);
            ReadHeaderThroughOptions(in, drawing.Header, version);
        },
        nullptr);
}

void ReadJwwFrom(ArchiveReader& in, DrawingData& drawing, const fs::path& imageFolder) {
    drawing.Clear();
    const uint32_t version = ReadSignatureAndVersion(in, drawing.Header);
    if (version < 220)
        throw ArchiveError("data version " + std::to_string(version) + " is older than 2.20 and cannot be read");
    // Versions newer than 700 are read with the layout of 700.
    ReadHeaderThroughOptions(in, drawing.Header, version);
    ReadHeaderTables(in, drawing.Header, version);
    ReadEntityStream(in, drawing, version);
    if (version >= 700) ReadImages(in, drawing, imageFolder);
}

bool ReadJww(const fs::path& path, DrawingData& drawing, const fs::path& imageFolder, std::string* error) {
    return ReadFileWith(path, [&](ArchiveReader& in) { ReadJwwFrom(in, drawing, imageFolder); }, error);
}

void WriteJwwTo(ByteSink& sink, DrawingData& drawing, uint32_t version, const fs::path& imageFolder) {
    ArchiveWriter out(sink);
    out.WriteFixedString(kJwwSignature);
    out.WriteU32(version);
    WriteHeaderThroughOptions(out, drawing.Header, version);
    WriteHeaderTables(out, drawing.Header, version);
    WriteEntityStream(out, drawing, version, ImageTextRewrite::None);
    if (version >= 700) WriteImages(out, drawing, imageFolder);
    out.Flush();
}

bool WriteJww(const fs::path& path, DrawingData& drawing, uint32_t version, const fs::path& imageFolder,
              std::string* error) {
    return WriteFileWith(path, [&](ByteSink& sink) { WriteJwwTo(sink, drawing, version, imageFolder); }, error);
}

void DeleteExtractedImages(const DrawingData& drawing, const fs::path& imageFolder) {
    for (const EmbeddedImage& image : drawing.EmbeddedImageList) {
        if (!IsSafeImageName(image.Name)) continue;
        std::error_code ignored;
        fs::remove(imageFolder / fs::path(image.Name), ignored);
    }
}

}  // namespace tolvane
