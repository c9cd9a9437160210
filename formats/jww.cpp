#include "formats/jww.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <system_error>
#include <vector>

#include "formats/entity_stream.h"
#include "formats/jww_header.h"
#include "formats/utf8_path.h"

namespace tolvane {

namespace {

namespace fs = std::filesystem;

constexpr size_t kCopyBufferSize = 1 << 16;

uint32_t ReadSignatureAndVersion(ArchiveReader& in, DrawingHeader& h) {
    h.Signature = in.ReadFixedString(kJwwSignature.size());
    h.FileVersion = in.ReadU32();
    return h.FileVersion;
}

// The image section (from 700 on): a plain u32 count, then per image its name, its size and
// its bytes. Each image with a name and bytes is extracted into the image folder under a name
// the program makes, so that no stored name (a wide one, one with "..", separators or more
// characters than a file system allows) is ever used as a path. Without an image folder the
// bytes are passed over and nothing is written: a read that only looks at the entities.
void ReadImages(ArchiveReader& in, DrawingData& drawing, const fs::path& imageFolder) {
    drawing.EmbeddedImageList.clear();
    const uint32_t count = in.ReadU32();
    if (count > in.Remaining() / 5)
        throw ArchiveError("an image count of " + std::to_string(count) + " does not fit in the rest of the file");
    drawing.EmbeddedImageList.resize(count);
    std::vector<char> buffer;
    for (size_t index = 0; index < count; ++index) {
        EmbeddedImage& image = drawing.EmbeddedImageList[index];
        image.Name = in.ReadString();
        image.Size = in.ReadU32();
        if (image.Size > in.Remaining())
            throw ArchiveError("embedded image " + std::to_string(index + 1) + " of " + std::to_string(image.Size) +
                               " bytes does not fit in the rest of the file");
        if (image.Size == 0) continue;
        if (image.Name.empty() || imageFolder.empty()) {
            in.Skip(image.Size);  // bytes without a name to refer to them, or not wanted
            continue;
        }
        std::error_code error, ignored;
        // The images of a drawing may be confidential: a folder made for them, and each of
        // them, is for its owner only.
        if (fs::create_directories(imageFolder, error))
            fs::permissions(imageFolder, fs::perms::owner_all, fs::perm_options::replace, ignored);
        const std::string fileName = ExtractedImageFileName(index, image.Name);
        const fs::path target = imageFolder / fileName;
        errno = 0;
        std::ofstream file(target, std::ios::binary | std::ios::trunc);
        if (file) fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ignored);
        buffer.resize(std::min<size_t>(kCopyBufferSize, image.Size));
        for (uint32_t left = image.Size; left > 0 && file;) {
            const auto part = static_cast<uint32_t>(std::min<size_t>(left, buffer.size()));
            in.ReadBytes(buffer.data(), part);
            file.write(buffer.data(), part);
            left -= part;
        }
        if (file) file.close();
        if (!file) {
            const int reason = errno;
            fs::remove(target, ignored);
            throw ArchiveError("cannot extract embedded image " + std::to_string(index + 1) + " into " +
                               Utf8FromPath(imageFolder) +
                               (error ? ": " + error.message()
                                : reason != 0 ? ": " + std::generic_category().message(reason)
                                              : std::string()));
        }
        image.FileName = fileName;
    }
}

// A text "^@BM%temp%name,..." marks the first image of the list whose stored name begins with
// name, ASCII letters compared without case. Each name the texts ask for is hashed once; each
// image name is then walked once, unit by unit, its prefix hash grown as it goes and looked up
// among the names asked for at their lengths, so that the time is that of reading the texts
// and the names once, however many of each a drawing holds.
char16_t FoldCase(char16_t unit) { return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit; }

// FNV-1a over code units: the hash of a prefix one unit longer follows from the shorter one.
constexpr uint64_t kHashStart = 14695981039346656037ull;
uint64_t HashStep(uint64_t hash, char16_t unit) { return (hash ^ unit) * 1099511628211ull; }

struct ImageQuery {
    const ArchiveString* Text;  // the name is units [kImageTextPrefix.size(), + Length) of it
    uint64_t Hash = 0;
    size_t Length = 0;
    uint32_t Image = kNoImage;  // the first image whose name begins with it
    uint32_t Same = 0;          // the first query of the same name, which holds the answer
};

bool SameFolded(const ArchiveString& a, size_t aFrom, const ArchiveString& b, size_t bFrom, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (FoldCase(a.UnitAt(aFrom + i)) != FoldCase(b.UnitAt(bFrom + i))) return false;
    return true;
}

// The names the texts ask for, each once, in a table of open addressing at most half full.
class ImageQueries {
public:
    // The number of the query the text makes, or kNoImage for a text that names no image.
    uint32_t Ask(const ArchiveString& text) {
        if (text.Length() <= kImageTextPrefix.size() || !text.StartsWith(kImageTextPrefix)) return kNoImage;
        const size_t comma = text.Find(',', kImageTextPrefix.size());
        if (comma == std::string::npos || comma == kImageTextPrefix.size()) return kNoImage;
        ImageQuery query{&text, kHashStart, comma - kImageTextPrefix.size()};
        for (size_t i = 0; i < query.Length; ++i)
            query.Hash = HashStep(query.Hash, FoldCase(text.UnitAt(kImageTextPrefix.size() + i)));
        queries_.push_back(query);
        return static_cast<uint32_t>(queries_.size() - 1);
    }

