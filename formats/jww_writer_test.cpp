#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "formats/entity_stream.h"
#include "formats/jww.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/file_size_limit.h"
#include "testsupport/synthetic_jww.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::TempFolder;

const uint32_t kLayoutVersions[] = {220, 222, 223, 225, 230, 231, 299, 300, 350, 351, 419, 420, 600, 699, 700, 701};

DrawingData ReadMemory(const std::vector<uint8_t>& bytes, const fs::path& images) {
    DrawingData d;
    ArchiveReader in(bytes.data(), bytes.size());
    ReadJwwFrom(in, d, images);
    return d;
}

std::vector<uint8_t> WriteMemory(const DrawingData& d, uint32_t version, const fs::path& images) {
    MemorySink sink;
    WriteJwwTo(sink, d, version, images);
    return sink.bytes;
}

// Read, write at the same version, read back.
DrawingData RoundTrip(const DrawingData& d, uint32_t version, const fs::path& images) {
    return ReadMemory(WriteMemory(d, version, images), images);
}

// At every layout boundary the writer gives back the file byte for byte, in either string form.
TEST(JwwWriter, WritesEveryLayoutVersionBackByteForByte) {
    for (bool wide : {false, true})
    for (uint32_t v : kLayoutVersions) {
        TempFolder images;
        const std::vector<uint8_t> original = testing::CanonicalJww(v, wide);
        DrawingData d = ReadMemory(original, images.Path());
        EXPECT_EQ(WriteMemory(d, v, images.Path()), original) << v << (wide ? " wide" : "");
    }
}

TEST(JwwWriter, WritesTheCorpusBackByteForByte) {
    for (const char* subfolder : {"jww", "jww-wide-strings"}) {
    const fs::path folder = testing::CorpusFolder(subfolder);
    if (folder.empty()) GTEST_SKIP() << "no corpus";
    TempFolder images;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string original = testing::ReadFile(entry.path());
        DrawingData d;
        ASSERT_TRUE(ReadJww(entry.path(), d, images.Path())) << entry.path();
        const std::vector<uint8_t> written = WriteMemory(d, d.Header.FileVersion, images.Path());
        EXPECT_TRUE(std::equal(original.begin(), original.end(), written.begin(), written.end(),
                               [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }))
            << entry.path();
    }
    }
}

// Texts and names lose control characters and "^m" on the way out; the memo does not.
TEST(JwwWriter, CleansTextsAndNames) {
    TempFolder images;
    DrawingData d = testing::MakeFloorPlan(600);
    d.Header.Memo = "line1\r\nline2";
    d.Header.LayerGroups[3].Layers[4].Name = "wa^mll\t";
    d.Header.LayerGroups[3].Name = "\x01\x02";
    d.Header.SxfPens[20].Name = "^mred";
    d.Header.SxfLineTypes[5].Name = "dash\x1f";
    d.Texts[0].Text = "a^mb\tc";
    d.Texts[0].FontName = "\x83\x5Em";  // a double-byte character ending in 0x5E, then "m"
    d.Texts[1].Text = "^m";
    d.BlockDefinitions[0].Name = "door\n";
    d.Dimensions[0].DimensionText.Text = "1\r000";
    const DrawingData back = RoundTrip(d, 600, images.Path());
    EXPECT_EQ(back.Header.Memo, "line1\r\nline2");
    EXPECT_EQ(back.Header.LayerGroups[3].Layers[4].Name, "wall");
    EXPECT_EQ(back.Header.LayerGroups[3].Name, " ");
    EXPECT_EQ(back.Header.SxfPens[20].Name, "red");
    EXPECT_EQ(back.Header.SxfLineTypes[5].Name, "dash");
    EXPECT_EQ(back.Texts[0].Text, "abc");
    EXPECT_EQ(back.Texts[0].FontName, "\x83\x5Em");
    EXPECT_EQ(back.Texts[1].Text, " ");
    EXPECT_EQ(back.BlockDefinitions[0].Name, "door");
    EXPECT_EQ(back.Dimensions[0].DimensionText.Text, "1000");
}

