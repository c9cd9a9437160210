#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "formats/jww.h"
#include "testsupport/synthetic_jww.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::SyntheticJww;

const uint32_t kLayoutVersions[] = {220, 222, 223, 225, 230, 231, 299, 300, 350, 351, 419, 420, 600, 699, 700, 701};

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// Reads bytes held in memory; answers the error text, empty on success, and how much was left.
std::string ReadBytes(const std::vector<uint8_t>& bytes, DrawingData& d, const fs::path& images, uint64_t* left = nullptr) {
    try {
        ArchiveReader in(bytes.data(), bytes.size());
        ReadJwwFrom(in, d, images);
        if (left) *left = in.Remaining();
        return "";
    } catch (const ArchiveError& e) {
        return e.what();
    }
}

void ExpectBase(const EntityBase& b, uint8_t style, uint16_t color, uint16_t width, uint16_t layer) {
    EXPECT_EQ(b.PenStyle, style);
    EXPECT_EQ(b.PenColor, color);
    EXPECT_EQ(b.PenWidth, width);
    EXPECT_EQ(b.Layer, layer);
}

// A string of the builder as the reader should give it: the bytes, or each byte as a unit.
ArchiveString Built(std::string_view bytes, bool wide) {
    if (!wide) return ArchiveString(std::string(bytes));
    std::u16string units;
    for (char c : bytes) units += static_cast<char16_t>(static_cast<uint8_t>(c));
    return ArchiveString::Wide(units);
}

