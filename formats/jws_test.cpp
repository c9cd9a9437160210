#include "formats/jws.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/entity_stream.h"
#include "formats/file_probes.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/synthetic_jww.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

constexpr size_t kHeaderSize = 452;

// The fixed header, byte by byte, with recognisable settings.
Bytes JwsHeaderBytes(uint32_t version, char filler = '.') {
    Bytes b;
    b.Raw("JwsData").Raw(std::string(193, filler)).U32(version);
    b.F64(1.5).F64(-2.0);
    for (int g = 0; g < 16; ++g) b.F64(100.0 + g);
    for (uint32_t i = 0; i < 6; ++i) b.U32(0x100 + i);
    for (int i = 0; i < 10; ++i) b.F64(0.25 * i);
    return b;
}

std::vector<uint8_t> SyntheticJws(uint32_t version, char filler = '.') {
    Bytes b = JwsHeaderBytes(version, filler);
    testing::AppendSyntheticBody(b, version);
    return b.data;
}

// Reads bytes held in memory; answers the error text, empty on success, and what was left.
std::string ReadBytes(const std::vector<uint8_t>& bytes, DrawingData& d, uint64_t* left = nullptr) {
    try {
        ArchiveReader in(bytes.data(), bytes.size());
        ReadJwsFrom(in, d);
        if (left) *left = in.Remaining();
        return "";
    } catch (const ArchiveError& e) {
        return e.what();
    }
}