    // Drops the names asked for twice and makes the table; false when nothing is asked.
    bool Index() {
        if (queries_.empty()) return false;
        size_t slots = 2;
        while (slots < 2 * queries_.size()) slots *= 2;
        table_.assign(slots, kEmpty);
        for (uint32_t q = 0; q < queries_.size(); ++q) {
            ImageQuery& query = queries_[q];
            size_t slot = Probe(query.Hash);
            for (; table_[slot] != kEmpty; slot = (slot + 1) & (slots - 1)) {
                const ImageQuery& known = queries_[table_[slot]];
                if (known.Hash == query.Hash && known.Length == query.Length &&
                    SameFolded(*known.Text, kImageTextPrefix.size(), *query.Text, kImageTextPrefix.size(), query.Length))
                    break;
            }
            if (table_[slot] == kEmpty) table_[slot] = q;
            query.Same = table_[slot];
            if (query.Length >= asked_.size()) asked_.resize(query.Length + 1, false);
            asked_[query.Length] = true;
        }
        return true;
    }

    // The image answers every name asked for that its name begins with and that no earlier
    // image answered. Walks the name once.
    void Answer(const ArchiveString& name, uint32_t image) {
        const size_t longest = std::min(name.Length(), asked_.size() - 1);
        uint64_t hash = kHashStart;
        for (size_t length = 1; length <= longest; ++length) {
            hash = HashStep(hash, FoldCase(name.UnitAt(length - 1)));
            if (!asked_[length]) continue;
            for (size_t slot = Probe(hash); table_[slot] != kEmpty; slot = (slot + 1) & (table_.size() - 1)) {
                ImageQuery& query = queries_[table_[slot]];
                if (query.Hash != hash || query.Length != length || query.Image != kNoImage ||
                    !SameFolded(*query.Text, kImageTextPrefix.size(), name, 0, length))
                    continue;
                query.Image = image;
            }
        }
    }

    uint32_t ImageOf(uint32_t query) const { return queries_[queries_[query].Same].Image; }

private:
    static constexpr uint32_t kEmpty = UINT32_MAX;
    size_t Probe(uint64_t hash) const { return static_cast<size_t>(hash ^ hash >> 32) & (table_.size() - 1); }

