// Writes the hostile inputs of the memory and time benchmark (bench/hostile_bench), each at a
// scale: 1 is the size of the case as it was first reported, 2 twice that, so that two runs
// show whether time and memory grow linearly with the file.
//
//   hostile_inputs images SCALE FILE        100,000 texts that each name one of 100,000
//                                           embedded images (version 7.00), 14.5 MB
//   hostile_inputs settings SCALE FILE      a settings file of 30 MiB of empty lines
//   hostile_inputs nested-blocks SCALE FILE 100 texts of 2,700 characters in a block that 14
//                                           further blocks insert twice each, 0.3 MB
//   hostile_inputs empty-blocks SCALE FILE  a million empty block definitions (version 3.51),
//                                           32 MB
//   hostile_inputs dimensions SCALE FILE    200,000 dimensions of version 3.51, 30.6 MB
//
// The drawings are assembled byte by byte, so that they can hold what our own writer would
// never produce.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "testsupport/jww_bytes.h"

namespace {

using tolvane::testing::Bytes;

// The entity stream with its running object index, so that each class is introduced once and
// referred to by the index it was given.
class Stream {
public:
    explicit Stream(uint32_t version) : version_(version) {}

    Bytes& Tag(const std::string& className) {
        const auto found = classes_.find(className);
        if (found != classes_.end()) return bytes.ClassRef(found->second);
        classes_[className] = next_++;
        return bytes.NewClass(className, static_cast<uint16_t>(version_));
    }
    void Object() { ++next_; }
    // Layer 1 of layer group 1 is shown in the header that AppendJwwHeader writes.
    Bytes& Base(uint8_t style, uint16_t color) { return bytes.Base(version_, 0, style, color, 0, 1, 1, 0); }

    void Text(const std::string& text) {
        Tag("CDataMoji");
        Base(1, 2).F64(0).F64(0).F64(10).F64(0).U32(1).F64(3).F64(3).F64(0).F64(0).Str("").Str(text);
        Object();
    }
    void Insert(uint32_t block, double x) {
        Tag("CDataBlock");
        Base(1, 1).F64(x).F64(0).F64(1).F64(1).F64(0).U32(block);
        Object();
    }
    // A definition is counted before its members, which follow.
    void Definition(uint32_t number, uint32_t members) {
        Tag("CDataList");
        Base(1, 1).U32(number).U32(0).U32(number).Str("").Count(members);
        Object();
    }

    Bytes bytes;

private:
    uint32_t version_;
    uint32_t next_ = 1;
    std::map<std::string, uint32_t> classes_;
};

// A header that the writer gives back unchanged, so that check compares every byte.
Stream Begin(uint32_t version) {
    Stream s(version);
    tolvane::testing::HeaderValues values;
    values.ReservedWord0 = 0;
    values.ReservedWord15 = 0;
    values.MaxDrawWidth = -50;
    values.OptionWord = version >= 600 ? 13 : 3;
    tolvane::testing::AppendJwwHeader(s.bytes, version, values);
    return s;
}

std::string Numbered(const char* prefix, size_t n) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%07zu.bmp", prefix, n);
    return name;
}

Bytes Images(size_t scale) {
    const size_t count = 100'000 * scale;
    Stream s = Begin(700);
    s.bytes.Count(static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) s.Text("^@BM%temp%" + Numbered("img", i) + ",10,10,0,0,1,0");
    s.bytes.Count(0);
    s.bytes.U32(static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) s.bytes.Str(Numbered("img", i)).U32(1).Raw("x");
    return std::move(s.bytes);
}

Bytes NestedBlocks(size_t scale) {
    constexpr uint32_t kLevels = 15;
    constexpr size_t kTexts = 100;
    Stream s = Begin(600);
    s.bytes.Count(1);
    s.Insert(kLevels, 0);
    s.bytes.Count(kLevels);
    s.Definition(1, kTexts);
    for (size_t i = 0; i < kTexts; ++i) s.Text(std::string(2700 * scale, static_cast<char>('A' + i % 26)));
    for (uint32_t level = 2; level <= kLevels; ++level) {
        s.Definition(level, 2);
        s.Insert(level - 1, 0);
        s.Insert(level - 1, 1000);
    }
    return std::move(s.bytes);
}

Bytes EmptyBlocks(size_t scale) {
    const size_t count = 1'000'000 * scale;
    Stream s = Begin(351);
    s.bytes.Count(0);
    s.bytes.Count(static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) s.Definition(static_cast<uint32_t>(i + 1), 0);
    return std::move(s.bytes);
}

// Before version 4.20 a dimension stores only its line and its text; the reader fills in the
// rest.
Bytes Dimensions(size_t scale) {
    const size_t count = 200'000 * scale;
    Stream s = Begin(351);
    s.bytes.Count(static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        s.Tag("CDataSunpou");
        s.Base(1, 2);
        s.Base(1, 2).F64(0).F64(static_cast<double>(i)).F64(1000).F64(static_cast<double>(i));
        s.Base(1, 2).F64(500).F64(static_cast<double>(i)).F64(520).F64(0).U32(2).F64(2.5).F64(2.5).F64(0).F64(0);
        s.bytes.Str("").Str("1000");
        s.Object();
    }
    s.bytes.Count(0);
    return std::move(s.bytes);
}

bool Write(const std::string& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data.data()), static_cast<std::streamsize>(bytes.data.size()));
    return static_cast<bool>(out);
}

bool WriteSettings(const std::string& file, size_t scale) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const std::string block(1 << 20, '\n');
    for (size_t i = 0; i < 30 * scale; ++i) out.write(block.data(), static_cast<std::streamsize>(block.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: hostile_inputs images|settings|nested-blocks|empty-blocks|dimensions SCALE FILE\n";
        return 2;
    }
    const std::string kind = argv[1];
    const auto scale = static_cast<size_t>(std::strtoul(argv[2], nullptr, 10));
    const std::string file = argv[3];
    if (scale == 0) {
        std::cerr << "hostile_inputs: the scale is a whole number from 1\n";
        return 2;
    }
    bool written = false;
    if (kind == "images") written = Write(file, Images(scale));
    else if (kind == "settings") written = WriteSettings(file, scale);
    else if (kind == "nested-blocks") written = Write(file, NestedBlocks(scale));
    else if (kind == "empty-blocks") written = Write(file, EmptyBlocks(scale));
    else if (kind == "dimensions") written = Write(file, Dimensions(scale));
    else {
        std::cerr << "hostile_inputs: unknown kind " << kind << '\n';
        return 2;
    }
    if (!written) std::cerr << "hostile_inputs: cannot write " << file << '\n';
    return written ? 0 : 1;
}