std::vector<uint8_t> WriteBytes(const DrawingData& d, uint32_t version) {
    MemorySink sink;
    WriteJwsTo(sink, d, version);
    return sink.bytes;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// The signature alone decides the probe; the version needs the first 220 bytes.
TEST(Jws, ProbeAndVersion) {
    TempFolder folder;
    const std::vector<uint8_t> full = JwsHeaderBytes(351).data;
    auto cut = [&](size_t n) { return std::string(full.begin(), full.begin() + static_cast<long>(n)); };
    struct Case {
        const char* Name;
        std::string Bytes;
        bool Probe;
        bool Version;
    };
    const Case cases[] = {
        {"signature only", "JwsData", true, false},
        {"six bytes", "JwsDat", false, false},
        {"lower case", "jwsdata" + cut(kHeaderSize).substr(7), false, false},
        {"drawing", "JwwData." + cut(kHeaderSize).substr(8), false, false},
        {"219 bytes", cut(219), true, false},
        {"220 bytes", cut(220), true, true},
        {"whole header", cut(kHeaderSize), true, true},
        {"empty", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const fs::path file = folder.Path() / "f.jws";
        WriteFile(file, c.Bytes);
        EXPECT_EQ(ProbeJws(file), c.Probe);
        uint32_t version = 0;
        EXPECT_EQ(ReadJwsVersion(file, version), c.Version);
        if (c.Version) {
            EXPECT_EQ(version, 351u);
        }
    }
    uint32_t version = 0;
    EXPECT_FALSE(ProbeJws(folder.Path() / "missing.jws"));
    EXPECT_FALSE(ReadJwsVersion(folder.Path() / "missing.jws", version));
}

// The body is the entity stream of a drawing; the version decides widths and dimension
// fields as it does there. No version is refused, and what follows the block definitions
// (here the image section that a version-700 drawing would have) is not read.
TEST(Jws, ReadsByteBuiltFiguresOfEveryLayout) {
    for (uint32_t v : {100u, 229u, 230u, 300u, 350u, 351u, 419u, 420u, 600u, 700u}) {
        SCOPED_TRACE(v);
        DrawingData d;
        d.EmbeddedImageList.push_back({"earlier.bmp", 3, "image1.bmp"});
        uint64_t left = 99;
        ASSERT_EQ(ReadBytes(SyntheticJws(v, '#'), d, &left), "");
        EXPECT_EQ(left, v >= 700 ? 4u + 1 + 7 + 4 + 4 + 1 + 4 + 3 + 1 + 8 + 4 : 0u);
        EXPECT_EQ(d.Header.FileVersion, v);
        EXPECT_EQ(d.Jws.Signature, "JwsData");
        EXPECT_EQ(d.Jws.HeaderReals1[0], 1.5);
        EXPECT_EQ(d.Jws.HeaderReals1[1], -2.0);
        EXPECT_EQ(d.Jws.LayerGroupScales[0], 100.0);
        EXPECT_EQ(d.Jws.LayerGroupScales[15], 115.0);
        EXPECT_EQ(d.Jws.HeaderWords[0], 0x100u);
        EXPECT_EQ(d.Jws.HeaderWords[5], 0x105u);
        EXPECT_EQ(d.Jws.HeaderReals2[9], 2.25);
        EXPECT_EQ(d.Header.Memo, "");
        EXPECT_TRUE(d.EmbeddedImageList.empty());  // figure files have no images, nor those read before

        ASSERT_EQ(d.EntityOrder.size(), 10u);
        EXPECT_EQ(d.Lines.size(), 2u);
        EXPECT_EQ(d.Points.size(), 2u);
        EXPECT_EQ(d.Solids.size(), 2u);
        EXPECT_EQ(d.EntityOrder[9].Kind, 7u);
        EXPECT_EQ(d.Lines[1].StartX, 200.0);
        EXPECT_EQ(d.Lines[1].PenColor, 5);
        EXPECT_EQ(d.Lines[1].PenWidth, v >= 351 ? 50 : 0);
        EXPECT_EQ(d.Points[1].Code, 9u);
        EXPECT_EQ(d.Solids[1].Rgb, 0x00C0FFEEu);
        EXPECT_EQ(d.Texts[0].Text, "\x8b\x8f\x8a\xd4");
        const DimensionRecord& dim = d.Dimensions.at(0);
        EXPECT_EQ(dim.DimensionText.Text, "1000");
        EXPECT_EQ(dim.SxfMode, v >= 420 ? 1 : 0);
        EXPECT_EQ(dim.AuxPoint2.PenStyle, v >= 420 ? 100 : 0);

        ASSERT_EQ(d.BlockDefinitions.size(), 2u);
        EXPECT_EQ(d.BlockDefinitions[0].Time, 1u);  // 64-bit time: the position
        EXPECT_EQ(d.BlockDefinitions[1].Time, 12345u);
        ASSERT_EQ(d.BlockDefinitions[1].Members().Texts.size(), 1u);
        EXPECT_EQ(d.BlockDefinitions[1].Members().Texts[0].Text, "^@BM%temp%pic.bmp,10,10");
    }
}

// A figure with nothing in it is the header and two zero counts, and is written back as it
// stands.
TEST(Jws, EmptyFigureOf456Bytes) {
    TempFolder folder;
    Bytes b = JwsHeaderBytes(351);
    b.Count(0).Count(0);
    ASSERT_EQ(b.Size(), 456u);
    const fs::path in = folder.Path() / "empty.jws";
    const fs::path out = folder.Path() / "out.jws";
    WriteFile(in, b.data);
    DrawingData d;
    std::string error;
    ASSERT_TRUE(ReadJws(in, d, &error)) << error;
    EXPECT_TRUE(d.EntityOrder.empty());
    EXPECT_TRUE(d.BlockDefinitions.empty());
    ASSERT_TRUE(WriteJws(out, d, d.Header.FileVersion, &error)) << error;
    EXPECT_EQ(ReadFile(out), ReadFile(in));
}

// The filler becomes full stops; everything else of the header goes back as it was read.
TEST(Jws, WritesTheHeaderWithAFillerOfFullStops) {
    Bytes in = JwsHeaderBytes(420, '\0');
    in.Count(0).Count(0);
    DrawingData d;
    ASSERT_EQ(ReadBytes(in.data, d), "");
    Bytes expected = JwsHeaderBytes(420, '.');
    expected.Count(0).Count(0);
    EXPECT_EQ(WriteBytes(d, 420), expected.data);

    // A drawing made in memory without a signature gets the standard one.
    d.Jws.Signature.clear();
    EXPECT_EQ(WriteBytes(d, 420), expected.data);
}

// Versions up to 230 are stored as 230 and 300 as 351; the stored version is also the schema
// word of every new class and decides which fields are written.
TEST(Jws, AdjustsTheVersionOnWriting) {
    const std::pair<uint32_t, uint32_t> adjusted[] = {{0, 230},   {200, 230}, {229, 230}, {230, 230}, {231, 231},
                                                     {299, 299}, {300, 351}, {301, 301}, {351, 351}, {420, 420}};
    for (const auto& [given, stored] : adjusted) EXPECT_EQ(AdjustJwsVersion(given), stored) << given;

    struct Case {
        uint32_t ReadAt, WriteAt, Stored;
    };
    // From a file with widths (351) down to one without (written at 200), and from one
    // without (300) up to one with.
    for (const Case& c : {Case{351, 200, 230}, Case{351, 231, 231}, Case{300, 300, 351}, Case{230, 230, 230}}) {
        SCOPED_TRACE(std::to_string(c.ReadAt) + " written at " + std::to_string(c.WriteAt));
        DrawingData d;
        ASSERT_EQ(ReadBytes(SyntheticJws(c.ReadAt), d), "");
        const std::vector<uint8_t> out = WriteBytes(d, c.WriteAt);
        EXPECT_EQ(U32At(out, 200), c.Stored);
        // Entity count (2 bytes), then the first class: 0xFFFF and its schema word.
        EXPECT_EQ(out[kHeaderSize + 2] | out[kHeaderSize + 3] << 8, 0xFFFF);
        EXPECT_EQ(out[kHeaderSize + 4] | out[kHeaderSize + 5] << 8, static_cast<int>(c.Stored));
        // The result reads completely at the stored version, so its bases carry a width
        // exactly when that version has one.
        DrawingData back;
        uint64_t left = 99;
        ASSERT_EQ(ReadBytes(out, back, &left), "");
        EXPECT_EQ(left, 0u);
        EXPECT_EQ(back.Header.FileVersion, c.Stored);
        EXPECT_EQ(back.EntityOrder.size(), d.EntityOrder.size());
        EXPECT_EQ(back.BlockDefinitions.size(), 2u);
        EXPECT_EQ(back.Lines[1].StartX, 200.0);
        const uint16_t width = c.Stored >= 351 && c.ReadAt >= 351 ? 50 : 0;
        EXPECT_EQ(back.Lines[1].PenWidth, width);
        EXPECT_EQ(back.BlockDefinitions[0].Members().Lines[0].PenWidth, width);
    }
}

// Below 420 (after the adjustment) SXF colours are written as standard ones.
TEST(Jws, AdjustedVersionDecidesTheSxfReplacement) {
    DrawingData d = testing::MakeFigure(420);
    d.Jws.Signature = "JwsData";
    ASSERT_FALSE(d.Lines.empty());
    d.Lines[0].PenColor = 101;  // SXF colour 1
    for (const auto& [version, color] : {std::pair{420u, 101}, std::pair{300u, 2}}) {
        DrawingData back;
        ASSERT_EQ(ReadBytes(WriteBytes(d, version), back), "");
        const EntityRef first = d.EntityOrder.front();
        ASSERT_EQ(first.Kind, static_cast<uint32_t>(EntityKind::Line)) << "the figure begins with a line";
        EXPECT_EQ(back.Lines[first.Index].PenColor, color) << version;
    }
}

// Image texts "^@BM%temp%..." of texts and block members lose "%temp%", after the clean-up
// and only in exactly that spelling; dimension texts keep it. Wide texts alike.
TEST(Jws, ShortensImageTextsOfTextsAndBlockMembers) {
    struct Texts {
        std::vector<std::string> TopLevel;
        std::string Dimension;
        std::string Member;
    };
    auto figure = [](const Texts& t, bool wide) {
        const uint32_t v = 351;
        Bytes b = JwsHeaderBytes(v);
        b.Wide = wide;
        b.Count(static_cast<uint32_t>(t.TopLevel.size() + 1));
        b.NewClass("CDataMoji", v);  // class 1
        for (size_t i = 0; i < t.TopLevel.size(); ++i) {
            if (i > 0) b.ClassRef(1);
            testing::AppendText(b, v, t.TopLevel[i]);
        }
        b.NewClass("CDataSunpou", v);
        b.Base(v, 0, 1, 6, 0, 5, 0, 0);
        b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(0).F64(-5).F64(1000).F64(-5);
        b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(500).F64(0).F64(520).F64(0).U32(2).F64(2.5).F64(2.5).F64(0).F64(0);
        b.Str("").Str(t.Dimension);
        b.Count(1).NewClass("CDataList", v);
        b.Base(v, 0, 1, 1, 0, 3, 0, 0).U32(1).U32(0).U32(5).Str("blk").Count(1);
        b.ClassRef(1);
        testing::AppendText(b, v, t.Member);
        return b.data;
    };
    const Texts read{{"^@BM%temp%abc", "^@BM%TEMP%abc", "^@BM%temp%", "\t^@BM%temp%abc", "x^@BM%temp%abc", "^@BMabc"},
                     "^@BM%temp%abc",
                     "^@BM%temp%pic.bmp,1,2"};
    const Texts written{{"^@BMabc", "^@BM%TEMP%abc", "^@BM", "^@BMabc", "x^@BM%temp%abc", "^@BMabc"},
                        "^@BM%temp%abc",
                        "^@BMpic.bmp,1,2"};
    for (bool wide : {false, true}) {
        DrawingData d;
        ASSERT_EQ(ReadBytes(figure(read, wide), d), "");
        EXPECT_EQ(d.Texts[0].Text.Length(), 13u);  // the reader keeps the text as stored
        EXPECT_EQ(d.Texts[0].Text.IsWide(), wide);
        EXPECT_EQ(WriteBytes(d, 351), figure(written, wide)) << wide;
        // The drawing itself is not changed by the write.
        EXPECT_TRUE(d.BlockDefinitions[0].Members().Texts[0].Text.StartsWith("^@BM%temp%pic.bmp,1,2"));
    }
}

// A drawing read and written at its own version loses only the 8 bytes of the 64-bit block
// time and the "%temp%" of the block member's image text, and the result is a fixed point.
TEST(Jws, WritesBackWhatItReads) {
    for (uint32_t v : {351u, 420u, 600u}) {
        SCOPED_TRACE(v);
        const std::vector<uint8_t> in = SyntheticJws(v);
        DrawingData d;
        ASSERT_EQ(ReadBytes(in, d), "");
        const std::vector<uint8_t> out = WriteBytes(d, v);
        EXPECT_EQ(out.size(), in.size() - 8 - 6);
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + 700, in.begin()));
        DrawingData back;
        ASSERT_EQ(ReadBytes(out, back), "");
        EXPECT_EQ(WriteBytes(back, v), out);
        EXPECT_EQ(back.BlockDefinitions[1].Members().Texts[0].Text, "^@BMpic.bmp,10,10");
    }
}