// Wide strings are cleaned character by character: a unit whose low byte looks like a control
// character or a lead byte is no such thing, and characters Shift-JIS lacks pass unchanged.
TEST(JwwWriter, CleansWideStringsByCharacter) {
    TempFolder images;
    DrawingData d = testing::MakeFloorPlan(700);
    testing::MakeStringsWide(d);
    const std::u16string kept = u"\U00020BB7\U0001F600\u2460\uD55C\u6C49\u0109\u8109";  // 𠮷😀①한汉ĉ脉
    d.Texts[0].Text = ArchiveString::Wide(u"a^mb\t" + kept);
    d.Texts[1].Text = ArchiveString::Wide(u"\r\n");
    d.Header.Memo = ArchiveString::Wide(u"line1\r\nline2");
    const DrawingData back = RoundTrip(d, 700, images.Path());
    EXPECT_EQ(back.Texts[0].Text, ArchiveString::Wide(u"ab" + kept));
    EXPECT_EQ(back.Texts[1].Text, ArchiveString::Wide(u" "));
    EXPECT_EQ(back.Header.Memo, d.Header.Memo);
    EXPECT_EQ(back.Strings, StringForm::Wide);
}

TEST(JwwWriter, NormalisesHeaderValuesByVersion) {
    TempFolder images;
    struct Case {
        uint32_t version;
        int32_t maxDrawWidth, expectedWidth;
        int32_t units, tens, expectedUnits, expectedTens;
    };
    const Case cases[] = {
        // Up to 420 the line-drawing width stops at -101.
        {420, -150, -101, 3, 0, 3, 0},
        {421, -150, -150, 3, 0, 3, 0},
        {351, -101, -101, 3, 0, 3, 0},
        // The option word has tens of at least 1 from 600 on, and none before.
        {600, 0, 0, 3, 0, 3, 1},
        {599, 0, 0, 3, 2, 3, 0},
        {600, 0, 0, 3, 2, 3, 2},
    };
    for (const Case& c : cases) {
        DrawingData d = testing::MakeFloorPlan(c.version);
        d.Header.MaxDrawWidth = c.maxDrawWidth;
        d.Header.PrintOptionUnits = c.units;
        d.Header.PrintOptionTens = c.tens;
        const DrawingData back = RoundTrip(d, c.version, images.Path());
        EXPECT_EQ(back.Header.MaxDrawWidth, c.expectedWidth) << c.version;
        EXPECT_EQ(back.Header.PrintOptionUnits, c.expectedUnits) << c.version;
        EXPECT_EQ(back.Header.PrintOptionTens, c.expectedTens) << c.version;
    }
    // The reserved words are written back as they were read.
    DrawingData d = testing::MakeFloorPlan(600);
    d.Header.ReservedWords[13] = 99;
    d.Header.ReservedWord15 = 7;
    const DrawingData back = RoundTrip(d, 600, images.Path());
    EXPECT_EQ(back.Header.ReservedWords[13], 99u);
    EXPECT_EQ(back.Header.ReservedWord15, 7u);
}

// A 64-bit block time becomes the definition's position; long forms become short ones;
// bytes after the data are not kept.
TEST(JwwWriter, WritesShortFormsAndDropsWhatFollowsTheData) {
    TempFolder images;
    Bytes b;
    testing::HeaderValues values;
    values.Memo = "";
    testing::AppendJwwHeader(b, 600, values);
    const size_t memoAt = 12;
    ASSERT_EQ(b.data[memoAt], 0);
    b.data[memoAt] = 0xFF;  // the empty memo in the long form: FF 00 00
    b.data.insert(b.data.begin() + memoAt + 1, {0, 0});
    b.U16(0xFFFF).U32(1).NewClass("CDataSen", 600);  // a count of 1 in the 32-bit form
    testing::AppendLine(b, 600, 2, 0);
    b.Count(1).NewClass("CDataList", 600).Base(600, 0, 1, 1, 0, 0, 0, 0).U32(1).U32(0).U32(0x80000000).U32(5).U32(6);
    b.Str("blk").Count(0);
    b.Raw("trailing");
    DrawingData d = ReadMemory(b.data, images.Path());
    const std::vector<uint8_t> written = WriteMemory(d, 600, images.Path());
    EXPECT_EQ(written.size(), b.Size() - 2 - 4 - 8 - 8);
    EXPECT_EQ(written[memoAt], 0);
    const DrawingData back = ReadMemory(written, images.Path());
    EXPECT_EQ(back.Lines.size(), 1u);
    EXPECT_EQ(back.BlockDefinitions[0].Time, 1u);
}