// Every layout boundary, with byte strings and with wide strings: the file is read
// completely, to its last byte, with every item where the version puts it.
TEST(JwwReader, ReadsEveryLayoutVersionToTheLastByte) {
    for (bool wide : {false, true})
    for (uint32_t v : kLayoutVersions) {
        SCOPED_TRACE(std::to_string(v) + (wide ? " wide" : ""));
        TempFolder images;
        DrawingData d;
        uint64_t left = 99;
        ASSERT_EQ(ReadBytes(SyntheticJww(v, {}, wide), d, images.Path(), &left), "");
        EXPECT_EQ(left, 0u);
        EXPECT_EQ(d.Strings, wide ? StringForm::Wide : StringForm::Bytes);
        const DrawingHeader& h = d.Header;
        EXPECT_EQ(h.FileVersion, v);
        EXPECT_EQ(h.Memo, Built("memo", wide));
        EXPECT_EQ(h.PaperSize, 3u);
        EXPECT_EQ(h.LayerGroups[5].Scale, 105.0);
        EXPECT_EQ(h.LayerGroups[0].Layers[1].Name, Built("layer-0-1", wide));
        EXPECT_EQ(h.LayerGroups[2].Name, Built("group-2", wide));
        EXPECT_EQ(h.ReservedWords[0], 0x11u);
        EXPECT_EQ(h.ReservedWord15, 0x15u);
        EXPECT_EQ(h.DimensionSettings[0], 123u);
        EXPECT_EQ(h.MaxDrawWidth, -150);
        EXPECT_EQ(h.PrintOptionUnits, 3);
        EXPECT_EQ(h.PrintOptionTens, 2);
        // Sky map from 231 on; 8 mark jumps with layer groups from 231, else 4 without.
        EXPECT_EQ(h.SkyMapLevel, v >= 231 ? 1.5 : 0.0);
        EXPECT_EQ(h.SkyMapRadius, v >= 231 ? 2.5 : 0.0);
        EXPECT_EQ(h.MarkJumps[3].Scale, 4.0);
        EXPECT_EQ(h.MarkJumps[7].Scale, v >= 231 ? 8.0 : 1.0);
        // The builder stores i - 1 for mark jump i; before 231 the cleared -1 stays.
        EXPECT_EQ(h.MarkJumps[1].LayerGroup, v >= 231 ? 0 : -1);
        EXPECT_EQ(h.MarkJumps[2].LayerGroup, v >= 231 ? 1 : -1);
        EXPECT_EQ(h.DrawTime, v >= 223 ? 777u : 0u);
        EXPECT_EQ(h.SolidRgb, v >= 230 ? 0x00FF00u : 0u);
        EXPECT_EQ(h.SxfPens[1].Name, v >= 420 ? Built("black", wide) : "");
        EXPECT_EQ(h.SxfLineTypes[1].Name, v >= 420 ? Built("continuous", wide) : "");
        EXPECT_EQ(h.TextKinds[0].Color, 4u);
        EXPECT_EQ(h.TextKinds[9].Width, 11.0);

        ASSERT_EQ(d.EntityOrder.size(), 10u);
        EXPECT_EQ(d.Lines.size(), 2u);
        EXPECT_EQ(d.Arcs.size(), 1u);
        EXPECT_EQ(d.Points.size(), 2u);
        EXPECT_EQ(d.Texts.size(), 1u);
        EXPECT_EQ(d.Dimensions.size(), 1u);
        EXPECT_EQ(d.Solids.size(), 2u);
        EXPECT_EQ(d.BlockInserts.size(), 1u);
        EXPECT_EQ(d.EntityOrder[1].Kind, 1u);
        EXPECT_EQ(d.EntityOrder[1].Index, 1u);
        EXPECT_EQ(d.EntityOrder[9].Kind, 7u);

        const uint16_t w = v >= 351 ? 50 : 0;  // widths exist from 351 on
        ExpectBase(d.Lines[1], 1, 5, w, 1);
        EXPECT_EQ(d.Lines[1].Group, 7u);
        EXPECT_EQ(d.Lines[1].StartX, 200.0);
        EXPECT_EQ(d.Arcs[0].Radius, 30.0);
        EXPECT_EQ(d.Arcs[0].LayerGroup, 1u);
        EXPECT_EQ(d.Points[0].Code, 0u);
        EXPECT_EQ(d.Points[1].PenStyle, 100);
        EXPECT_EQ(d.Points[1].Code, 9u);
        EXPECT_EQ(d.Points[1].Scale, 2.0);
        EXPECT_EQ(d.Texts[0].Text, Built("\x8b\x8f\x8a\xd4", wide));
        EXPECT_EQ(d.Solids[0].Rgb, 0u);
        EXPECT_EQ(d.Solids[1].Rgb, 0x00C0FFEEu);
        EXPECT_EQ(d.BlockInserts[0].BlockNumber, 1u);

        const DimensionRecord& dim = d.Dimensions[0];
        EXPECT_EQ(dim.DimensionLine.EndX, 1000.0);
        EXPECT_EQ(dim.DimensionText.Text, Built("1000", wide));
        if (v >= 420) {
            EXPECT_EQ(dim.SxfMode, 1);
            EXPECT_EQ(dim.AuxLine2.StartX, 1000.0);
            EXPECT_EQ(dim.AuxPoint2.PenStyle, 100);
            EXPECT_EQ(dim.AuxPoint2.Code, 3u);
        } else {
            // Filled from the dimension's own base: zero coordinates, points with line type 0.
            EXPECT_EQ(dim.SxfMode, 0);
            ExpectBase(dim.AuxLine1, 1, 6, 0, 5);
            EXPECT_EQ(dim.AuxLine1.EndX, 0.0);
            ExpectBase(dim.Point2, 0, 6, 0, 5);
        }

        ASSERT_EQ(d.BlockDefinitions.size(), 2u);
        const BlockDefinition& first = d.BlockDefinitions[0];
        EXPECT_EQ(first.Time, 1u);  // 64-bit time: its position
        EXPECT_EQ(first.Name, Built("\x83\x68\x83\x41", wide));
        ASSERT_EQ(first.Members().Lines.size(), 1u);
        EXPECT_EQ(first.Members().Lines[0].PenColor, 1);
        const BlockDefinition& second = d.BlockDefinitions[1];
        EXPECT_EQ(second.Time, 12345u);
        EXPECT_EQ(second.Referenced, 1u);
        ASSERT_EQ(second.Members().Texts.size(), 1u);

        if (v >= 700) {
            ASSERT_EQ(d.EmbeddedImageList.size(), 3u);
            EXPECT_EQ(d.EmbeddedImageList[0].Name, Built("pic.bmp", wide));
            EXPECT_EQ(d.EmbeddedImageList[0].FileName, "image1.bmp");
            EXPECT_EQ(ReadFile(images.Path() / "image1.bmp"), "ABCD");
            EXPECT_EQ(d.EmbeddedImageList[2].FileName, "");  // size 0: no file
            EXPECT_EQ(std::distance(fs::directory_iterator(images.Path()), fs::directory_iterator()), 1);
        } else {
            EXPECT_TRUE(d.EmbeddedImageList.empty());
        }
    }
}

TEST(JwwReader, VersionBoundariesAtTheEnds) {
    TempFolder images;
    DrawingData d;
    // Below 220 nothing past the version is read.
    Bytes old;
    old.Raw("JwwData.").U32(219);
    EXPECT_NE(ReadBytes(old.data, d, images.Path()), "");

    // 699 ends after the block definitions; 700 needs its image count.
    for (uint32_t v : {699u, 700u}) {
        Bytes b;
        testing::AppendJwwHeader(b, v);
        b.Count(0).Count(0);  // an empty entity list, then the block-definition count
        const std::string error = ReadBytes(b.data, d, images.Path());
        EXPECT_EQ(error.empty(), v == 699) << v << ": " << error;
    }
    // Bytes after the image section are not read.
    std::vector<uint8_t> trailing = SyntheticJww(700);
    trailing.push_back(0x42);
    uint64_t left = 0;
    EXPECT_EQ(ReadBytes(trailing, d, images.Path(), &left), "");
    EXPECT_EQ(left, 1u);
}