// Every cut before the end of the block definitions fails cleanly, through memory and
// through a file; bytes after the end do not matter.
TEST(Jws, EveryPrefixFailsCleanly) {
    TempFolder folder;
    for (uint32_t v : {350u, 420u}) {
        const std::vector<uint8_t> full = SyntheticJws(v);
        DrawingData d;
        for (size_t n = 0; n < full.size(); ++n) {
            const std::vector<uint8_t> prefix(full.begin(), full.begin() + static_cast<long>(n));
            ASSERT_NE(ReadBytes(prefix, d), "") << v << " at " << n;
        }
        const fs::path file = folder.Path() / "cut.jws";
        // In the header, in the entity list, inside the last block definition.
        for (size_t n : {size_t{7}, size_t{451}, full.size() / 2, full.size() - 1}) {
            WriteFile(file, std::vector<uint8_t>(full.begin(), full.begin() + static_cast<long>(n)));
            std::string error;
            EXPECT_FALSE(ReadJws(file, d, &error)) << n;
            EXPECT_FALSE(error.empty());
        }
        std::vector<uint8_t> trailing = full;
        trailing.insert(trailing.end(), {0xFF, 0xFF, 0x00, 0x42});
        WriteFile(file, trailing);
        std::string error;
        EXPECT_TRUE(ReadJws(file, d, &error)) << error;
        EXPECT_EQ(d.BlockDefinitions.size(), 2u);
    }
    DrawingData d;
    std::string error;
    EXPECT_FALSE(ReadJws(folder.Path() / "missing.jws", d, &error));
    EXPECT_FALSE(error.empty());
}