// The attribute check on the written copy: (kind, stored value) to written value.
TEST(JwwWriter, ChecksAttributesOnTheWay) {
    TempFolder images;
    DrawingData d = testing::MakeFloorPlan(600);
    d.Lines[0].PenStyle = 0;
    d.Lines[1].PenStyle = 10;
    d.Lines[2].PenStyle = 62;
    d.Lines[3].PenColor = 0;
    d.Lines[4].PenWidth = 30001;
    d.Lines[5].LayerGroup = 16;
    d.Arcs[0].PenStyle = 20;
    d.Points[0].PenStyle = 5;
    d.Points[0].Layer = 16;
    d.Texts[0].PenColor = 0;
    d.Texts[0].PenStyle = 12;
    d.Solids[0].PenColor = 11;
    d.Solids[1].PenColor = 10;
    d.Dimensions[0].PenStyle = 77;  // a dimension's own base has no line-type check
    d.Dimensions[0].PenColor = 400;
    d.Dimensions[0].DimensionLine.PenStyle = 0;
    d.BlockInserts[0].PenColor = 0;  // kinds 7 and 8 have no colour or line-type check
    d.BlockDefinitions[0].PenStyle = 0;
    d.BlockDefinitions[0].Members().Lines[0].PenColor = 500;
    const DrawingData back = RoundTrip(d, 600, images.Path());
    EXPECT_EQ(back.Lines[0].PenStyle, 1);
    EXPECT_EQ(back.Lines[1].PenStyle, 1);
    EXPECT_EQ(back.Lines[2].PenStyle, 62);
    EXPECT_EQ(back.Lines[3].PenColor, 2);
    EXPECT_EQ(back.Lines[4].PenWidth, 0);
    EXPECT_EQ(back.Lines[5].LayerGroup, 0);
    EXPECT_EQ(back.Arcs[0].PenStyle, 1);
    EXPECT_EQ(back.Points[0].PenStyle, 1);
    EXPECT_EQ(back.Points[0].Layer, 0);
    EXPECT_EQ(back.Points[1].PenStyle, 100);
    EXPECT_EQ(back.Points[1].Scale, 1.5);
    EXPECT_EQ(back.Texts[0].PenColor, 2);
    EXPECT_EQ(back.Texts[0].PenStyle, 1);
    EXPECT_EQ(back.Solids[0].PenColor, 2);
    EXPECT_EQ(back.Solids[1].PenColor, 10);
    EXPECT_EQ(back.Solids[1].Rgb, 0x00C0E0FFu);
    EXPECT_EQ(back.Dimensions[0].PenStyle, 77);
    EXPECT_EQ(back.Dimensions[0].PenColor, 2);
    EXPECT_EQ(back.Dimensions[0].DimensionLine.PenStyle, 1);
    EXPECT_EQ(back.BlockInserts[0].PenColor, 0);
    EXPECT_EQ(back.BlockDefinitions[0].PenStyle, 0);
    EXPECT_EQ(back.BlockDefinitions[0].Members().Lines[0].PenColor, 2);
    // The stored drawing is left as it was.
    EXPECT_EQ(d.Lines[0].PenStyle, 0);
}

