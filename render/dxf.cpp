#include "render/dxf.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <numbers>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "formats/jww.h"
#include "render/pens.h"
#include "settings/conversion_settings.h"
#include "settings/text_encoding.h"

namespace tolvane::render {

namespace {

namespace fs = std::filesystem;

constexpr double kPi = std::numbers::pi;
constexpr double kDegrees = 180.0 / kPi;

// ---------------------------------------------------------------------------------------------
// Output: one group is its code on a line, right-aligned in three columns as AutoCAD writes
// it, and its value on the next. The file goes to the stream in pieces of 64 KB; numbers are
// formatted with to_chars, whatever locale a front end sets.

class GroupWriter {
public:
    explicit GroupWriter(std::ostream& out) : out_(out), buffer_(new char[kChunk + kRoom]) {}
    ~GroupWriter() { Flush(); }
    GroupWriter(const GroupWriter&) = delete;
    GroupWriter& operator=(const GroupWriter&) = delete;

    void Str(int code, std::string_view value) {
        char* at = Code(code);
        if (value.size() <= kRoom) {
            End(std::copy(value.begin(), value.end(), at));
            return;
        }
        used_ = static_cast<size_t>(at - buffer_.get());
        Flush();
        out_.write(value.data(), static_cast<std::streamsize>(value.size()));
        End(Code(-1));
    }
    void Int(int code, int64_t value) {
        char* at = Code(code);
        End(std::to_chars(at, at + 24, value).ptr);
    }
    void Hex(int code, uint64_t handle) {
        char* at = Code(code);
        char* end = std::to_chars(at, at + 24, handle, 16).ptr;
        for (char* c = at; c != end; ++c) *c = AsciiUpper(*c);
        End(end);
    }
    // Twelve significant digits: a nanometre on a drawing a kilometre wide, and no noise of
    // binary fractions (61.9469 × 100 is 6194.6900000000005 to the last bit). A point and a
    // digit always, as readers that take an integer for a real would otherwise misread.
    void Real(int code, double value) {
        char* const begin = Code(code);
        char* end = begin;
        const double magnitude = std::abs(value);
        if (!std::isfinite(value) || magnitude == 0) {
            end = std::copy_n("0.0", 3, begin);
        } else if (magnitude >= 1e-5 && magnitude < 1e11) {
            // The digits as a whole number of the twelfth digit's unit, the point put in: far
            // quicker than the library's formatting to a precision.
            int exponent = -5;
            while (exponent < 10 && magnitude >= kPowersOfTen[exponent + 6]) ++exponent;
            int fraction = 11 - exponent;  // digits after the point
            uint64_t units = static_cast<uint64_t>(magnitude * kPowersOfTen[fraction + 5] + 0.5);
            // Trailing zeros of the fraction are dropped; one digit stays.
            while (fraction > 4 && units % 10000 == 0) units /= 10000, fraction -= 4;
            while (fraction > 1 && units % 10 == 0) units /= 10, --fraction;
            char digits[24];
            int count = 0;
            do {
                digits[count++] = static_cast<char>('0' + units % 10);
                units /= 10;
            } while (units > 0);
            while (count <= fraction) digits[count++] = '0';
            if (value < 0) *end++ = '-';
            for (int i = count - 1; i >= 0; --i) {
                *end++ = digits[i];
                if (i == fraction) *end++ = '.';
            }
        } else {
            end = std::to_chars(begin, begin + 32, value, std::chars_format::general, 12).ptr;
            if (std::find_if(begin, end, [](char c) { return c == '.' || c == 'e'; }) == end) *end++ = '.', *end++ = '0';
        }
        End(end);
    }
    // Entities lie in the plane z = 0, which DXF takes for a point without z.
    void Xy(int code, double x, double y) {
        Real(code, x);
        Real(code + 10, y);
    }
    void Xyz(int code, double x, double y) {
        Xy(code, x, y);
        Real(code + 20, 0);
    }
    void Flush() {
        out_.write(buffer_.get(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

private:
    // Starts a group with room for a value of up to kRoom bytes; -1 starts nothing (the line
    // break after a value written straight to the stream).
    char* Code(int code) {
        if (used_ + 8 > kChunk) Flush();
        char* at = buffer_.get() + used_;
        if (code < 0) return at;
        // Codes are below 1100: each one's line made once.
        static const auto kLines = [] {
            std::array<std::array<char, 6>, 1100> lines{};
            for (int c = 0; c < 1100; ++c) {
                char text[5] = {' ', ' ', ' ', ' ', '\n'};
                char* first = text + 4;
                for (int rest = c; first == text + 4 || rest > 0; rest /= 10) *--first = static_cast<char>('0' + rest % 10);
                first = std::min(first, text + 1);
                lines[static_cast<size_t>(c)][5] = static_cast<char>(text + 5 - first);
                std::copy(first, text + 5, lines[static_cast<size_t>(c)].begin());
            }
            return lines;
        }();
        const std::array<char, 6>& line = kLines[static_cast<size_t>(code)];
        std::memcpy(at, line.data(), 5);  // the buffer has room; the length decides what counts
        return at + line[5];
    }
    void End(char* at) {
        *at++ = '\n';
        used_ = static_cast<size_t>(at - buffer_.get());
    }

    static constexpr size_t kChunk = 1 << 16;
    static constexpr size_t kRoom = 1024;  // longer values go to the stream directly
    static constexpr double kPowersOfTen[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1,    1e1,  1e2,  1e3,  1e4, 1e5,
                                              1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
    std::ostream& out_;
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Colours, widths, names.

// The AutoCAD colour index: 1 to 9 named colours, 10 to 249 twenty-four hues in steps of 15
// degrees, each at five values (255, 165, 127, 76, 38) in full and half saturation, and 250
// to 255 greys.
std::array<Color, 256> MakeColorIndexPalette() {
    std::array<Color, 256> palette{};
    palette[1] = {255, 0, 0};
    palette[2] = {255, 255, 0};
    palette[3] = {0, 255, 0};
    palette[4] = {0, 255, 255};
    palette[5] = {0, 0, 255};
    palette[6] = {255, 0, 255};
    palette[7] = {255, 255, 255};
    palette[8] = {128, 128, 128};
    palette[9] = {192, 192, 192};
    static constexpr double kValues[5] = {255, 165, 127, 76, 38};
    for (int i = 10; i <= 249; ++i) {
        const int hue = (i - 10) / 10 * 15, shade = (i - 10) % 10;
        const double value = kValues[shade / 2];
        const double low = shade % 2 == 0 ? 0 : value / 2;
        const double fraction = (hue % 60) / 60.0;
        const double rising = low + (value - low) * fraction, falling = value - (value - low) * fraction;
        double r = 0, g = 0, b = 0;
        switch (hue / 60) {
            case 0: r = value, g = rising, b = low; break;
            case 1: r = falling, g = value, b = low; break;
            case 2: r = low, g = value, b = rising; break;
            case 3: r = low, g = falling, b = value; break;
            case 4: r = rising, g = low, b = value; break;
            default: r = value, g = low, b = falling; break;
        }
        palette[static_cast<size_t>(i)] = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
    }
    static constexpr uint8_t kGreys[6] = {51, 91, 132, 173, 214, 255};
    for (int i = 0; i < 6; ++i) palette[static_cast<size_t>(250 + i)] = {kGreys[i], kGreys[i], kGreys[i]};
    return palette;
}

constexpr int kLineweights[] = {0,  5,  9,  13, 15, 18, 20,  25,  30,  35,  40,  50,
                                53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

// Characters DXF forbids in the names of layers, line types, styles and blocks.
constexpr std::string_view kForbiddenInNames = "<>/\\\":;?*|,=`";

// The names of one symbol table. DXF compares names without ASCII case; a name taken
// already gets "~2", "~3", ... (each base counts on, so that many equal names stay quick).
class NameSet {
public:
    NameSet(std::initializer_list<std::string_view> reserved) {
        for (std::string_view name : reserved) taken_.insert(AsciiUpperCase(name));
    }
    std::string Unique(const std::string& name) {
        const std::string key = AsciiUpperCase(name);
        if (taken_.insert(key).second) return name;
        for (int& n = next_.try_emplace(key, 2).first->second;; ++n) {
            std::string candidate = name + "~" + std::to_string(n);
            if (taken_.insert(AsciiUpperCase(candidate)).second) return candidate;
        }
    }

private:
    std::unordered_set<std::string> taken_;
    std::unordered_map<std::string, int> next_;
};

// The part of a line-type name after "線種2:" or "SXF 2:", for a shorter DXF name.
std::string AfterColon(const std::string& utf8) {
    const size_t colon = utf8.find(':');
    return colon == std::string::npos ? utf8 : utf8.substr(colon + 1);
}

// Text values: control characters dropped; a caret is the start of a control code in DXF
// ("^ " is a caret itself), and "%%" the start of a special character ("%%%" is a percent).
std::string TextValue(std::string utf8) {
    const bool percents = utf8.find("%%") != std::string::npos;
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) continue;
        if (c == '^') out += "^ ";
        else if (c == '%' && percents) out += "%%%";
        else out += c;
    }
    return out;
}

bool Finite(double v) { return std::isfinite(v); }
template <class... T>
bool Finite(double v, T... rest) {
    return std::isfinite(v) && Finite(rest...);
}

double NormalizedRadians(double a) {
    a = std::fmod(a, 2 * kPi);
    return a < 0 ? a + 2 * kPi : a;
}

// An arc of an ellipse given as a centre and two conjugate half-axes (the CAD program's own
// form: a radius, a flatness and a tilt) in the form DXF wants: the major half-axis, the
// ratio of the minor one to it, and counter-clockwise parameters.
struct DxfEllipse {
    PaperPoint Center, Major;
    double Ratio = 1, Start = 0, End = 2 * kPi;
    bool Full = true;
};

bool ToDxfEllipse(PaperPoint center, PaperPoint a, PaperPoint b, double start, double sweep, bool full, DxfEllipse& e) {
    full = full || std::abs(sweep) >= 2 * kPi - 1e-12;
    if (!full && sweep < 0) {
        start += sweep;
        sweep = -sweep;
    }
    const double cross = a.X * b.Y - a.Y * b.X;
    if (!(std::abs(cross) > 0) || !std::isfinite(cross)) return false;
    if (cross < 0) {  // drawn clockwise: the same points with the second axis turned round
        b = {-b.X, -b.Y};
        start = -(start + sweep);
    }
    const double t = 0.5 * std::atan2(2 * (a.X * b.X + a.Y * b.Y), a.X * a.X + a.Y * a.Y - b.X * b.X - b.Y * b.Y);
    const double c = std::cos(t), s = std::sin(t);
    const PaperPoint major{c * a.X + s * b.X, c * a.Y + s * b.Y};
    const PaperPoint minor{-s * a.X + c * b.X, -s * a.Y + c * b.Y};
    const double majorLength = std::hypot(major.X, major.Y);
    e.Center = center;
    e.Major = major;
    e.Ratio = std::min(1.0, std::hypot(minor.X, minor.Y) / majorLength);
    e.Full = full;
    e.Start = full ? 0 : NormalizedRadians(start - t);
    e.End = full ? 2 * kPi : e.Start + sweep;
    return Finite(e.Center.X, e.Center.Y, e.Major.X, e.Major.Y, e.Ratio, e.Start, e.End) && majorLength > 0;
}

// The pixel size of an image file from its header: BMP, PNG, GIF and JPEG, the formats the
// CAD program embeds and DXF readers show.
bool ImagePixelSize(const fs::path& file, uint32_t& width, uint32_t& height) {
    std::ifstream in(file, std::ios::binary);
    std::string head(64 * 1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    auto byte = [&](size_t i) -> uint32_t { return i < head.size() ? static_cast<uint8_t>(head[i]) : 0; };
    auto le16 = [&](size_t i) { return byte(i) | byte(i + 1) << 8; };
    auto le32 = [&](size_t i) { return le16(i) | le16(i + 2) << 16; };
    auto be16 = [&](size_t i) { return byte(i) << 8 | byte(i + 1); };
    auto be32 = [&](size_t i) { return be16(i) << 16 | be16(i + 2); };
    if (head.size() >= 26 && head.starts_with("BM")) {
        // The height is negative for rows stored top down.
        width = le32(18);
        height = static_cast<uint32_t>(std::abs(static_cast<int64_t>(static_cast<int32_t>(le32(22)))));
    } else if (head.size() >= 24 && head.starts_with("\x89PNG")) {
        width = be32(16);
        height = be32(20);
    } else if (head.size() >= 10 && head.starts_with("GIF8")) {
        width = le16(6);
        height = le16(8);
    } else if (head.size() >= 4 && byte(0) == 0xFF && byte(1) == 0xD8) {
        width = height = 0;
        // Segments follow the start marker; a start-of-frame segment holds the size.
        for (size_t at = 2; at + 9 < head.size() && byte(at) == 0xFF;) {
            const uint32_t marker = byte(at + 1);
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
                height = be16(at + 5);
                width = be16(at + 7);
                break;
            }
            at += 2 + be16(at + 2);
        }
    } else {
        return false;
    }
    return width > 0 && height > 0 && width <= 1'000'000 && height <= 1'000'000;
}

// ---------------------------------------------------------------------------------------------
// The writer.

struct Place {
    uint64_t Owner = 0;       // the block record the entity belongs to
    double Scale = 1;         // paper millimetres to DXF units
    std::string_view Layer;   // as written
};

struct LayerEntry {
    std::string Name;  // as written
    bool Off = false, Locked = false;
    uint64_t Handle = 0;
};

struct LineTypeEntry {
    std::string Name, Description;  // as written
    std::vector<double> Dashes;     // paper millimetres, drawn and left out in turn
    uint64_t Handle = 0;
};

struct StyleEntry {
    std::string Name, FontFile, Family;  // as written
    uint64_t Handle = 0;
};

struct BlockEntry {
    std::string Name;  // as written
    uint64_t Record = 0;
};

struct ImageEntry {
    std::string FileName;  // as written
    uint32_t Width = 0, Height = 0;
    uint64_t Handle = 0;
    std::vector<std::pair<uint64_t, uint64_t>> Uses;  // IMAGE and its reactor
};

class DxfWriter {
public:
    DxfWriter(const DrawingData& drawing, DrawingFormat format, const DxfOptions& options, std::ostream& out)
        : d_(drawing), format_(format), options_(options), pens_(drawing.Header, format == DrawingFormat::Jww), w_(out) {}

    DxfReport Run() {
        Plan();
        Header();
        Classes();
        Tables();
        Blocks();
        Entities();
        Objects();
        w_.Str(0, "EOF");
        w_.Flush();
        return std::move(report_);
    }

private:
    // ----- planning: names, handles, the blocks' nesting and the extent, before writing -----

    uint64_t NewHandle() { return next_++; }

    std::string Encode(std::string_view utf8) const { return DxfEncode(utf8, options_.Version); }

    double ScaleOf(uint16_t layerGroup) const {
        if (layerGroup > 15) return 1;
        const double scale = format_ == DrawingFormat::Jws ? d_.Jws.LayerGroupScales[layerGroup]
                                                           : d_.Header.LayerGroups[layerGroup].Scale;
        return std::isfinite(scale) && scale > 0 && scale < 1e6 ? scale : 1;
    }

    // Every container of entities: the drawing itself (0), then each block definition.
    size_t Containers() const { return 1 + d_.BlockDefinitions.size(); }
    const EntityLists& Container(size_t c) const {
        return c == 0 ? static_cast<const EntityLists&>(d_) : d_.BlockDefinitions[c - 1].Members();
    }

    void Plan() {
        next_ = 1;
        PlanBlocks();
        PlanLayers();
        PlanLineTypes();
        PlanStyles();
        PlanImages();
        handles_.VportTable = NewHandle();
        handles_.VportActive = NewHandle();
        handles_.LtypeTable = NewHandle();
        handles_.ByBlock = NewHandle();
        handles_.ByLayer = NewHandle();
        handles_.Continuous = NewHandle();
        for (LineTypeEntry& l : lineTypes_) l.Handle = NewHandle();
        handles_.LayerTable = NewHandle();
        handles_.Layer0 = NewHandle();
        for (LayerEntry& l : layers_) l.Handle = NewHandle();
        handles_.StyleTable = NewHandle();
        handles_.Standard = NewHandle();
        for (StyleEntry& s : styles_) s.Handle = NewHandle();
        handles_.ViewTable = NewHandle();
        handles_.UcsTable = NewHandle();
        handles_.AppidTable = NewHandle();
        handles_.Acad = NewHandle();
        handles_.DimstyleTable = NewHandle();
        handles_.DimstyleStandard = NewHandle();
        handles_.BlockRecordTable = NewHandle();
        handles_.ModelSpace = NewHandle();
        handles_.PaperSpace = NewHandle();
        for (BlockEntry& b : blocks_) b.Record = NewHandle();
        dimensionRecords_ = next_;
        next_ += dimensionBlocks_;
        handles_.Root = NewHandle();
        handles_.Groups = NewHandle();
        handles_.Layouts = NewHandle();
        handles_.ModelLayout = NewHandle();
        handles_.PaperLayout = NewHandle();
        handles_.MlineStyles = NewHandle();
        handles_.MlineStandard = NewHandle();
        handles_.PlotStyles = NewHandle();
        handles_.PlotStyleNormal = NewHandle();
        if (!images_.empty()) {
            handles_.ImageDictionary = NewHandle();
            handles_.RasterVariables = NewHandle();
            for (ImageEntry& i : images_) i.Handle = NewHandle();
        }
        // Each block a BLOCK and an ENDBLK; each entity record at most two handles (an image
        // and its reactor, or an insertion), and each dimension its eight parts. Handles above
        // the ones used are never a problem; one used above the seed would be.
        size_t bound = 2 * (2 + blocks_.size() + dimensionBlocks_) + 8 * dimensionBlocks_;
        for (size_t c = 0; c < Containers(); ++c) bound += 2 * Container(c).EntityOrder.size();
        handseed_ = next_ + bound;
        ComputeExtent();
    }

    const BlockDefinition* DefinitionOf(uint32_t number, size_t* index = nullptr) const {
        const auto found = blockOfNumber_.find(number);
        if (found == blockOfNumber_.end()) return nullptr;
        if (index != nullptr) *index = found->second;
        return &d_.BlockDefinitions[found->second];
    }

    std::string BlockNameUtf8(const BlockDefinition& b) const {
        std::string name = DxfSymbolName(ArchiveStringToUtf8(b.Name));
        return name.empty() ? "Block" + std::to_string(b.Number) : name;
    }

    // Block names, the first definition of each number, and a walk over the nesting that
    // leaves out each insertion through which a block would contain itself.
    void PlanBlocks() {
        NameSet names = {"*Model_Space", "*Paper_Space"};
        for (size_t i = 0; i < d_.BlockDefinitions.size(); ++i) {
            const BlockDefinition& b = d_.BlockDefinitions[i];
            blockOfNumber_.try_emplace(b.Number, i);
            blocks_.push_back({Encode(names.Unique(BlockNameUtf8(b))), 0});
        }
        dropped_.resize(d_.BlockDefinitions.size());
        for (size_t i = 0; i < d_.BlockDefinitions.size(); ++i)
            dropped_[i].assign(d_.BlockDefinitions[i].Members().BlockInserts.size(), false);
        std::vector<uint8_t> state(d_.BlockDefinitions.size(), 0);  // 1 being walked, 2 done
        std::vector<std::pair<size_t, size_t>> stack;                // definition, next insertion
        std::vector<bool> warned(d_.BlockDefinitions.size(), false);
        for (size_t root = 0; root < d_.BlockDefinitions.size(); ++root) {
            if (state[root] != 0) continue;
            state[root] = 1;
            stack.push_back({root, 0});
            while (!stack.empty()) {
                auto& [block, next] = stack.back();
                const std::vector<BlockInsertRecord>& inserts = d_.BlockDefinitions[block].Members().BlockInserts;
                if (next == inserts.size()) {
                    state[block] = 2;
                    walkOrder_.push_back(block);
                    stack.pop_back();
                    continue;
                }
                const size_t k = next++;
                size_t target = 0;
                if (DefinitionOf(inserts[k].BlockNumber, &target) == nullptr) {
                    dropped_[block][k] = true;
                    WarnUndefined(inserts[k].BlockNumber);
                } else if (state[target] == 1) {
                    dropped_[block][k] = true;
                    if (!warned[target]) {
                        warned[target] = true;
                        Warn("the block \"" + BlockNameUtf8(d_.BlockDefinitions[target]) +
                                                   "\" inserts itself; that insertion is left out");
                    }
                } else if (state[target] == 0) {
                    state[target] = 1;
                    stack.push_back({target, 0});  // block and next are not used after this
                }
            }
        }
        for (const BlockInsertRecord& r : d_.BlockInserts)
            if (DefinitionOf(r.BlockNumber) == nullptr) WarnUndefined(r.BlockNumber);
        firstDimensionBlock_.resize(Containers());
        for (size_t c = 0; c < Containers(); ++c) {
            firstDimensionBlock_[c] = dimensionBlocks_;
            dimensionBlocks_ += Container(c).Dimensions.size();
        }
    }

    void WarnUndefined(uint32_t number) {
        if (std::find(undefinedWarned_.begin(), undefinedWarned_.end(), number) != undefinedWarned_.end()) return;
        undefinedWarned_.push_back(number);
        Warn("no block number " + std::to_string(number) +
                                   " is defined; its insertions are left out");
    }

    // One layer per drawing layer that holds entities, in the order of the layers.
    void PlanLayers() {
        std::array<bool, 256> used{};
        for (const EntityRef& ref : d_.EntityOrder)
            if (const EntityBase* base = BaseOf(d_, ref); base != nullptr && base->LayerGroup <= 15 && base->Layer <= 15)
                used[base->LayerGroup * 16u + base->Layer] = true;
        layerOf_.fill(-1);
        for (uint16_t g = 0; g < 16; ++g) {
            for (uint16_t l = 0; l < 16; ++l) {
                if (!used[g * 16u + l]) continue;
                LayerEntry entry;
                if (format_ == DrawingFormat::Jww) {
                    const LayerGroupInfo& group = d_.Header.LayerGroups[g];
                    const LayerInfo& layer = group.Layers[l];
                    entry.Name = Encode(DxfLayerName(g, l, ArchiveStringToUtf8(layer.Name)));
                    // State 0 hides a layer or group; 1 shows it without letting it be edited.
                    entry.Off = group.State == 0 || layer.State == 0;
                    entry.Locked = group.State == 1 || layer.State == 1 || group.Protect != 0 || layer.Protect != 0;
                } else {
                    entry.Name = Encode(DxfLayerName(g, l, ""));
                }
                layerOf_[g * 16u + l] = static_cast<int>(layers_.size());
                layers_.push_back(std::move(entry));
            }
        }
    }

    std::string_view LayerNameOf(const EntityBase& base) const {
        if (base.LayerGroup > 15 || base.Layer > 15) return "0";
        const int index = layerOf_[base.LayerGroup * 16u + base.Layer];
        return index < 0 ? std::string_view("0") : std::string_view(layers_[static_cast<size_t>(index)].Name);
    }

    // The line types that lines, arcs and the lines of dimensions use, from the drawing's
    // own definitions; solid ones are Continuous.
    void PlanLineTypes() {
        std::array<bool, 256> used{};
        for (size_t c = 0; c < Containers(); ++c) {
            const EntityLists& l = Container(c);
            for (const LineRecord& r : l.Lines) used[r.PenStyle] = true;
            for (const ArcRecord& r : l.Arcs) used[r.PenStyle] = true;
            for (const DimensionRecord& r : l.Dimensions)
                for (const LineRecord* line : {&r.DimensionLine, &r.AuxLine1, &r.AuxLine2}) used[line->PenStyle] = true;
        }
        NameSet taken = {"ByBlock", "ByLayer", "Continuous"};
        const std::vector<std::string>& names = LineTypeNames();
        lineTypeOf_.fill(-1);
        for (int t = 2; t < 256; ++t) {
            if (!used[static_cast<size_t>(t)]) continue;
            const std::optional<int> slot = LineTypeSlotOf(t);
            const std::string listed = slot ? ShiftJisToUtf8(names[static_cast<size_t>(*slot - 1)]) : "";
            LineTypeEntry entry;
            std::string name;
            if (t >= 2 && t <= 9) {
                name = "JW_" + AfterColon(listed);
                entry.Dashes = pens_.Patterns()[pens_.DashOf(static_cast<uint8_t>(t))];
            } else if (t >= 11 && t <= 15) {
                // The wave of a random line is a screen effect no DXF line type can hold: the
                // line type keeps its name and is drawn solid.
                name = "JW_" + listed;
                entry.Description = listed + " (drawn solid)";
            } else if (t >= 16 && t <= 19) {
                name = "JW_" + listed;
                entry.Dashes = pens_.Patterns()[pens_.DashOf(static_cast<uint8_t>(t))];
            } else if (t >= 31 && t <= 62) {
                const std::string own = format_ == DrawingFormat::Jww ? ArchiveStringToUtf8(d_.Header.SxfLineTypes[t - 30].Name) : "";
                name = !own.empty() ? own : slot ? "SXF_" + AfterColon(listed) : "SXF_" + std::to_string(t - 30);
                entry.Dashes = pens_.Patterns()[pens_.DashOf(static_cast<uint8_t>(t))];
            } else {
                continue;  // no line type of that number: solid
            }
            if (entry.Dashes.empty() && !(t >= 11 && t <= 15)) continue;
            if (entry.Description.empty()) entry.Description = listed.empty() ? name : listed;
            name = DxfSymbolName(name);
            entry.Name = Encode(taken.Unique(name.empty() ? "JW_" + std::to_string(t) : name));
            entry.Description = Encode(TextValue(entry.Description));
            lineTypeOf_[static_cast<size_t>(t)] = static_cast<int>(lineTypes_.size());
            lineTypes_.push_back(std::move(entry));
        }
    }

    std::string_view LineTypeNameOf(uint8_t style) const {
        const int index = lineTypeOf_[style];
        return index < 0 ? std::string_view("Continuous") : std::string_view(lineTypes_[static_cast<size_t>(index)].Name);
    }

    // One text style per font the texts name; texts without a font use Standard.
    void PlanStyles() {
        NameSet taken = {"Standard"};
        auto add = [&](const TextRecord& text) {
            if (text.FontName.empty()) return;
            const std::string key = std::string(1, static_cast<char>(text.FontName.Form())) + text.FontName.Stored();
            if (styleOf_.contains(key)) return;
            const std::string family = ArchiveStringToUtf8(text.FontName);
            std::string name = DxfSymbolName(family);
            if (name.empty()) name = "Font";
            StyleEntry entry{Encode(taken.Unique(name)), Encode(DxfFontFile(family)), Encode(TextValue(family)), 0};
            styleOf_.emplace(key, styles_.size());
            styles_.push_back(std::move(entry));
        };
        for (size_t c = 0; c < Containers(); ++c) {
            const EntityLists& l = Container(c);
            for (const TextRecord& t : l.Texts) add(t);
            for (const DimensionRecord& r : l.Dimensions) add(r.DimensionText);
        }
    }

    std::string_view StyleNameOf(const TextRecord& text) const {
        if (text.FontName.empty()) return "Standard";
        const auto found =
            styleOf_.find(std::string(1, static_cast<char>(text.FontName.Form())) + text.FontName.Stored());
        return found == styleOf_.end() ? std::string_view("Standard") : std::string_view(styles_[found->second].Name);
    }

    void Warn(std::string warning) {
        if (report_.Warnings.size() < kMaxDxfWarnings) report_.Warnings.push_back(std::move(warning));
        else ++report_.MoreWarnings;
    }

    // The embedded images that texts refer to and whose extracted files are there.
    void PlanImages() {
        if (d_.EmbeddedImageList.empty()) return;
        listedImageOfText_ = ImagesOfTexts(d_);
        firstText_.resize(Containers());
        for (size_t c = 0, first = 0; c < Containers(); ++c) {
            firstText_[c] = first;
            first += Container(c).Texts.size();
        }
        if (options_.ImageFolder.empty()) return;
        imageOf_.assign(d_.EmbeddedImageList.size(), -1);
        std::vector<bool> tried(d_.EmbeddedImageList.size(), false);
        for (const uint32_t index : listedImageOfText_) {
            if (index == kNoImage || tried[index]) continue;
            tried[index] = true;
            const EmbeddedImage& image = d_.EmbeddedImageList[index];
            const std::string stored = ArchiveStringToUtf8(image.Name);
            ImageEntry entry;
            std::error_code error;
            const fs::path file = options_.ImageFolder / image.FileName;
            if (image.FileName.empty() || !fs::is_regular_file(file, error)) {
                Warn("the image \"" + stored + "\" has no bytes in the drawing; it is left out");
                continue;
            }
            if (!ImagePixelSize(file, entry.Width, entry.Height)) {
                Warn("the image \"" + stored +
                                           "\" is not a BMP, PNG, GIF or JPEG picture; it is left out");
                continue;
            }
            const std::string name = options_.ImageNamePrefix + image.FileName;
            entry.FileName = Encode(name);
            imageOf_[index] = static_cast<int>(images_.size());
            images_.push_back(std::move(entry));
            report_.Images.push_back({file, name});
        }
    }

    // The position in the image list of the image that a text of a container names, or kNoImage.
    uint32_t ListedImageOf(size_t container, size_t text) const {
        return listedImageOfText_.empty() ? kNoImage : listedImageOfText_[firstText_[container] + text];
    }

    // ----- the extent: every shape's box, blocks by their own boxes carried through their
    // insertions (a box that holds the block, if not always the smallest one) -----

    static void AddLine(Bounds& b, const LineRecord& r, double s) {
        if (!Finite(r.StartX, r.StartY, r.EndX, r.EndY)) return;
        b.Add(r.StartX * s, r.StartY * s);
        b.Add(r.EndX * s, r.EndY * s);
    }
    // A text from its start to its end and up by its height; an image by its frame.
    static void AddText(Bounds& b, const TextRecord& r, double s) {
        if (!Finite(r.StartX, r.StartY, r.EndX, r.EndY, r.Angle, r.SizeY) || std::abs(r.SizeY) > 1e6) return;
        const double a = r.Angle / kDegrees;
        double h = std::abs(r.SizeY), endX = r.EndX, endY = r.EndY;
        ImageReference image;
        if (r.Text.StartsWith(kImageTextMarker) && ParseImageReference(ArchiveStringToUtf8(r.Text), image)) {
            h = image.Height;
            endX = r.StartX + std::cos(a) * image.Width;
            endY = r.StartY + std::sin(a) * image.Width;
        }
        const double ux = -std::sin(a) * h, uy = std::cos(a) * h;
        for (const auto& [x, y] : {std::pair{r.StartX, r.StartY}, {endX, endY}}) {
            b.Add(x * s, y * s);
            b.Add((x + ux) * s, (y + uy) * s);
        }
    }
    void AddEntity(Bounds& b, const EntityLists& l, const EntityRef& ref, double s, const std::vector<Bounds>& blockBounds,
                   const std::vector<bool>* dropped) const {
        if (BaseOf(l, ref) == nullptr) return;
        switch (static_cast<EntityKind>(ref.Kind)) {
            case EntityKind::Line: AddLine(b, l.Lines[ref.Index], s); break;
            case EntityKind::Arc: {
                const ArcRecord& r = l.Arcs[ref.Index];
                const double reach = std::abs(r.Radius) * std::max(1.0, std::abs(r.Flatness));
                if (!Finite(r.CenterX, r.CenterY, reach)) break;
                b.Add((r.CenterX - reach) * s, (r.CenterY - reach) * s);
                b.Add((r.CenterX + reach) * s, (r.CenterY + reach) * s);
                break;
            }
            case EntityKind::Point: {
                const PointRecord& r = l.Points[ref.Index];
                if (r.Temporary == 0 && Finite(r.X, r.Y)) b.Add(r.X * s, r.Y * s);
                break;
            }
            case EntityKind::Text: AddText(b, l.Texts[ref.Index], s); break;
            case EntityKind::Dimension: {
                const DimensionRecord& r = l.Dimensions[ref.Index];
                AddLine(b, r.DimensionLine, s);
                AddLine(b, r.AuxLine1, s);
                AddLine(b, r.AuxLine2, s);
                AddText(b, r.DimensionText, s);
                break;
            }
            case EntityKind::Solid: {
                const SolidRecord& r = l.Solids[ref.Index];
                const double xs[] = {r.Corner1X, r.Corner2X, r.Corner3X, r.Corner4X};
                const double ys[] = {r.Corner1Y, r.Corner2Y, r.Corner3Y, r.Corner4Y};
                for (int i = 0; i < 4; ++i)
                    if (Finite(xs[i], ys[i])) b.Add(xs[i] * s, ys[i] * s);
                break;
            }
            case EntityKind::BlockInsert: {
                const BlockInsertRecord& r = l.BlockInserts[ref.Index];
                size_t target = 0;
                if ((dropped != nullptr && (*dropped)[ref.Index]) || DefinitionOf(r.BlockNumber, &target) == nullptr ||
                    !InsertIsFinite(r))
                    break;
                const Bounds& inner = blockBounds[target];
                if (inner.Empty) break;
                const double c = std::cos(r.Angle), sn = std::sin(r.Angle);
                const double kx = r.ScaleX * s / BlockScale(target), ky = r.ScaleY * s / BlockScale(target);
                for (const auto& [x, y] : {std::pair{inner.MinX, inner.MinY}, {inner.MaxX, inner.MinY},
                                           {inner.MinX, inner.MaxY}, {inner.MaxX, inner.MaxY}}) {
                    const double px = c * kx * x - sn * ky * y + r.X * s;
                    const double py = sn * kx * x + c * ky * y + r.Y * s;
                    if (Finite(px, py)) b.Add(px, py);
                }
                break;
            }
            case EntityKind::BlockDefinition: break;
        }
    }

    void ComputeExtent() {
        std::vector<Bounds> blockBounds(d_.BlockDefinitions.size());
        for (size_t block : walkOrder_) {  // inner blocks before the blocks that insert them
            const EntityLists& def = d_.BlockDefinitions[block].Members();
            for (const EntityRef& ref : def.EntityOrder)
                AddEntity(blockBounds[block], def, ref, BlockScale(block), blockBounds, &dropped_[block]);
        }
        for (const EntityRef& ref : d_.EntityOrder) {
            const EntityBase* base = BaseOf(d_, ref);
            if (base != nullptr) AddEntity(extent_, d_, ref, ScaleOf(base->LayerGroup), blockBounds, nullptr);
        }
    }

    // A block is written at the full size of the layer group it was defined in, so that
    // insertions from that group (nearly always all of them) need no scale of their own and
    // its line types and texts are at full size for every reader.
    double BlockScale(size_t definition) const { return ScaleOf(d_.BlockDefinitions[definition].LayerGroup); }

    static bool InsertIsFinite(const BlockInsertRecord& r) {
        return Finite(r.X, r.Y, r.ScaleX, r.ScaleY, r.Angle) && r.ScaleX != 0 && r.ScaleY != 0;
    }

    // ----- sections -----

    void Section(std::string_view name) {
        w_.Str(0, "SECTION");
        w_.Str(2, name);
    }
    void EndSection() { w_.Str(0, "ENDSEC"); }

    void Variable(std::string_view name) { w_.Str(9, name); }

    void Header() {
        const bool r2007 = options_.Version == DxfVersion::R2007;
        Section("HEADER");
        Variable("$ACADVER");
        w_.Str(1, r2007 ? "AC1021" : "AC1015");
        // Texts of 2000 files are in this code page; 2007 files are UTF-8 whatever it says.
        Variable("$DWGCODEPAGE");
        w_.Str(3, "ANSI_932");
        Variable("$INSBASE");
        w_.Xyz(10, 0, 0);
        Variable("$EXTMIN");
        w_.Xyz(10, extent_.Empty ? 0 : extent_.MinX, extent_.Empty ? 0 : extent_.MinY);
        Variable("$EXTMAX");
        w_.Xyz(10, extent_.Empty ? 0 : extent_.MaxX, extent_.Empty ? 0 : extent_.MaxY);
        Variable("$LIMMIN");
        w_.Real(10, extent_.Empty ? 0 : extent_.MinX);
        w_.Real(20, extent_.Empty ? 0 : extent_.MinY);
        Variable("$LIMMAX");
        w_.Real(10, extent_.Empty ? 420 : extent_.MaxX);
        w_.Real(20, extent_.Empty ? 297 : extent_.MaxY);
        Variable("$LTSCALE");
        w_.Real(40, 1);
        Variable("$TEXTSTYLE");
        w_.Str(7, "Standard");
        Variable("$CLAYER");
        w_.Str(8, "0");
        Variable("$CELTYPE");
        w_.Str(6, "ByLayer");
        Variable("$CECOLOR");
        w_.Int(62, 256);
        Variable("$DIMSTYLE");
        w_.Str(2, "Standard");
        Variable("$LUNITS");
        w_.Int(70, 2);
        Variable("$INSUNITS");
        w_.Int(70, 4);  // millimetres
        Variable("$MEASUREMENT");
        w_.Int(70, 1);  // metric
        Variable("$LWDISPLAY");
        w_.Int(290, 1);
        Variable("$HANDSEED");
        w_.Hex(5, handseed_);
        EndSection();
    }

    void ClassEntry(std::string_view record, std::string_view cppClass, std::string_view application, int proxyFlags,
                    bool entity) {
        w_.Str(0, "CLASS");
        w_.Str(1, record);
        w_.Str(2, cppClass);
        w_.Str(3, application);
        w_.Int(90, proxyFlags);
        if (options_.Version == DxfVersion::R2007) w_.Int(91, 0);
        w_.Int(280, 0);
        w_.Int(281, entity ? 1 : 0);
    }

    void Classes() {
        Section("CLASSES");
        ClassEntry("ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", "ObjectDBX Classes", 0, false);
        ClassEntry("ACDBPLACEHOLDER", "AcDbPlaceHolder", "ObjectDBX Classes", 0, false);
        ClassEntry("LAYOUT", "AcDbLayout", "ObjectDBX Classes", 0, false);
        if (!images_.empty()) {
            ClassEntry("IMAGE", "AcDbRasterImage", "ISM", 127, true);
            ClassEntry("IMAGEDEF", "AcDbRasterImageDef", "ISM", 0, false);
            ClassEntry("IMAGEDEF_REACTOR", "AcDbRasterImageDefReactor", "ISM", 1, false);
            ClassEntry("RASTERVARIABLES", "AcDbRasterVariables", "ISM", 0, false);
        }
        EndSection();
    }

    void TableHead(std::string_view name, uint64_t handle, size_t entries) {
        w_.Str(0, "TABLE");
        w_.Str(2, name);
        w_.Hex(5, handle);
        w_.Hex(330, 0);
        w_.Str(100, "AcDbSymbolTable");
        w_.Int(70, static_cast<int64_t>(entries));
    }
    void EndTable() { w_.Str(0, "ENDTAB"); }
    void Record(std::string_view type, uint64_t handle, uint64_t table, std::string_view subclass,
                std::string_view name, int flags = 0) {
        w_.Str(0, type);
        w_.Hex(type == "DIMSTYLE" ? 105 : 5, handle);
        w_.Hex(330, table);
        w_.Str(100, "AcDbSymbolTableRecord");
        w_.Str(100, subclass);
        w_.Str(2, name);
        w_.Int(70, flags);
    }

    void Tables() {
        Section("TABLES");
        // The view the file opens with: the whole drawing.
        TableHead("VPORT", handles_.VportTable, 1);
        Record("VPORT", handles_.VportActive, handles_.VportTable, "AcDbViewportTableRecord", "*Active");
        const double width = extent_.Empty ? 420 : std::max(extent_.MaxX - extent_.MinX, 1e-3);
        const double height = extent_.Empty ? 297 : std::max(extent_.MaxY - extent_.MinY, 1e-3);
        w_.Real(10, 0);
        w_.Real(20, 0);
        w_.Real(11, 1);
        w_.Real(21, 1);
        w_.Real(12, extent_.Empty ? 210 : (extent_.MinX + extent_.MaxX) / 2);
        w_.Real(22, extent_.Empty ? 148.5 : (extent_.MinY + extent_.MaxY) / 2);
        w_.Real(13, 0);
        w_.Real(23, 0);
        w_.Real(14, 10);
        w_.Real(24, 10);
        w_.Real(15, 10);
        w_.Real(25, 10);
        w_.Xyz(16, 0, 0);
        w_.Real(36, 1);
        w_.Xyz(17, 0, 0);
        w_.Real(40, std::max(height, width / 1.4) * 1.05);
        w_.Real(41, 1.4);
        w_.Real(42, 50);
        w_.Real(43, 0);
        w_.Real(44, 0);
        w_.Real(50, 0);
        w_.Real(51, 0);
        w_.Int(71, 0);
        w_.Int(72, 100);
        w_.Int(73, 1);
        w_.Int(74, 3);
        w_.Int(75, 0);
        w_.Int(76, 0);
        w_.Int(77, 0);
        w_.Int(78, 0);
        EndTable();

        TableHead("LTYPE", handles_.LtypeTable, 3 + lineTypes_.size());
        for (const auto& [handle, name] : {std::pair{handles_.ByBlock, "ByBlock"}, {handles_.ByLayer, "ByLayer"},
                                           {handles_.Continuous, "Continuous"}}) {
            Record("LTYPE", handle, handles_.LtypeTable, "AcDbLinetypeTableRecord", name);
            w_.Str(3, name == std::string_view("Continuous") ? "Solid line" : "");
            w_.Int(72, 65);
            w_.Int(73, 0);
            w_.Real(40, 0);
        }
        for (const LineTypeEntry& l : lineTypes_) {
            Record("LTYPE", l.Handle, handles_.LtypeTable, "AcDbLinetypeTableRecord", l.Name);
            w_.Str(3, l.Description);
            w_.Int(72, 65);
            w_.Int(73, static_cast<int64_t>(l.Dashes.size()));
            double total = 0;
            for (double dash : l.Dashes) total += dash;
            w_.Real(40, total);
            for (size_t i = 0; i < l.Dashes.size(); ++i) {
                w_.Real(49, i % 2 == 0 ? l.Dashes[i] : -l.Dashes[i]);
                w_.Int(74, 0);
            }
        }
        EndTable();

        TableHead("LAYER", handles_.LayerTable, 1 + layers_.size());
        auto layer = [&](uint64_t handle, std::string_view name, bool off, bool locked) {
            Record("LAYER", handle, handles_.LayerTable, "AcDbLayerTableRecord", name, locked ? 4 : 0);
            w_.Int(62, off ? -7 : 7);
            w_.Str(6, "Continuous");
            w_.Int(370, -3);
            w_.Hex(390, handles_.PlotStyleNormal);
        };
        layer(handles_.Layer0, "0", false, false);
        for (const LayerEntry& l : layers_) layer(l.Handle, l.Name, l.Off, l.Locked);
        EndTable();

        TableHead("STYLE", handles_.StyleTable, 1 + styles_.size());
        auto style = [&](uint64_t handle, std::string_view name, std::string_view file, std::string_view family) {
            Record("STYLE", handle, handles_.StyleTable, "AcDbTextStyleTableRecord", name);
            w_.Real(40, 0);
            w_.Real(41, 1);
            w_.Real(50, 0);
            w_.Int(71, 0);
            w_.Real(42, 2.5);
            w_.Str(3, file);
            w_.Str(4, "");
            // The font's family name for readers that look TrueType fonts up by it; the
            // flags carry the Shift-JIS character set.
            w_.Str(1001, "ACAD");
            w_.Str(1000, family);
            w_.Int(1071, 128 << 8);
        };
        style(handles_.Standard, "Standard", DxfFontFile("ＭＳ ゴシック"), Encode("ＭＳ ゴシック"));
        for (const StyleEntry& s : styles_) style(s.Handle, s.Name, s.FontFile, s.Family);
        EndTable();

        TableHead("VIEW", handles_.ViewTable, 0);
        EndTable();
        TableHead("UCS", handles_.UcsTable, 0);
        EndTable();

        TableHead("APPID", handles_.AppidTable, 1);
        Record("APPID", handles_.Acad, handles_.AppidTable, "AcDbRegAppTableRecord", "ACAD");
        EndTable();

        TableHead("DIMSTYLE", handles_.DimstyleTable, 1);
        w_.Str(100, "AcDbDimStyleTable");
        w_.Int(71, 1);
        w_.Hex(340, handles_.DimstyleStandard);
        Record("DIMSTYLE", handles_.DimstyleStandard, handles_.DimstyleTable, "AcDbDimStyleTableRecord", "Standard");
        EndTable();

        TableHead("BLOCK_RECORD", handles_.BlockRecordTable, 2 + blocks_.size() + dimensionBlocks_);
        auto record = [&](uint64_t handle, std::string_view name, uint64_t layout) {
            w_.Str(0, "BLOCK_RECORD");
            w_.Hex(5, handle);
            w_.Hex(330, handles_.BlockRecordTable);
            w_.Str(100, "AcDbSymbolTableRecord");
            w_.Str(100, "AcDbBlockTableRecord");
            w_.Str(2, name);
            w_.Hex(340, layout);
            if (options_.Version == DxfVersion::R2007) {
                w_.Int(70, 4);  // millimetres
                w_.Int(280, 1);
                w_.Int(281, 0);
            }
        };
        record(handles_.ModelSpace, "*Model_Space", handles_.ModelLayout);
        record(handles_.PaperSpace, "*Paper_Space", handles_.PaperLayout);
        for (const BlockEntry& b : blocks_) record(b.Record, b.Name, 0);
        for (size_t k = 0; k < dimensionBlocks_; ++k) record(dimensionRecords_ + k, DimensionBlockName(k), 0);
        EndTable();
        EndSection();
    }

    static std::string DimensionBlockName(size_t k) { return "*U" + std::to_string(k + 1); }

    void BlockBegin(uint64_t record, std::string_view name, int flags, bool paperSpace) {
        w_.Str(0, "BLOCK");
        w_.Hex(5, NewHandle());
        w_.Hex(330, record);
        w_.Str(100, "AcDbEntity");
        if (paperSpace) w_.Int(67, 1);
        w_.Str(8, "0");
        w_.Str(100, "AcDbBlockBegin");
        w_.Str(2, name);
        w_.Int(70, flags);
        w_.Xyz(10, 0, 0);
        w_.Str(3, name);
        w_.Str(1, "");
    }
    void BlockEnd(uint64_t record, bool paperSpace) {
        w_.Str(0, "ENDBLK");
        w_.Hex(5, NewHandle());
        w_.Hex(330, record);
        w_.Str(100, "AcDbEntity");
        if (paperSpace) w_.Int(67, 1);
        w_.Str(8, "0");
        w_.Str(100, "AcDbBlockEnd");
    }

    // Block definitions hold their members on layer 0, so that they follow the layer of each
    // insertion, as the CAD program shows them.
    void Blocks() {
        Section("BLOCKS");
        BlockBegin(handles_.ModelSpace, "*Model_Space", 0, false);
        BlockEnd(handles_.ModelSpace, false);
        BlockBegin(handles_.PaperSpace, "*Paper_Space", 0, true);
        BlockEnd(handles_.PaperSpace, true);
        for (size_t i = 0; i < d_.BlockDefinitions.size(); ++i) {
            const EntityLists& def = d_.BlockDefinitions[i].Members();
            const BlockEntry& entry = blocks_[i];
            BlockBegin(entry.Record, entry.Name, 0, false);
            const Place place{entry.Record, BlockScale(i), "0"};
            for (const EntityRef& ref : def.EntityOrder) Entity(def, i + 1, ref, place, &dropped_[i]);
            BlockEnd(entry.Record, false);
        }
        // Each dimension's line, auxiliary lines, points and text as an anonymous block, at
        // full size as the drawing or the block that holds the dimension.
        for (size_t c = 0; c < Containers(); ++c) {
            const EntityLists& l = Container(c);
            for (size_t i = 0; i < l.Dimensions.size(); ++i) {
                const DimensionRecord& r = l.Dimensions[i];
                const uint64_t record = dimensionRecords_ + firstDimensionBlock_[c] + i;
                BlockBegin(record, DimensionBlockName(firstDimensionBlock_[c] + i), 1, false);
                const Place place{record, c == 0 ? ScaleOf(r.LayerGroup) : BlockScale(c - 1), "0"};
                Line(r.DimensionLine, place);
                for (const LineRecord* aux : {&r.AuxLine1, &r.AuxLine2})
                    if (aux->StartX != 0 || aux->StartY != 0 || aux->EndX != 0 || aux->EndY != 0) Line(*aux, place);
                // Files before version 4.20 hold no points; the reader gives them line type 0.
                for (const PointRecord* p : {&r.Point1, &r.Point2, &r.AuxPoint1, &r.AuxPoint2})
                    if (p->PenStyle != 0) Point(*p, place);
                Text(r.DimensionText, place, std::nullopt);
                BlockEnd(record, false);
            }
        }
        EndSection();
    }

    void Entities() {
        Section("ENTITIES");
        for (const EntityRef& ref : d_.EntityOrder) {
            const EntityBase* base = BaseOf(d_, ref);
            if (base == nullptr) continue;
            Entity(d_, 0, ref, Place{handles_.ModelSpace, ScaleOf(base->LayerGroup), LayerNameOf(*base)}, nullptr);
        }
        EndSection();
    }

    // ----- entities -----

    void Entity(const EntityLists& l, size_t container, const EntityRef& ref, const Place& place,
                const std::vector<bool>* dropped) {
        if (BaseOf(l, ref) == nullptr) return;
        switch (static_cast<EntityKind>(ref.Kind)) {
            case EntityKind::Line: Line(l.Lines[ref.Index], place); break;
            case EntityKind::Arc: Arc(l.Arcs[ref.Index], place); break;
            case EntityKind::Point: Point(l.Points[ref.Index], place); break;
            case EntityKind::Text: Text(l.Texts[ref.Index], place, ListedImageOf(container, ref.Index)); break;
            case EntityKind::Dimension:
                Head("INSERT", place);
                w_.Str(100, "AcDbBlockReference");
                w_.Str(2, DimensionBlockName(firstDimensionBlock_[container] + ref.Index));
                w_.Xy(10, 0, 0);
                break;
            case EntityKind::Solid: Solid(l.Solids[ref.Index], place); break;
            case EntityKind::BlockInsert: {
                if (dropped != nullptr && (*dropped)[ref.Index]) break;
                Insert(l.BlockInserts[ref.Index], place);
                break;
            }
            case EntityKind::BlockDefinition: break;
        }
    }

    void Head(std::string_view type, const Place& place) {
        w_.Str(0, type);
        w_.Hex(5, NewHandle());
        w_.Hex(330, place.Owner);
        w_.Str(100, "AcDbEntity");
        w_.Str(8, place.Layer);
    }

    // Black and white stay AutoCAD's colour 7, which each program shows in the colour that
    // stands out from its background; others carry their colour and the nearest index.
    void Paint(Color c) {
        const bool black = c.R == 0 && c.G == 0 && c.B == 0;
        const bool white = c.R == 255 && c.G == 255 && c.B == 255;
        if (black || white) {
            w_.Int(62, 7);
            return;
        }
        const int64_t rgb = static_cast<int64_t>(c.R) << 16 | static_cast<int64_t>(c.G) << 8 | c.B;
        // A drawing has few colours: each is matched once.
        const auto [known, added] = colorIndexOf_.try_emplace(rgb, 0);
        if (added) known->second = NearestColorIndex(c);
        w_.Int(62, known->second);
        w_.Int(420, rgb);
    }

    // A solid line leaves its line type to its layer: every layer is Continuous.
    void Pen(const EntityBase& pen, const Place& place, bool lineType) {
        lineType = lineType && lineTypeOf_[pen.PenStyle] >= 0;
        if (lineType) w_.Str(6, LineTypeNameOf(pen.PenStyle));
        Paint(pens_.ColorOf(pen.PenColor));
        if (const std::optional<double> width = pens_.PrintWidthOf(pen)) w_.Int(370, NearestLineweight(*width));
        // Line-type patterns are paper millimetres; at full size they grow with the scale.
        if (lineType && place.Scale != 1) w_.Real(48, place.Scale);
    }

    void Line(const LineRecord& r, const Place& p) {
        if (!Finite(r.StartX * p.Scale, r.StartY * p.Scale, r.EndX * p.Scale, r.EndY * p.Scale)) return;
        Head("LINE", p);
        Pen(r, p, true);
        w_.Str(100, "AcDbLine");
        w_.Xy(10, r.StartX * p.Scale, r.StartY * p.Scale);
        w_.Xy(11, r.EndX * p.Scale, r.EndY * p.Scale);
    }

    // Angles in the drawing are radians: a start and a sweep, and the tilt of the first axis.
    void Arc(const ArcRecord& r, const Place& p) {
        const double s = p.Scale, tilt = r.TiltAngle, minor = r.Radius * r.Flatness;
        const PaperPoint a{r.Radius * std::cos(tilt) * s, r.Radius * std::sin(tilt) * s};
        const PaperPoint b{-minor * std::sin(tilt) * s, minor * std::cos(tilt) * s};
        DxfEllipse e;
        if (!Finite(r.CenterX * s, r.CenterY * s, r.StartAngle, r.ArcAngle) ||
            !ToDxfEllipse({r.CenterX * s, r.CenterY * s}, a, b, r.StartAngle, r.ArcAngle, r.FullCircle != 0, e))
            return;
        if (std::abs(std::abs(r.Flatness) - 1) <= 1e-9) {
            const double radius = std::hypot(e.Major.X, e.Major.Y);
            const double base = std::atan2(e.Major.Y, e.Major.X);
            Head(e.Full ? "CIRCLE" : "ARC", p);
            Pen(r, p, true);
            w_.Str(100, "AcDbCircle");
            w_.Xy(10, e.Center.X, e.Center.Y);
            w_.Real(40, radius);
            if (!e.Full) {
                const double start = NormalizedRadians(base + e.Start);
                w_.Str(100, "AcDbArc");
                w_.Real(50, start * kDegrees);
                w_.Real(51, NormalizedRadians(start + (e.End - e.Start)) * kDegrees);
            }
            return;
        }
        Head("ELLIPSE", p);
        Pen(r, p, true);
        w_.Str(100, "AcDbEllipse");
        w_.Xy(10, e.Center.X, e.Center.Y);
        w_.Xy(11, e.Major.X, e.Major.Y);
        w_.Real(210, 0);
        w_.Real(220, 0);
        w_.Real(230, 1);
        w_.Real(40, std::max(e.Ratio, 1e-6));
        w_.Real(41, e.Start);
        w_.Real(42, e.End);
    }

    // Temporary points are construction aids the CAD program never prints.
    void Point(const PointRecord& r, const Place& p) {
        if (r.Temporary != 0 || !Finite(r.X * p.Scale, r.Y * p.Scale)) return;
        Head("POINT", p);
        Pen(r, p, false);
        w_.Str(100, "AcDbPoint");
        w_.Xy(10, r.X * p.Scale, r.Y * p.Scale);
    }

    // Sizes are paper millimetres: the height, the width of a full-width character (the
    // width factor), and the gap between characters, which DXF texts cannot hold.
    // listedImage: the entry of the image list the text names, or kNoImage; none for a
    // dimension text, which is never drawn as an image.
    void Text(const TextRecord& r, const Place& p, std::optional<uint32_t> listedImage) {
        const double s = p.Scale;
        if (!Finite(r.StartX * s, r.StartY * s, r.Angle, r.SizeX, r.SizeY)) return;
        if (listedImage && r.Text.StartsWith(kImageTextMarker)) {
            Image(r, p, *listedImage);
            return;
        }
        const double height = std::abs(r.SizeY), width = std::abs(r.SizeX);
        if (!(height > 0 && height < 1e6 && Finite(height * s))) return;
        Head("TEXT", p);
        Paint(pens_.ColorOf(r.PenColor));
        w_.Str(100, "AcDbText");
        w_.Xy(10, r.StartX * s, r.StartY * s);
        w_.Real(40, height * s);
        w_.Str(1, Encode(TextValue(ArchiveStringToUtf8(r.Text))));
        if (r.Angle != 0) w_.Real(50, std::fmod(r.Angle, 360.0));
        w_.Real(41, width > 0 ? std::clamp(width / height, 0.01, 100.0) : 1.0);
        w_.Str(7, StyleNameOf(r));
        w_.Str(100, "AcDbText");
    }

    // "^@BM%temp%name,width,height,...": the picture's lower left corner at the text's start,
    // its frame width and height on paper along the text's angle.
    void Image(const TextRecord& r, const Place& p, uint32_t listed) {
        const int index = listed == kNoImage || imageOf_.empty() ? -1 : imageOf_[listed];
        ImageReference reference;
        if (index < 0 || !ParseImageReference(ArchiveStringToUtf8(r.Text), reference) || reference.Width <= 0 ||
            reference.Height <= 0) {
            // Images whose bytes are missing or unreadable were reported when planned.
            if (!missingImageWarned_ && (index >= 0 || listed == kNoImage)) {
                missingImageWarned_ = true;
                Warn("a text refers to an image the file does not hold; it is left out");
            }
            return;
        }
        ImageEntry& image = images_[static_cast<size_t>(index)];
        const double s = p.Scale, a = r.Angle / kDegrees;
        const double u = reference.Width * s / image.Width, v = reference.Height * s / image.Height;
        const uint64_t handle = next_, reactor = next_ + 1;
        Head("IMAGE", p);
        ++next_;  // the reactor's
        image.Uses.push_back({handle, reactor});
        Paint(pens_.ColorOf(r.PenColor));
        w_.Str(100, "AcDbRasterImage");
        w_.Int(90, 0);
        w_.Xyz(10, r.StartX * s, r.StartY * s);
        w_.Xyz(11, std::cos(a) * u, std::sin(a) * u);
        w_.Xyz(12, -std::sin(a) * v, std::cos(a) * v);
        w_.Real(13, image.Width);
        w_.Real(23, image.Height);
        w_.Hex(340, image.Handle);
        w_.Int(70, 3);  // shown, also when not aligned with the screen
        w_.Int(280, 0);
        w_.Int(281, 50);
        w_.Int(282, 50);
        w_.Int(283, 0);
        w_.Hex(360, reactor);
        w_.Int(71, 1);
        w_.Int(91, 2);
        w_.Real(14, -0.5);
        w_.Real(24, -0.5);
        w_.Real(14, image.Width - 0.5);
        w_.Real(24, image.Height - 0.5);
    }

    // A solid of colour 10 has its own colour, which a hatch holds as a true colour; DXF
    // orders a SOLID's corners 1, 2, then the two across (the drawing's 4 before its 3).
    void Solid(const SolidRecord& r, const Place& p) {
        const double s = p.Scale;
        const double xs[] = {r.Corner1X * s, r.Corner2X * s, r.Corner3X * s, r.Corner4X * s};
        const double ys[] = {r.Corner1Y * s, r.Corner2Y * s, r.Corner3Y * s, r.Corner4Y * s};
        for (int i = 0; i < 4; ++i)
            if (!Finite(xs[i], ys[i])) return;
        if (r.PenColor == 10) {
            Head("HATCH", p);
            Paint(FromColorRef(r.Rgb));
            w_.Str(100, "AcDbHatch");
            w_.Xyz(10, 0, 0);
            w_.Real(210, 0);
            w_.Real(220, 0);
            w_.Real(230, 1);
            w_.Str(2, "SOLID");
            w_.Int(70, 1);
            w_.Int(71, 0);
            w_.Int(91, 1);
            w_.Int(92, 3);  // an outer boundary, as a polyline
            w_.Int(72, 0);
            w_.Int(73, 1);
            w_.Int(93, 4);
            for (int i = 0; i < 4; ++i) {
                w_.Real(10, xs[i]);
                w_.Real(20, ys[i]);
            }
            w_.Int(97, 0);
            w_.Int(75, 0);
            w_.Int(76, 1);
            w_.Int(98, 0);
            return;
        }
        Head("SOLID", p);
        Pen(r, p, false);
        w_.Str(100, "AcDbTrace");
        w_.Xy(10, xs[0], ys[0]);
        w_.Xy(11, xs[1], ys[1]);
        w_.Xy(12, xs[3], ys[3]);
        w_.Xy(13, xs[2], ys[2]);
    }

    // The insertion scales and turns (radians in the drawing, degrees in DXF), then moves; a
    // block written at another scale than the insertion's is scaled by their ratio.
    void Insert(const BlockInsertRecord& r, const Place& p) {
        size_t target = 0;
        if (DefinitionOf(r.BlockNumber, &target) == nullptr || !InsertIsFinite(r)) return;
        const double s = p.Scale, ratio = s / BlockScale(target);
        const double x = r.X * s, y = r.Y * s, sx = r.ScaleX * ratio, sy = r.ScaleY * ratio;
        if (!Finite(x, y, sx, sy) || sx == 0 || sy == 0) return;
        Head("INSERT", p);
        w_.Str(100, "AcDbBlockReference");
        w_.Str(2, blocks_[target].Name);
        w_.Xy(10, x, y);
        if (sx != 1) w_.Real(41, sx);
        if (sy != 1) w_.Real(42, sy);
        if (ratio != 1) w_.Real(43, ratio);
        if (r.Angle != 0) w_.Real(50, std::fmod(r.Angle * kDegrees, 360.0));
    }

    // ----- objects: the dictionaries and layouts that AutoCAD 2000 and later require -----

    void ObjectHead(std::string_view type, uint64_t handle, uint64_t owner) {
        w_.Str(0, type);
        w_.Hex(5, handle);
        w_.Str(102, "{ACAD_REACTORS");
        w_.Hex(330, owner);
        w_.Str(102, "}");
        w_.Hex(330, owner);
    }

    void Dictionary(uint64_t handle, uint64_t owner, const std::vector<std::pair<std::string, uint64_t>>& entries) {
        if (owner == 0) {
            w_.Str(0, "DICTIONARY");
            w_.Hex(5, handle);
            w_.Hex(330, 0);
        } else {
            ObjectHead("DICTIONARY", handle, owner);
        }
        w_.Str(100, "AcDbDictionary");
        w_.Int(281, 1);
        for (const auto& [name, target] : entries) {
            w_.Str(3, name);
            w_.Hex(350, target);
        }
    }

    void Layout(uint64_t handle, std::string_view name, int tab, uint64_t record) {
        ObjectHead("LAYOUT", handle, handles_.Layouts);
        w_.Str(100, "AcDbPlotSettings");
        w_.Str(1, "");
        w_.Str(2, "none_device");
        w_.Str(4, "");
        w_.Str(6, "");
        for (int code : {40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 140, 141}) w_.Real(code, 0);
        w_.Real(142, 1);
        w_.Real(143, 1);
        w_.Int(70, tab == 0 ? 1024 : 0);
        w_.Int(72, 1);  // millimetres
        w_.Int(73, 0);
        w_.Int(74, 5);
        w_.Str(7, "");
        w_.Int(75, 16);
        w_.Real(147, 1);
        w_.Real(148, 0);
        w_.Real(149, 0);
        w_.Str(100, "AcDbLayout");
        w_.Str(1, name);
        w_.Int(70, 1);
        w_.Int(71, tab);
        w_.Real(10, 0);
        w_.Real(20, 0);
        w_.Real(11, 420);
        w_.Real(21, 297);
        w_.Xyz(12, 0, 0);
        w_.Xyz(14, extent_.Empty ? 0 : extent_.MinX, extent_.Empty ? 0 : extent_.MinY);
        w_.Xyz(15, extent_.Empty ? 0 : extent_.MaxX, extent_.Empty ? 0 : extent_.MaxY);
        w_.Real(146, 0);
        w_.Xyz(13, 0, 0);
        w_.Real(16, 1);
        w_.Real(26, 0);
        w_.Real(36, 0);
        w_.Real(17, 0);
        w_.Real(27, 1);
        w_.Real(37, 0);
        w_.Int(76, 0);
        w_.Hex(330, record);
    }

    void Objects() {
        Section("OBJECTS");
        std::vector<std::pair<std::string, uint64_t>> root = {{"ACAD_GROUP", handles_.Groups},
                                                              {"ACAD_LAYOUT", handles_.Layouts},
                                                              {"ACAD_MLINESTYLE", handles_.MlineStyles},
                                                              {"ACAD_PLOTSTYLENAME", handles_.PlotStyles}};
        if (!images_.empty()) {
            root.push_back({"ACAD_IMAGE_DICT", handles_.ImageDictionary});
            root.push_back({"ACAD_IMAGE_VARS", handles_.RasterVariables});
        }
        Dictionary(handles_.Root, 0, root);
        Dictionary(handles_.Groups, handles_.Root, {});
        Dictionary(handles_.Layouts, handles_.Root, {{"Model", handles_.ModelLayout}, {"Layout1", handles_.PaperLayout}});
        Layout(handles_.ModelLayout, "Model", 0, handles_.ModelSpace);
        Layout(handles_.PaperLayout, "Layout1", 1, handles_.PaperSpace);
        Dictionary(handles_.MlineStyles, handles_.Root, {{"Standard", handles_.MlineStandard}});
        ObjectHead("MLINESTYLE", handles_.MlineStandard, handles_.MlineStyles);
        w_.Str(100, "AcDbMlineStyle");
        w_.Str(2, "Standard");
        w_.Int(70, 0);
        w_.Str(3, "");
        w_.Int(62, 256);
        w_.Real(51, 90);
        w_.Real(52, 90);
        w_.Int(71, 2);
        for (double offset : {0.5, -0.5}) {
            w_.Real(49, offset);
            w_.Int(62, 256);
            w_.Str(6, "BYLAYER");
        }
        ObjectHead("ACDBDICTIONARYWDFLT", handles_.PlotStyles, handles_.Root);
        w_.Str(100, "AcDbDictionary");
        w_.Int(281, 1);
        w_.Str(3, "Normal");
        w_.Hex(350, handles_.PlotStyleNormal);
        w_.Str(100, "AcDbDictionaryWithDefault");
        w_.Hex(340, handles_.PlotStyleNormal);
        ObjectHead("ACDBPLACEHOLDER", handles_.PlotStyleNormal, handles_.PlotStyles);
        if (!images_.empty()) {
            std::vector<std::pair<std::string, uint64_t>> entries;
            for (size_t i = 0; i < images_.size(); ++i) entries.push_back({"IMAGE" + std::to_string(i + 1), images_[i].Handle});
            Dictionary(handles_.ImageDictionary, handles_.Root, entries);
            ObjectHead("RASTERVARIABLES", handles_.RasterVariables, handles_.Root);
            w_.Str(100, "AcDbRasterVariables");
            w_.Int(90, 0);
            w_.Int(70, 1);
            w_.Int(71, 1);
            w_.Int(72, 1);  // millimetres
            for (const ImageEntry& image : images_) {
                w_.Str(0, "IMAGEDEF");
                w_.Hex(5, image.Handle);
                w_.Str(102, "{ACAD_REACTORS");
                w_.Hex(330, handles_.ImageDictionary);
                for (const auto& use : image.Uses) w_.Hex(330, use.second);
                w_.Str(102, "}");
                w_.Hex(330, handles_.ImageDictionary);
                w_.Str(100, "AcDbRasterImageDef");
                w_.Int(90, 0);
                w_.Str(1, image.FileName);
                w_.Real(10, image.Width);
                w_.Real(20, image.Height);
                w_.Real(11, 1);
                w_.Real(21, 1);
                w_.Int(280, 1);
                w_.Int(281, 0);
                for (const auto& [use, reactor] : image.Uses) {
                    w_.Str(0, "IMAGEDEF_REACTOR");
                    w_.Hex(5, reactor);
                    w_.Hex(330, use);
                    w_.Str(100, "AcDbRasterImageDefReactor");
                    w_.Int(90, 2);
                    w_.Hex(330, use);
                }
            }
        }
        EndSection();
    }

    struct Handles {
        uint64_t VportTable = 0, VportActive = 0, LtypeTable = 0, ByBlock = 0, ByLayer = 0, Continuous = 0,
                 LayerTable = 0, Layer0 = 0, StyleTable = 0, Standard = 0, ViewTable = 0, UcsTable = 0,
                 AppidTable = 0, Acad = 0, DimstyleTable = 0, DimstyleStandard = 0, BlockRecordTable = 0,
                 ModelSpace = 0, PaperSpace = 0, Root = 0, Groups = 0, Layouts = 0, ModelLayout = 0,
                 PaperLayout = 0, MlineStyles = 0, MlineStandard = 0, PlotStyles = 0, PlotStyleNormal = 0,
                 ImageDictionary = 0, RasterVariables = 0;
    };

    const DrawingData& d_;
    DrawingFormat format_;
    const DxfOptions& options_;
    PenTables pens_;
    GroupWriter w_;
    DxfReport report_;
    uint64_t next_ = 1;
    uint64_t handseed_ = 0;
    Handles handles_;
    Bounds extent_;
    std::vector<LayerEntry> layers_;
    std::array<int, 256> layerOf_{};
    std::vector<LineTypeEntry> lineTypes_;
    std::array<int, 256> lineTypeOf_{};
    std::vector<StyleEntry> styles_;
    std::unordered_map<std::string, size_t> styleOf_;
    std::vector<BlockEntry> blocks_;
    std::unordered_map<uint32_t, size_t> blockOfNumber_;
    std::vector<std::vector<bool>> dropped_;  // per definition, per block insertion
    std::vector<size_t> walkOrder_;           // definitions, inner ones first
    std::vector<uint32_t> undefinedWarned_;
    size_t dimensionBlocks_ = 0;
    std::vector<size_t> firstDimensionBlock_;  // per container
    uint64_t dimensionRecords_ = 0;            // the first dimension block's record
    std::vector<ImageEntry> images_;
    std::vector<int> imageOf_;  // per entry of the image list
    std::vector<uint32_t> listedImageOfText_;  // per text, as ImagesOfTexts gives them
    std::vector<size_t> firstText_;            // per container, its first text there
    std::unordered_map<int64_t, int> colorIndexOf_;
    bool missingImageWarned_ = false;
};

}  // namespace

int NearestColorIndex(Color color) {
    static const std::array<Color, 256> palette = MakeColorIndexPalette();
    int best = 1;
    long bestDistance = -1;
    for (int i = 1; i <= 255; ++i) {
        if (i == 7) continue;
        const Color& c = palette[static_cast<size_t>(i)];
        const long dr = long{c.R} - color.R, dg = long{c.G} - color.G, db = long{c.B} - color.B;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

int NearestLineweight(double millimetres) {
    const double hundredths = millimetres * 100;
    int best = kLineweights[0];
    for (int weight : kLineweights)
        if (std::abs(weight - hundredths) < std::abs(best - hundredths)) best = weight;
    return best;
}

std::string DxfSymbolName(std::string_view utf8) {
    std::string name;
    name.reserve(utf8.size());
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        name += byte < 0x20 || byte == 0x7F || kForbiddenInNames.find(c) != std::string_view::npos ? '_' : c;
    }
    // Blanks at either end, half-width or full-width (U+3000), are not part of a name.
    static constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (std::string_view blank : {std::string_view(" "), kIdeographicSpace}) {
            if (name.starts_with(blank)) name.erase(0, blank.size()), trimmed = true;
            if (name.ends_with(blank)) name.erase(name.size() - blank.size()), trimmed = true;
        }
    }
    return name;
}

std::string DxfLayerName(uint16_t layerGroup, uint16_t layer, std::string_view layerNameUtf8) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string name = {kDigits[layerGroup & 15], '-', kDigits[layer & 15]};
    const std::string own = DxfSymbolName(layerNameUtf8);
    if (!own.empty()) name += " " + own;
    return name;
}

std::string DxfFontFile(std::string_view fontNameUtf8) {
    std::string_view name = fontNameUtf8;
    if (name.starts_with("@")) name.remove_prefix(1);  // the vertical form of a font
    static const std::pair<std::string_view, std::string_view> kFiles[] = {
        {"ＭＳ ゴシック", "msgothic.ttc"}, {"ＭＳ Ｐゴシック", "msgothic.ttc"}, {"ＭＳ UI Gothic", "msgothic.ttc"},
        {"MS Gothic", "msgothic.ttc"},    {"MS PGothic", "msgothic.ttc"},    {"MS UI Gothic", "msgothic.ttc"},
        {"ＭＳ 明朝", "msmincho.ttc"},     {"ＭＳ Ｐ明朝", "msmincho.ttc"},     {"MS Mincho", "msmincho.ttc"},
        {"MS PMincho", "msmincho.ttc"}};
    for (const auto& [font, file] : kFiles)
        if (name == font) return std::string(file);
    return std::string(fontNameUtf8);
}

std::string DxfEncode(std::string_view utf8, DxfVersion version) {
    if (version == DxfVersion::R2007 ||
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(utf8);
    // A character counts as held by the code page when it comes back from it as itself: the
    // code page takes WAVE DASH (U+301C) too, but gives FULLWIDTH TILDE (U+FF5E) back. Most
    // texts come back whole; only the others are looked at character by character.
    std::string whole = Utf8ToShiftJis(utf8);
    if (ShiftJisToUtf8(whole) == utf8) return whole;
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        length = std::min(length, utf8.size() - i);
        const std::string_view character = utf8.substr(i, length);
        i += length;
        if (length == 1 && lead < 0x80) {
            out += character;
            continue;
        }
        const std::string converted = Utf8ToShiftJis(character);
        if (converted != "?" && ShiftJisToUtf8(converted) == character) {
            out += converted;
            continue;
        }
        static constexpr char kHex[] = "0123456789ABCDEF";
        for (char16_t unit : Utf8ToWide(character)) {
            out += "\\U+";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[unit >> shift & 15];
        }
    }
    return out;
}

DxfReport WriteDxf(const DrawingData& drawing, DrawingFormat format, const DxfOptions& options, std::ostream& out) {
    return DxfWriter(drawing, format, options, out).Run();
}

}  // namespace tolvane::render