// Objects whose class is not known cannot be skipped, so the read answers false.
TEST(JwwReader, RefusesUnknownClasses) {
    TempFolder images;
    DrawingData d;
    auto withBody = [](const std::function<void(Bytes&)>& body) {
        Bytes b;
        testing::AppendJwwHeader(b, 600);
        body(b);
        return b.data;
    };
    const auto unknownName = withBody([](Bytes& b) {
        b.Count(1).NewClass("CDataFoo", 600).Base(600, 0, 1, 1, 0, 0, 0, 0).F64(0).F64(0).F64(0).F64(0).Count(0);
    });
    EXPECT_NE(ReadBytes(unknownName, d, images.Path()).find("CDataFoo"), std::string::npos);
    const auto unknownIndex = withBody([](Bytes& b) {
        b.Count(1).ClassRef(5).Base(600, 0, 1, 1, 0, 0, 0, 0).F64(0).F64(0).F64(0).F64(0).Count(0);
    });
    EXPECT_NE(ReadBytes(unknownIndex, d, images.Path()), "");
    // The object index of a line is no class index.
    const auto objectIndex = withBody([](Bytes& b) {
        b.Count(2).NewClass("CDataSen", 600);
        testing::AppendLine(b, 600, 1, 0);
        b.ClassRef(2);
        testing::AppendLine(b, 600, 1, 0);
        b.Count(0);
    });
    EXPECT_NE(ReadBytes(objectIndex, d, images.Path()), "");
    // A block definition referring to an entity class.
    const auto blockAsLine = withBody([](Bytes& b) {
        b.Count(1).NewClass("CDataSen", 600);
        testing::AppendLine(b, 600, 1, 0);
        b.Count(1).ClassRef(1).Base(600, 0, 1, 1, 0, 0, 0, 0).U32(1).U32(0).U32(0).Str("b").Count(0);
    });
    EXPECT_NE(ReadBytes(blockAsLine, d, images.Path()), "");
}

// A stored image name is never a path: whatever it holds, the image is extracted under a name
// of the program's inside the image folder, and the name is kept as stored.
TEST(JwwReader, ExtractsImagesUnderNamesOfItsOwn) {
    TempFolder images;
    const fs::path outside = images.Path().parent_path() / "tolvane-escaped.bmp";
    fs::remove(outside);
    const std::vector<std::string> names = {"../tolvane-escaped.bmp", "a/b.bmp", "a\\b.bmp", "c:x.bmp",
                                            "a\tb.bmp", "..", ".", "photo..bmp", std::string(300, 'n') + ".png",
                                            "\x83/.bmp", "x.TooLongExtension"};
    Bytes b;
    testing::AppendJwwHeader(b, 700);
    b.Count(0).Count(0).U32(static_cast<uint32_t>(names.size() + 1));
    for (const std::string& name : names) b.Str(name).U32(4).Raw("PICT");
    b.WStr(u"\U00020BB7\u5199\u771F.jpg").U32(4).Raw("WIDE");  // 𠮷写真.jpg
    DrawingData d;
    ASSERT_EQ(ReadBytes(b.data, d, images.Path()), "");
    ASSERT_EQ(d.EmbeddedImageList.size(), names.size() + 1);
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(d.EmbeddedImageList[i].Name, names[i]);
    EXPECT_EQ(d.EmbeddedImageList[0].FileName, "image1.bmp");
    EXPECT_EQ(d.EmbeddedImageList[5].FileName, "image6");
    EXPECT_EQ(d.EmbeddedImageList[8].FileName, "image9.png");
    EXPECT_EQ(d.EmbeddedImageList[10].FileName, "image11");
    EXPECT_EQ(d.EmbeddedImageList[11].FileName, "image12.jpg");
    EXPECT_EQ(ReadFile(images.Path() / "image12.jpg"), "WIDE");
    EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(images.Path()), fs::directory_iterator())),
              names.size() + 1);
    EXPECT_FALSE(fs::exists(outside));
}