// Below 420 the file format has no SXF numbers: the standard ones that look alike are written.
TEST(JwwWriter, ReplacesSxfNumbersBelow420) {
    const std::pair<uint8_t, uint8_t> lineTypes[] = {{31, 1}, {32, 4}, {33, 3}, {34, 6}, {35, 8}, {36, 8}, {37, 2}, {38, 5},
                                                     {39, 7}, {40, 6}, {41, 6}, {42, 8}, {43, 8}, {44, 17}, {45, 17},
                                                     {46, 1}, {62, 1}, {19, 19}, {9, 9}};
    for (auto [sxf, standard] : lineTypes) {
        EXPECT_EQ(CheckEntityBase(EntityBase{0, sxf, 1, 0, 0, 0, 0}, EntityKind::Arc, 419).PenStyle, standard) << int(sxf);
        EXPECT_EQ(CheckEntityBase(EntityBase{0, sxf, 1, 0, 0, 0, 0}, EntityKind::Line, 420).PenStyle, sxf) << int(sxf);
    }
    const std::pair<uint16_t, uint16_t> colors[] = {{101, 2}, {102, 8}, {103, 3}, {104, 6}, {105, 4}, {106, 5}, {107, 1}, {108, 2},
                                                    {109, 5}, {110, 8}, {111, 4}, {112, 3}, {113, 6}, {114, 5}, {115, 2},
                                                    {116, 2}, {117, 2}, {356, 2}, {9, 9}};
    for (auto [sxf, standard] : colors) {
        for (EntityKind kind : {EntityKind::Line, EntityKind::Point, EntityKind::Text, EntityKind::Dimension, EntityKind::Solid})
            EXPECT_EQ(CheckEntityBase(EntityBase{0, 1, sxf, 0, 0, 0, 0}, kind, 351).PenColor, standard) << sxf;
        EXPECT_EQ(CheckEntityBase(EntityBase{0, 1, sxf, 0, 0, 0, 0}, EntityKind::BlockInsert, 351).PenColor, sxf);
    }
    // The point's own line types are not SXF ones.
    EXPECT_EQ(CheckEntityBase(EntityBase{0, 100, 1, 0, 0, 0, 0}, EntityKind::Point, 351).PenStyle, 100);
}

// Raising a drawing adds what the higher version holds; each output reads back with the
// same entities.
TEST(JwwWriter, WritesRaisedVersions) {
    TempFolder images;
    {
        DrawingData d = ReadMemory(testing::CanonicalJww(350), images.Path());
        d.Lines[0].PenWidth = 70;
        const DrawingData back = RoundTrip(d, 351, images.Path());
        EXPECT_EQ(back.Lines[0].PenWidth, 70);
        EXPECT_EQ(back.Lines[1].PenWidth, 0);
        EXPECT_EQ(back.Arcs.size(), 1u);
    }
    {
        DrawingData d = ReadMemory(testing::CanonicalJww(351), images.Path());
        const DrawingData back = RoundTrip(d, 420, images.Path());
        EXPECT_EQ(back.Header.SxfPens[1].Name, "");
        // The SXF names a wide drawing gains are wide too: every string keeps the drawing's form.
        const DrawingData wide = ReadMemory(testing::CanonicalJww(351, true), images.Path());
        const DrawingData wideBack = RoundTrip(wide, 420, images.Path());
        EXPECT_EQ(wideBack.Header.SxfPens[1].Name, ArchiveString::Empty(StringForm::Wide));
        EXPECT_EQ(wideBack.Header.SxfLineTypes[32].Name, ArchiveString::Empty(StringForm::Wide));
        EXPECT_EQ(back.Header.SxfLineTypes[32].SegmentCount, 0u);
        const DimensionRecord& dim = back.Dimensions[0];
        EXPECT_EQ(dim.SxfMode, 0);
        EXPECT_EQ(dim.AuxLine1.PenColor, 6);
        EXPECT_EQ(dim.Point1.PenStyle, 1);
        EXPECT_EQ(dim.AuxPoint2.PenStyle, 1);
        EXPECT_EQ(back.Texts.size(), d.Texts.size());
        EXPECT_EQ(back.BlockDefinitions.size(), 2u);
    }
    {
        // 600 to 700: the image section appears, empty for a drawing without images.
        DrawingData d = ReadMemory(testing::CanonicalJww(600), images.Path());
        const std::vector<uint8_t> written = WriteMemory(d, 700, images.Path());
        const DrawingData back = ReadMemory(written, images.Path());
        EXPECT_TRUE(back.EmbeddedImageList.empty());
        EXPECT_EQ(std::vector<uint8_t>(written.end() - 4, written.end()), (std::vector<uint8_t>{0, 0, 0, 0}));
        EXPECT_EQ(back.Solids[1].Rgb, d.Solids[1].Rgb);
    }
}