// Class names are short; a name length beyond 2048 bytes is refused before anything is
// reserved for it, and a name of no entity class stops the read.
TEST(Jws, RefusesLongAndUnknownClassNames) {
    for (size_t length : {size_t{2049}, size_t{300}}) {
        Bytes b = JwsHeaderBytes(420);
        b.Count(1).NewClass(std::string(length, 'C'), 420);
        b.Base(420, 0, 1, 1, 0, 0, 0, 0).F64(0).F64(0).F64(0).F64(0).Count(0);
        DrawingData d;
        EXPECT_NE(ReadBytes(b.data, d), "") << length;
    }
}

// A read clears what an earlier read left.
TEST(Jws, ReadClearsTheDrawing) {
    DrawingData d;
    ASSERT_EQ(ReadBytes(SyntheticJws(420), d), "");
    Bytes empty = JwsHeaderBytes(351);
    empty.Count(0).Count(0);
    ASSERT_EQ(ReadBytes(empty.data, d), "");
    EXPECT_TRUE(d.EntityOrder.empty());
    EXPECT_TRUE(d.Lines.empty());
    EXPECT_TRUE(d.BlockDefinitions.empty());
    EXPECT_EQ(d.Header.FileVersion, 351u);
}

// A write that fails leaves nothing at the path, also when a file stood there before.
TEST(Jws, FailedWriteLeavesNothingHalfWritten) {
    TempFolder folder;
    DrawingData d = testing::MakeFigure(420);
    std::string error;
    EXPECT_FALSE(WriteJws(folder.Path() / "no-such-folder" / "a.jws", d, 420, &error));
    EXPECT_FALSE(error.empty());

    const fs::path target = folder.Path() / "a.jws";
    WriteFile(target, std::string("old"));
    d.EntityOrder.push_back({1, 999999});  // no such line
    error.clear();
    EXPECT_FALSE(WriteJws(target, d, 420, &error));
    EXPECT_FALSE(error.empty());
    // The file that was there stays, and nothing half-written is left beside it.
    EXPECT_EQ(testing::ReadFile(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);

    d.EntityOrder.pop_back();
    ASSERT_TRUE(WriteJws(target, d, 420, &error)) << error;
    DrawingData back;
    ASSERT_TRUE(ReadJws(target, back, &error)) << error;
    EXPECT_EQ(back.EntityOrder.size(), d.EntityOrder.size());
    EXPECT_EQ(back.BlockDefinitions.size(), d.BlockDefinitions.size());
}

// Real figure files read to their last byte and are written back byte for byte at their own
// version. (The folder also holds a few legacy .JWK files, which are no figure files.)
TEST(Jws, ReadsAndWritesBackTheCorpus) {
    const fs::path corpus = testing::CorpusFolder("jws");
    if (corpus.empty()) GTEST_SKIP() << "no corpus";
    size_t files = 0;
    std::vector<std::string> failures;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file() || ClassOfExtension(UpperExtension(entry.path().filename().string())) != ExtensionClass::Jws)
            continue;
        ++files;
        EXPECT_TRUE(ProbeJws(entry.path())) << entry.path();
        const std::string bytes = ReadFile(entry.path());
        const std::vector<uint8_t> in(bytes.begin(), bytes.end());
        const std::string name = fs::relative(entry.path(), corpus).string();
        DrawingData d;
        uint64_t left = 99;
        const std::string error = ReadBytes(in, d, &left);
        if (!error.empty() || left != 0) {
            failures.push_back(name + ": " + (error.empty() ? std::to_string(left) + " bytes left" : error));
            continue;
        }
        const std::vector<uint8_t> out = WriteBytes(d, d.Header.FileVersion);
        if (out != in) {
            const auto diff = std::mismatch(in.begin(), in.end(), out.begin(), out.end());
            failures.push_back(name + ": differs at byte " + std::to_string(diff.first - in.begin()));
        }
    }
    EXPECT_GT(files, 0u);
    std::cout << "[          ] " << files << " figure files, " << failures.size() << " not written back identically\n";
    for (const std::string& failure : failures) ADD_FAILURE() << failure;
}

}  // namespace
}  // namespace tolvane