    std::vector<ImageQuery> queries_;
    std::vector<uint32_t> table_;
    std::vector<bool> asked_;  // by length
};

// A text names its image only by name, and the first image of that name answers: a second
// image of the same name (one picture inserted twice) goes with the first, or it would be lost.
// The names in use are hashed into a table as the names asked for are, so that each name is
// walked once.
void KeepImagesOfTheSameName(const std::vector<EmbeddedImage>& images, std::vector<bool>& inUse) {
    auto hashOf = [](const ArchiveString& name) {
        uint64_t hash = kHashStart;
        for (size_t i = 0; i < name.Length(); ++i) hash = HashStep(hash, FoldCase(name.UnitAt(i)));
        return hash;
    };
    size_t used = 0;
    for (size_t i = 0; i < images.size(); ++i) used += inUse[i] ? 1 : 0;
    if (used == 0 || used == images.size()) return;
    size_t slots = 2;
    while (slots < 2 * used) slots *= 2;
    struct Entry {
        uint64_t Hash = 0;
        size_t Image = SIZE_MAX;
    };
    std::vector<Entry> table(slots);
    auto probe = [&](uint64_t hash) { return static_cast<size_t>(hash ^ hash >> 32) & (slots - 1); };
    for (size_t i = 0; i < images.size(); ++i) {
        if (!inUse[i]) continue;
        const uint64_t hash = hashOf(images[i].Name);
        size_t slot = probe(hash);
        while (table[slot].Image != SIZE_MAX) slot = (slot + 1) & (slots - 1);
        table[slot] = {hash, i};
    }
    for (size_t i = 0; i < images.size(); ++i) {
        if (inUse[i]) continue;
        const ArchiveString& name = images[i].Name;
        const uint64_t hash = hashOf(name);
        for (size_t slot = probe(hash); table[slot].Image != SIZE_MAX; slot = (slot + 1) & (slots - 1)) {
            const ArchiveString& kept = images[table[slot].Image].Name;
            if (table[slot].Hash == hash && kept.Length() == name.Length() && SameFolded(kept, 0, name, 0, name.Length())) {
                inUse[i] = true;
                break;
            }
        }
    }
}

struct ImageToWrite {
    size_t Index;  // in the image list
    uint32_t Size;
};

// The images that a text refers to (top-level texts and block members, not dimension texts)
// and whose files are still there, in list order, with their sizes, so that the count
// written is the count of images that follow.
std::vector<ImageToWrite> CollectImagesInUse(const DrawingData& drawing, const fs::path& imageFolder) {
    std::vector<bool> inUse(drawing.EmbeddedImageList.size(), false);
    if (inUse.empty()) return {};
    for (const uint32_t image : ImagesOfTexts(drawing))
        if (image != kNoImage) inUse[image] = true;
    KeepImagesOfTheSameName(drawing.EmbeddedImageList, inUse);

    std::vector<ImageToWrite> images;
    for (size_t i = 0; i < inUse.size(); ++i) {
        const EmbeddedImage& image = drawing.EmbeddedImageList[i];
        if (!inUse[i] || image.FileName.empty()) continue;
        std::error_code error;
        const fs::path file = imageFolder / image.FileName;
        if (!fs::is_regular_file(file, error)) continue;  // its file is gone: the image is dropped
        const uintmax_t size = fs::file_size(file, error);
        std::ifstream probe(file, std::ios::binary);
        if (error || !probe) throw ArchiveError("cannot open the image file " + Utf8FromPath(file));
        if (size > 0xFFFFFFFFu) throw ArchiveError("the image file " + Utf8FromPath(file) + " is too large");
        images.push_back({i, static_cast<uint32_t>(size)});
    }
    return images;
}

// An image that cannot be copied completely fails the write: a short image entry would make
// the whole drawing unreadable.
void WriteImages(ArchiveWriter& out, const DrawingData& drawing, const fs::path& imageFolder) {
    const std::vector<ImageToWrite> images = CollectImagesInUse(drawing, imageFolder);
    out.WriteU32(static_cast<uint32_t>(images.size()));
    std::vector<char> buffer(kCopyBufferSize);
    for (const ImageToWrite& image : images) {
        const EmbeddedImage& entry = drawing.EmbeddedImageList[image.Index];
        out.WriteString(entry.Name);
        out.WriteU32(image.Size);
        const fs::path path = imageFolder / entry.FileName;
        std::ifstream file(path, std::ios::binary);
        uint32_t left = image.Size;
        while (left > 0 && file) {
            file.read(buffer.data(), static_cast<std::streamsize>(std::min<size_t>(left, buffer.size())));
            const auto got = static_cast<uint32_t>(file.gcount());
            if (got == 0) break;
            out.WriteBytes(buffer.data(), got);
            left -= got;
        }
        if (left > 0) throw ArchiveError("the image file " + Utf8FromPath(path) + " could not be copied completely");
    }
}

}  // namespace