std::string ImageText(const std::string& name) { return "^@BM%temp%" + name + ",100,75,0"; }

// Which images are written: those a text refers to (by name prefix, without regard to ASCII
// case, the first match in list order) whose files are still there.
TEST(JwwWriter, WritesTheImagesInUse) {
    TempFolder images;
    DrawingData d = testing::MakeFloorPlan(700, images.Path());
    testing::WriteFile(images.Path() / "image1.bmp", std::string("unused"));
    testing::WriteFile(images.Path() / "image2.gz", std::string("first"));
    testing::WriteFile(images.Path() / "image3.BMP", std::string("second"));
    d.EmbeddedImageList = {{"unused.bmp", 6, "image1.bmp"},
                           {"Photo.bmp.gz", 5, "image2.gz"},
                           {"PHOTO.BMP", 6, "image3.BMP"},
                           {"gone.bmp", 4, "image4.bmp"}};
    d.Texts[0].Text = ImageText("photo.bmp");
    d.BlockDefinitions[0].Members().Texts[0].Text = ImageText("gone.bmp");
    d.Dimensions[0].DimensionText.Text = ImageText("unused.bmp");  // dimension texts are not examined
    d.Texts[1].Text = "^@BM%temp%unused.bmp";                        // no comma: marks nothing
    const DrawingData before = d;
    const std::vector<uint8_t> written = WriteMemory(d, 700, images.Path());
    EXPECT_EQ(d.EmbeddedImageList, before.EmbeddedImageList);  // writing changes nothing
    TempFolder readBack;
    const DrawingData back = ReadMemory(written, readBack.Path());
    ASSERT_EQ(back.EmbeddedImageList.size(), 1u);
    EXPECT_EQ(back.EmbeddedImageList[0].Name, "Photo.bmp.gz");
    EXPECT_EQ(testing::ReadFile(readBack.Path() / back.EmbeddedImageList[0].FileName), "first");

    // The same in a wide drawing: the reference and the name are wide, and so is the name written.
    testing::MakeStringsWide(d);
    d.Texts[1].Text = ArchiveString::Wide(u"^@BM%temp%\U00020BB7.bmp,1,1");
    d.EmbeddedImageList[3] = {ArchiveString::Wide(u"\U00020BB7.bmp"), 4, "image4.bmp"};
    testing::WriteFile(images.Path() / "image4.bmp", std::string("wide"));
    const DrawingData wideBack = ReadMemory(WriteMemory(d, 700, images.Path()), readBack.Path());
    ASSERT_EQ(wideBack.EmbeddedImageList.size(), 2u);
    EXPECT_EQ(wideBack.EmbeddedImageList[0].Name, ArchiveString::Wide(u"Photo.bmp.gz"));
    EXPECT_EQ(wideBack.EmbeddedImageList[1].Name, ArchiveString::Wide(u"\U00020BB7.bmp"));
    EXPECT_EQ(testing::ReadFile(readBack.Path() / wideBack.EmbeddedImageList[1].FileName), "wide");
}