// Without an image folder the images are passed over: names and sizes kept, nothing written.
TEST(JwwReader, ReadsWithoutExtractingWhenNoImageFolderIsGiven) {
    Bytes b;
    testing::AppendJwwHeader(b, 700);
    b.Count(0).Count(0).U32(1).Str("photo.bmp").U32(4).Raw("PICT");
    TempFolder cwd;
    const fs::path before = fs::current_path();
    fs::current_path(cwd.Path());
    DrawingData d;
    EXPECT_EQ(ReadBytes(b.data, d, {}), "");
    fs::current_path(before);
    EXPECT_EQ(d.EmbeddedImageList, (std::vector<EmbeddedImage>{{"photo.bmp", 4, ""}}));
    EXPECT_TRUE(fs::is_empty(cwd.Path()));
}

#ifndef _WIN32
// The images of a drawing may be confidential: the image folder the reader makes, and each
// image in it, is for its owner only.
TEST(JwwReader, ExtractsImagesForTheOwnerOnly) {
    TempFolder root;
    const fs::path images = root.Path() / "images";
    Bytes b;
    testing::AppendJwwHeader(b, 700);
    b.Count(0).Count(0).U32(1).Str("photo.bmp").U32(4).Raw("PICT");
    DrawingData d;
    ASSERT_EQ(ReadBytes(b.data, d, images), "");
    EXPECT_EQ(fs::status(images).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(images / "image1.bmp").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}
#endif

// Every cut of a drawing fails cleanly; none escapes as anything but a false answer.
TEST(JwwReader, EveryPrefixFailsCleanly) {
    TempFolder images;
    for (uint32_t v : {230u, 700u}) {
        const std::vector<uint8_t> full = SyntheticJww(v);
        DrawingData d;
        for (size_t n = 0; n < full.size(); ++n) {
            const std::vector<uint8_t> prefix(full.begin(), full.begin() + static_cast<long>(n));
            ASSERT_NE(ReadBytes(prefix, d, images.Path()), "") << v << " at " << n;
        }
        // Through a file too, for a few cuts.
        for (size_t n : {size_t{0}, size_t{7}, size_t{12}, full.size() / 2, full.size() - 1}) {
            const fs::path file = images.Path() / "cut.jww";
            WriteFile(file, std::vector<uint8_t>(full.begin(), full.begin() + static_cast<long>(n)));
            std::string error;
            EXPECT_FALSE(ReadJww(file, d, images.Path(), &error)) << n;
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(JwwReader, HostileCountsFailWithoutLargeAllocations) {
    TempFolder images;
    DrawingData d;
    for (uint32_t count : {0xFFFFFFFFu, 0x10000000u, 70000u}) {
        Bytes entities;
        testing::AppendJwwHeader(entities, 700);
        entities.Count(count).NewClass("CDataSen", 700);
        EXPECT_NE(ReadBytes(entities.data, d, images.Path()), "") << count;
        Bytes blocks;
        testing::AppendJwwHeader(blocks, 700);
        blocks.Count(0).Count(count);
        EXPECT_NE(ReadBytes(blocks.data, d, images.Path()), "") << count;
        Bytes pictures;
        testing::AppendJwwHeader(pictures, 700);
        pictures.Count(0).Count(0).U32(count).Str("a.bmp").U32(count);
        EXPECT_NE(ReadBytes(pictures.data, d, images.Path()), "") << count;
    }
    EXPECT_TRUE(fs::is_empty(images.Path()));
}

TEST(JwwReader, ProbeAndHeaderRead) {
    TempFolder folder;
    const fs::path file = folder.Path() / "a.jww";
    WriteFile(file, SyntheticJww(420));
    EXPECT_TRUE(ProbeJww(file));
    DrawingData d;
    ASSERT_TRUE(ReadJwwHeader(file, d));
    EXPECT_EQ(d.Header.FileVersion, 420u);
    EXPECT_EQ(d.Header.Memo, "memo");
    EXPECT_EQ(d.Header.DrawTime, 777u);

    // The header read needs only items up to the solid colour; it checks no signature.
    Bytes header;
    testing::AppendJwwHeader(header, 600);
    header.data[0] = 'X';
    WriteFile(file, header.data);
    EXPECT_FALSE(ProbeJww(file));
    EXPECT_TRUE(ReadJwwHeader(file, d));
    WriteFile(file, std::vector<uint8_t>(header.data.begin(), header.data.begin() + 400));
    EXPECT_FALSE(ReadJwwHeader(file, d));

    WriteFile(file, std::string("JwwData"));
    EXPECT_FALSE(ProbeJww(file));
    EXPECT_FALSE(ProbeJww(folder.Path() / "missing.jww"));
    EXPECT_FALSE(ReadJwwHeader(folder.Path() / "missing.jww", d));
}

using testing::CorpusFolder;

// Real drawings made by other people: each reads completely, to its last byte.
TEST(JwwReader, ReadsTheCorpus) {
    const fs::path folder = CorpusFolder("jww");
    if (folder.empty()) GTEST_SKIP() << "no corpus";
    TempFolder images;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().string());
        ArchiveReader in(entry.path());
        DrawingData d;
        ASSERT_NO_THROW(ReadJwwFrom(in, d, images.Path()));
        EXPECT_EQ(in.Remaining(), 0u);
        EXPECT_GE(d.Header.FileVersion, 600u);
        ++files;
    }
    EXPECT_GT(files, 0);
}

// Drawings saved by a current (Unicode) version of the CAD program: every string wide.
TEST(JwwReader, ReadsTheWideStringDrawingsOfTheCorpus) {
    const fs::path folder = CorpusFolder("jww-wide-strings");
    if (folder.empty()) GTEST_SKIP() << "no corpus";
    TempFolder images;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().string());
        ArchiveReader in(entry.path());
        DrawingData d;
        ASSERT_NO_THROW(ReadJwwFrom(in, d, images.Path()));
        EXPECT_EQ(in.Remaining(), 0u);
        EXPECT_EQ(d.Strings, StringForm::Wide);
        EXPECT_TRUE(d.Header.LayerGroups[0].Name.IsWide());
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(DrawingData, ClearAndRelease) {
    DrawingData d;
    d.Lines.emplace_back();
    d.EntityOrder.push_back({1, 0});
    d.BlockDefinitions.emplace_back().Members().Lines.emplace_back();
    d.Header.FileVersion = 600;
    d.Header.PrinterScale = 3;
    d.EmbeddedImageList.push_back({"a.bmp", 1, "image1.bmp"});
    d.Strings = StringForm::Wide;
    d.Release();
    EXPECT_TRUE(d.Lines.empty());
    EXPECT_TRUE(d.EntityOrder.empty());
    EXPECT_TRUE(d.BlockDefinitions.empty());
    EXPECT_EQ(d.Header.FileVersion, 0u);
    EXPECT_EQ(d.Header.PrinterScale, 1.0);
    EXPECT_EQ(d.Header.MarkJumps[7].LayerGroup, -1);
    EXPECT_TRUE(d.EmbeddedImageList.empty());
    EXPECT_EQ(d.Strings, StringForm::Bytes);
    d.Clear();
    d.Release();
    EXPECT_EQ(d.Header.GridSpacingX, 1.0);
}

// What the reader keeps takes no more than it holds: every array is made at its final size
// (none grown by doubling), and a block definition without members holds no arrays. A copy of
// a drawing has members of its own.
TEST(JwwReader, ArraysAreMadeAtTheirFinalSize) {
    TempFolder images;
    DrawingData synthetic;
    ASSERT_EQ(ReadBytes(SyntheticJww(600), synthetic, images.Path()), "");
    synthetic.BlockDefinitions.emplace_back().Number = 3;
    MemorySink sink;
    WriteJwwTo(sink, synthetic, 600, images.Path());
    DrawingData d;
    ASSERT_EQ(ReadBytes(sink.bytes, d, images.Path()), "");

    auto exact = [](const EntityLists& l) {
        return l.EntityOrder.capacity() == l.EntityOrder.size() && l.Lines.capacity() == l.Lines.size() &&
               l.Arcs.capacity() == l.Arcs.size() && l.Points.capacity() == l.Points.size() &&
               l.Texts.capacity() == l.Texts.size() && l.Dimensions.capacity() == l.Dimensions.size() &&
               l.Solids.capacity() == l.Solids.size() && l.BlockInserts.capacity() == l.BlockInserts.size();
    };
    EXPECT_TRUE(exact(d));
    ASSERT_EQ(d.BlockDefinitions.size(), 3u);
    EXPECT_EQ(d.BlockDefinitions.capacity(), 3u);
    EXPECT_TRUE(d.BlockDefinitions[0].HasMembers() && exact(d.BlockDefinitions[0].Members()));
    EXPECT_TRUE(d.BlockDefinitions[1].HasMembers() && exact(d.BlockDefinitions[1].Members()));
    EXPECT_FALSE(d.BlockDefinitions[2].HasMembers());
    EXPECT_TRUE(d.BlockDefinitions[2].Members().EntityOrder.empty());

    DrawingData copy = d;
    copy.BlockDefinitions[0].Members().Lines[0].PenColor = 9;
    EXPECT_EQ(d.BlockDefinitions[0].Members().Lines[0].PenColor, 1);
}

}  // namespace
}  // namespace tolvane