// A text without a comma, or with the comma right after the prefix, names no image.
std::vector<uint32_t> ImagesOfTexts(const DrawingData& drawing) {
    size_t texts = drawing.Texts.size();
    for (const BlockDefinition& definition : drawing.BlockDefinitions) texts += definition.Members().Texts.size();
    std::vector<uint32_t> images(texts, kNoImage);
    const std::vector<EmbeddedImage>& list = drawing.EmbeddedImageList;
    if (list.empty()) return images;
    // First the number of each text's query, then its answer.
    ImageQueries queries;
    size_t next = 0;
    for (const TextRecord& text : drawing.Texts) images[next++] = queries.Ask(text.Text);
    for (const BlockDefinition& definition : drawing.BlockDefinitions)
        for (const TextRecord& text : definition.Members().Texts) images[next++] = queries.Ask(text.Text);
    if (!queries.Index()) return images;
    for (size_t image = 0; image < list.size(); ++image) queries.Answer(list[image].Name, static_cast<uint32_t>(image));
    for (uint32_t& image : images)
        if (image != kNoImage) image = queries.ImageOf(image);
    return images;
}

// "image3.bmp": the position in the list from 1, and the stored name's extension when it is a
// short run of ASCII letters and digits, so that viewers recognise the file.
std::string ExtractedImageFileName(size_t index, const ArchiveString& storedName) {
    std::string name = "image" + std::to_string(index + 1);
    size_t dot = std::string::npos;
    for (size_t i = storedName.Length(); i-- > 0;) {
        if (storedName.UnitAt(i) == u'.') {
            dot = i;
            break;
        }
    }
    if (dot == std::string::npos) return name;
    std::string extension = ".";
    for (size_t i = dot + 1; i < storedName.Length(); ++i) {
        const char16_t unit = storedName.UnitAt(i);
        const bool alphanumeric = (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
        if (!alphanumeric || extension.size() > 8) return name;
        extension += static_cast<char>(unit);
    }
    return extension.size() > 1 ? name + extension : name;
}

bool ProbeJww(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::array<char, 8> bytes{};
    if (!file.read(bytes.data(), bytes.size())) return false;
    return std::string_view(bytes.data(), bytes.size()) == kJwwSignature;
}

bool ReadJwwHeader(const fs::path& path, DrawingData& drawing, std::string* error) {
    drawing.Clear();
    return ReadFileWith(
        path,
        [&](ArchiveReader& in) {
            const uint32_t version = ReadSignatureAndVersion(in, drawing.Header);
            ReadHeaderThroughOptions(in, drawing.Header, version);
            drawing.Strings = in.FirstStringForm();
        },
        error);
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
    drawing.Strings = in.FirstStringForm();
}

bool ReadJww(const fs::path& path, DrawingData& drawing, const fs::path& imageFolder, std::string* error) {
    return ReadFileWith(path, [&](ArchiveReader& in) { ReadJwwFrom(in, drawing, imageFolder); }, error);
}

void WriteJwwTo(ByteSink& sink, const DrawingData& drawing, uint32_t version, const fs::path& imageFolder) {
    ArchiveWriter out(sink);
    out.SetStringForm(drawing.Strings);
    out.WriteFixedString(kJwwSignature);
    out.WriteU32(version);
    WriteHeaderThroughOptions(out, drawing.Header, version);
    WriteHeaderTables(out, drawing.Header, version);
    WriteEntityStream(out, drawing, version, ImageTextRewrite::None);
    if (version >= 700) WriteImages(out, drawing, imageFolder);
    out.Flush();
}

bool WriteJww(const fs::path& path, const DrawingData& drawing, uint32_t version, const fs::path& imageFolder,
              std::string* error) {
    return WriteFileWith(path, [&](ByteSink& sink) { WriteJwwTo(sink, drawing, version, imageFolder); }, error);
}

void DeleteExtractedImages(const DrawingData& drawing, const fs::path& imageFolder) {
    for (const EmbeddedImage& image : drawing.EmbeddedImageList) {
        if (image.FileName.empty()) continue;
        std::error_code ignored;
        fs::remove(imageFolder / image.FileName, ignored);
    }
}

}  // namespace tolvane