// Two images of one name (one picture inserted twice) are both written back, each with its
// own bytes, although a text can name only the first.
TEST(JwwWriter, WritesBackImagesThatShareAName) {
    TempFolder images;
    DrawingData d = testing::MakeFloorPlan(700, images.Path());
    testing::WriteFile(images.Path() / "image1.bmp", std::string("first"));
    testing::WriteFile(images.Path() / "image2.bmp", std::string("second"));
    d.EmbeddedImageList = {{"photo.bmp", 5, "image1.bmp"}, {"PHOTO.bmp", 6, "image2.bmp"}};
    d.Texts[0].Text = ImageText("photo.bmp");
    d.Texts[1].Text = ImageText("photo.bmp");
    TempFolder readBack;
    const DrawingData back = ReadMemory(WriteMemory(d, 700, images.Path()), readBack.Path());
    ASSERT_EQ(back.EmbeddedImageList.size(), 2u);
    EXPECT_EQ(testing::ReadFile(readBack.Path() / back.EmbeddedImageList[0].FileName), "first");
    EXPECT_EQ(testing::ReadFile(readBack.Path() / back.EmbeddedImageList[1].FileName), "second");
}

// Among many images and texts each text finds the first image whose name begins with the
// text's name: a name that begins several image names, one asked for by two texts, one
// longer than every image name.
TEST(JwwWriter, FindsTheImageOfEachTextAmongMany) {
    TempFolder images;
    DrawingData d = testing::MakeFloorPlan(700);
    d.EmbeddedImageList.clear();
    const std::string names[] = {"a.bmp", "ab.bmp", "AB", "abc.bmp", "b", "x.bmp"};
    for (size_t i = 0; i < std::size(names); ++i) {
        const std::string file = "image" + std::to_string(i + 1);
        d.EmbeddedImageList.push_back({names[i], 1, file});
        testing::WriteFile(images.Path() / file, std::string("x"));
    }
    for (const char* name : {"ab", "Ab", "ABC", "abc.bmp.long", "b"}) {
        d.EntityOrder.push_back({uint32_t(EntityKind::Text), static_cast<uint32_t>(d.Texts.size())});
        d.Texts.emplace_back().Text = ImageText(name);
    }
    TempFolder readBack;
    const DrawingData back = ReadMemory(WriteMemory(d, 700, images.Path()), readBack.Path());
    std::vector<ArchiveString> written;
    for (const EmbeddedImage& image : back.EmbeddedImageList) written.push_back(image.Name);
    EXPECT_EQ(written, (std::vector<ArchiveString>{"ab.bmp", "abc.bmp", "b"}));
}

// The image of each text, top-level texts and then block members: two images of one name
// answer with the first, and a name that begins several image names with the first of them.
TEST(JwwImages, EachTextFindsItsImage) {
    DrawingData d;
    d.EmbeddedImageList = {{"photo.bmp", 1, ""}, {"PHOTO.bmp", 1, ""}, {"plan.bmp.gz", 1, ""}, {"plan.bmp", 1, ""}};
    for (const char* text : {"^@BM%temp%Photo.bmp,1,1", "^@BM%temp%plan.bmp,1,1", "^@BM%temp%none,1,1", "photo.bmp",
                             "^@BM%temp%,1,1"})
        d.Texts.emplace_back().Text = text;
    d.BlockDefinitions.emplace_back().Members().Texts.emplace_back().Text = "^@BM%temp%PHOTO.BMP,1,1";
    d.BlockDefinitions.emplace_back();
    d.BlockDefinitions.emplace_back().Members().Texts.emplace_back().Text = "^@BM%temp%plan.bmp.g,1,1";
    EXPECT_EQ(ImagesOfTexts(d), (std::vector<uint32_t>{0, 2, kNoImage, kNoImage, kNoImage, 0, 2}));
    d.EmbeddedImageList.clear();
    EXPECT_EQ(ImagesOfTexts(d), std::vector<uint32_t>(7, kNoImage));
}

// A sink that fails once it has taken a number of bytes, and can act on its first write.
class FailingSink : public ByteSink {
public:
    explicit FailingSink(size_t limit) : limit_(limit) {}
    void Write(const uint8_t*, size_t size) override {
        if (onWrite) std::exchange(onWrite, nullptr)();
        if (taken_ + size > limit_) throw ArchiveError("disk full");
        taken_ += size;
    }
    std::function<void()> onWrite;

private:
    size_t limit_;
    size_t taken_ = 0;
};

// An image whose file shrinks while it is copied fails the whole write.
TEST(JwwWriter, FailsWhenAnImageCannotBeCopiedCompletely) {
    TempFolder images;
    TempFolder out;
    DrawingData d = testing::MakeFloorPlan(700, images.Path());
    const fs::path photo = images.Path() / d.EmbeddedImageList[0].FileName;
    testing::WriteFile(photo, std::string(300000, 'p'));
    // The sink first hears of the output when the copy fills the writer's buffer.
    FailingSink sink(SIZE_MAX);
    sink.onWrite = [&] { fs::resize_file(photo, 10); };
    EXPECT_THROW(WriteJwwTo(sink, d, 700, images.Path()), ArchiveError);

    // An image whose file has become a folder is dropped, and the write goes on.
    fs::remove(photo);
    fs::create_directory(photo);
    std::string error;
    EXPECT_TRUE(WriteJww(out.Path() / "plan.jww", d, 700, images.Path(), &error)) << error;
    DrawingData back;
    ASSERT_TRUE(ReadJww(out.Path() / "plan.jww", back, out.Path() / "images"));
    EXPECT_TRUE(back.EmbeddedImageList.empty());
}

// A failing sink at any point fails the write; the writer never reports success.
TEST(JwwWriter, EveryFailingWriteFails) {
    TempFolder images;
    DrawingData d = testing::MakeLargeDrawing(600, 200000);
    const size_t total = WriteMemory(d, 600, images.Path()).size();
    ASSERT_GT(total, 150000u);
    for (size_t limit = 0; limit < total; limit += 997) {
        FailingSink sink(limit);
        EXPECT_THROW(WriteJwwTo(sink, d, 600, images.Path()), ArchiveError) << limit;
    }
    FailingSink enough(total);
    EXPECT_NO_THROW(WriteJwwTo(enough, d, 600, images.Path()));
}

// A file that fills the disk after N bytes, for every N: false, and no file left.
TEST(JwwWriter, AFullDiskLeavesNoFile) {
    if (!testing::FileSizeLimit::Supported()) GTEST_SKIP() << "no file-size limits here";
    TempFolder images;
    TempFolder out;
    DrawingData d = testing::MakeFloorPlan(351);
    const size_t total = WriteMemory(d, 351, images.Path()).size();
    const fs::path target = out.Path() / "plan.jww";
    for (size_t limit = 0; limit < total; limit += 97) {
        bool written;
        std::string error;
        {
            testing::FileSizeLimit full(limit);
            written = WriteJww(target, d, 351, images.Path(), &error);
        }
        EXPECT_FALSE(written) << limit;
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(fs::exists(target)) << limit;
    }
    testing::FileSizeLimit enough(total);
    EXPECT_TRUE(WriteJww(target, d, 351, images.Path()));
}

TEST(JwwWriter, WriteToAFileReplacesItAndFailsCleanly) {
    TempFolder images;
    TempFolder out;
    DrawingData d = testing::MakeFloorPlan(600);
    const fs::path target = out.Path() / "plan.jww";
    testing::WriteFile(target, std::string(100000, 'x'));
    ASSERT_TRUE(WriteJww(target, d, 600, images.Path()));
    EXPECT_EQ(testing::ReadFile(target), [&] {
        const std::vector<uint8_t> bytes = WriteMemory(d, 600, images.Path());
        return std::string(bytes.begin(), bytes.end());
    }());
    // A path that cannot be created: false, with a reason, and the folder there is untouched.
    std::string error;
    fs::create_directory(out.Path() / "folder.jww");
    EXPECT_FALSE(WriteJww(out.Path() / "folder.jww", d, 600, images.Path(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(out.Path() / "folder.jww"));
    // An order list that refers to no record fails the write and leaves no file.
    d.EntityOrder.push_back({1, 9999});
    EXPECT_FALSE(WriteJww(out.Path() / "broken.jww", d, 600, images.Path(), &error));
    EXPECT_FALSE(fs::exists(out.Path() / "broken.jww"));
}

}  // namespace
}  // namespace tolvane
