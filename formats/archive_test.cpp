#include "formats/archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "testsupport/test_files.h"

namespace tolvane {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Written(const std::function<void(ArchiveWriter&)>& write) {
    MemorySink sink;
    ArchiveWriter out(sink);
    write(out);
    out.Flush();
    return sink.bytes;
}

Bytes Concat(Bytes head, const std::string& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Golden bytes for the string forms at their boundaries, and the reader taking them back.
TEST(Archive, StringsAtTheirLengthBoundaries) {
    struct Case {
        size_t length;
        Bytes prefix;
    };
    const std::vector<Case> cases = {
        {0, {0x00}},
        {1, {0x01}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {300, {0xFF, 0x2C, 0x01}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},  // 0xFFFE would be the wide marker
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        std::string text(c.length, 'a');
        for (size_t i = 0; i < c.length; ++i) text[i] = static_cast<char>(i * 7);  // any byte, zero included
        const Bytes expected = Concat(c.prefix, text);
        EXPECT_EQ(Written([&](ArchiveWriter& w) { w.WriteString(text); }), expected) << c.length;
        ArchiveReader in(expected.data(), expected.size());
        EXPECT_EQ(in.ReadString(), text) << c.length;
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

// Wide strings: 0xFF, the marker 0xFFFE, the length in UTF-16 units in the same forms as a byte
// string's, then the units little-endian.
TEST(Archive, WideStringsAtTheirLengthBoundaries) {
    struct Case {
        size_t length;
        Bytes prefix;
    };
    const std::vector<Case> cases = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        std::u16string units(c.length, u'\0');
        for (size_t i = 0; i < c.length; ++i) units[i] = static_cast<char16_t>(0xD7FF + i * 31);  // surrogates too
        std::string stored;
        for (char16_t u : units) stored += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        const Bytes expected = Concat(c.prefix, stored);
        const ArchiveString text = ArchiveString::Wide(units);
        EXPECT_EQ(Written([&](ArchiveWriter& w) {
                      w.SetStringForm(StringForm::Wide);
                      w.WriteString(text);
                  }),
                  expected)
            << c.length;
        ArchiveReader in(expected.data(), expected.size());
        const ArchiveString read = in.ReadString();
        EXPECT_EQ(read, text) << c.length;
        EXPECT_EQ(read.Units(), units) << c.length;
        EXPECT_EQ(in.Remaining(), 0u);
        EXPECT_EQ(in.FirstStringForm(), StringForm::Wide);
    }
    // An empty string takes the stream's form, so that strings added to a wide drawing are wide.
    EXPECT_EQ(Written([](ArchiveWriter& w) {
                  w.SetStringForm(StringForm::Wide);
                  w.WriteString("");
                  w.WriteString("a");
              }),
              (Bytes{0xFF, 0xFE, 0xFF, 0x00, 0x01, 'a'}));
}

// The long form of a short string is read (and would be written back short).
// Every string keeps the form it was read in, an empty one too; only an empty string without
// a form of its own (one the program adds) takes the stream's form.
TEST(Archive, EmptyStringsKeepTheFormTheyWereReadIn) {
    const Bytes wideEmpty = {0xFF, 0xFE, 0xFF, 0x00};
    const Bytes bytesEmpty = {0x00};
    ArchiveReader in(wideEmpty.data(), wideEmpty.size());
    const ArchiveString readWide = in.ReadString();
    for (const StringForm stream : {StringForm::Bytes, StringForm::Wide}) {
        auto written = [&](const ArchiveString& s) {
            return Written([&](ArchiveWriter& w) {
                w.SetStringForm(stream);
                w.WriteString(s);
            });
        };
        EXPECT_EQ(written(readWide), wideEmpty);
        EXPECT_EQ(written(ArchiveString::FromStored(StringForm::Bytes, "")), bytesEmpty);
        EXPECT_EQ(written(ArchiveString()), stream == StringForm::Wide ? wideEmpty : bytesEmpty);
    }
}

TEST(Archive, ReadsTheLongFormOfAShortString) {
    const Bytes bytes = {0xFF, 0x03, 0x00, 'a', 'b', 'c'};
    ArchiveReader in(bytes.data(), bytes.size());
    EXPECT_EQ(in.ReadString(), "abc");
}

// The 32-bit length forms of both kinds, as other writers may use them for short strings.
TEST(Archive, ReadsThe32BitLengthForms) {
    const Bytes long32 = {0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'};
    ArchiveReader longIn(long32.data(), long32.size());
    EXPECT_EQ(longIn.ReadString(), "abc");
    const Bytes wide32 = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'a', 0, 0x3D, 0xD8};
    ArchiveReader wideIn(wide32.data(), wide32.size());
    EXPECT_EQ(wideIn.ReadString(), ArchiveString::Wide(u"a\xD83D"));
}

TEST(Archive, CountsAtTheirBoundaries) {
    EXPECT_EQ(Written([](ArchiveWriter& w) { w.WriteCount(65534); }), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(Written([](ArchiveWriter& w) { w.WriteCount(65535); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(Written([](ArchiveWriter& w) { w.WriteCount(0); }), (Bytes{0x00, 0x00}));
    // A 32-bit count below 65535 is read (and written back short).
    Bytes bytes = {0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00};
    bytes.resize(bytes.size() + 5);
    ArchiveReader in(bytes.data(), bytes.size());
    EXPECT_EQ(in.ReadCount(1), 5u);
}

// A hostile length or count fails before anything is allocated for it.
TEST(Archive, LengthsAndCountsMustFitInTheRestOfTheFile) {
    // Lengths in bytes and in wide units, up to a u32 of 2^32 - 1 (whose units would need 8 GB).
    for (const Bytes& string : {Bytes{0xFF, 0xF0, 0xFF, 'a', 'b'}, Bytes{0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'},
                                Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},
                                Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0}}) {
        ArchiveReader stringIn(string.data(), string.size());
        EXPECT_THROW(stringIn.ReadString(), ArchiveError);
    }

    const Bytes count = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    ArchiveReader countIn(count.data(), count.size());
    EXPECT_THROW(countIn.ReadCount(35), ArchiveError);

    // Exactly enough is accepted.
    const Bytes exact = {0x02, 0x00, 1, 2, 3, 4};
    ArchiveReader exactIn(exact.data(), exact.size());
    EXPECT_EQ(exactIn.ReadCount(2), 2u);
    const Bytes tooMany = {0x03, 0x00, 1, 2, 3, 4};
    ArchiveReader tooManyIn(tooMany.data(), tooMany.size());
    EXPECT_THROW(tooManyIn.ReadCount(2), ArchiveError);
}

TEST(Archive, NumbersAreLittleEndian) {
    const Bytes expected = {0x7F, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF,
                            0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
    const Bytes written = Written([](ArchiveWriter& w) {
        w.WriteU8(0x7F);
        w.WriteU16(0x1234);
        w.WriteU32(0x12345678);
        w.WriteI32(-2);
        w.WriteDouble(1.5);
    });
    EXPECT_EQ(written, expected);
    ArchiveReader in(expected.data(), expected.size());
    EXPECT_EQ(in.ReadU8(), 0x7F);
    EXPECT_EQ(in.ReadU16(), 0x1234);
    EXPECT_EQ(in.ReadU32(), 0x12345678u);
    EXPECT_EQ(in.ReadI32(), -2);
    EXPECT_EQ(in.ReadDouble(), 1.5);
    EXPECT_THROW(in.ReadU8(), ArchiveError);
}

// The first class takes index 1 and its first object index 2; the next object of the class
// is tagged 0x8001 and takes index 3.
TEST(Archive, TagsAndTheRunningIndex) {
    uint32_t line = 0;
    uint32_t arc = 0;
    const Bytes written = Written([&](ArchiveWriter& w) {
        w.WriteTag(line, "CDataSen", 600);
        w.NextIndex();
        w.WriteTag(line, "CDataSen", 600);
        w.NextIndex();
        w.WriteTag(arc, "CDataEnko", 600);
    });
    const Bytes expected = Concat(Concat(Concat({0xFF, 0xFF, 0x58, 0x02, 0x08, 0x00}, "CDataSen"),
                                         std::string("\x01\x80\xFF\xFF\x58\x02\x09\x00", 8)),
                                  "CDataEnko");
    EXPECT_EQ(written, expected);
    EXPECT_EQ(line, 1u);
    EXPECT_EQ(arc, 4u);

    ArchiveReader in(expected.data(), expected.size());
    ArchiveTag t = in.ReadTag();
    EXPECT_TRUE(t.IsNewClass);
    EXPECT_EQ(t.ClassName, "CDataSen");
    EXPECT_EQ(t.ClassIndex, 1u);
    in.NextIndex();
    t = in.ReadTag();
    EXPECT_FALSE(t.IsNewClass);
    EXPECT_EQ(t.ClassIndex, 1u);
    in.NextIndex();
    t = in.ReadTag();
    EXPECT_EQ(t.ClassName, "CDataEnko");
    EXPECT_EQ(t.ClassIndex, 4u);
}

TEST(Archive, TagsAtTheIndexLimits) {
    uint32_t below = 0;
    uint32_t at = 0;
    const Bytes written = Written([&](ArchiveWriter& w) {
        for (uint32_t i = 1; i < 0x7FFE; ++i) w.NextIndex();
        w.WriteTag(below, "A", 1);  // takes 0x7FFE
        w.WriteTag(at, "B", 1);     // takes 0x7FFF
        w.WriteTag(below, "A", 1);
        w.WriteTag(at, "B", 1);
    });
    EXPECT_EQ(below, 0x7FFEu);
    EXPECT_EQ(at, 0x7FFFu);
    const Bytes references(written.end() - 8, written.end());
    EXPECT_EQ(references, (Bytes{0xFE, 0xFF, 0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80}));

    // The reader takes the large form with the top bit set or clear.
    const Bytes large = {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80, 0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00};
    ArchiveReader in(large.data(), large.size());
    EXPECT_EQ(in.ReadTag().ClassIndex, 0x7FFFu);
    EXPECT_EQ(in.ReadTag().ClassIndex, 0x7FFFu);

    // A tag below 0x8000 is no class tag; an over-long class name is refused.
    const Bytes objectReference = {0x05, 0x00};
    ArchiveReader refIn(objectReference.data(), objectReference.size());
    EXPECT_THROW(refIn.ReadTag(), ArchiveError);
    Bytes longName = {0xFF, 0xFF, 0x01, 0x00, 0x01, 0x10};
    longName.resize(longName.size() + 0x1001, 'x');
    ArchiveReader longIn(longName.data(), longName.size());
    EXPECT_THROW(longIn.ReadTag(), ArchiveError);
}

TEST(Archive, CleanArchiveText) {
    struct Case {
        std::string in, out;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"a^mb", "ab"},                           // "^m" between letters
        {"a\tb", "ab"},                           // a tab between letters
        {"\r\n\t", " "},                          // only control characters
        {"^m", " "},                              // cleans to nothing
        {"\x83\x5E" "m", "\x83\x5E" "m"},         // second byte 0x5E ('^') of a double-byte character
        {"\x81\x1F" "x", "\x81\x1F" "x"},         // a control-range second byte stays in its pair
        {"\xB1\xFE\xFF", "\xB1\xFE\xFF"},         // half-width katakana and 0xFE, 0xFF
        {"ab\x95", "ab\x95"},                     // a lead byte at the end
        {"^", "^"},
        {std::string("a\0b", 3), "ab"},
    };
    for (const Case& c : cases) EXPECT_EQ(CleanArchiveText(c.in), c.out) << c.in;

    // Wide strings are walked by UTF-16 unit: 0x815E is one character, not a lead byte and "^";
    // a unit whose low byte is a control character is no control character.
    const std::vector<std::pair<std::u16string, std::u16string>> wide = {
        {u"", u""},
        {u"a^mb\tc", u"abc"},
        {u"\r\n", u" "},
        {u"\u815Em\u0109\U00020BB7", u"\u815Em\u0109\U00020BB7"},
        {std::u16string(u"^\0m", 3), u"^m"},
    };
    for (const auto& [in, out] : wide) {
        const ArchiveString cleaned = CleanArchiveText(ArchiveString::Wide(in));
        EXPECT_TRUE(cleaned.IsWide() || in.empty());
        EXPECT_EQ(cleaned.Units(), out);
    }
}

// Values that straddle the reader's buffer are read whole, and the end of the file is found.
TEST(Archive, ReadsAFileThroughItsBuffer) {
    const auto path = std::filesystem::temp_directory_path() / "tolvane-archive-buffer.bin";
    {
        MemorySink sink;
        ArchiveWriter out(sink);
        out.WriteBytes(std::string(65535, 'x').data(), 65535);  // the next u32 straddles 64 KiB
        for (uint32_t i = 0; i < 100000; ++i) out.WriteU32(i);
        out.WriteString(std::string(300, 'y'));
        out.Flush();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(sink.bytes.data()),
                                                    static_cast<std::streamsize>(sink.bytes.size()));
    }
    {
        ArchiveReader in(path);
        EXPECT_EQ(in.Size(), 65535u + 400000u + 303u);
        in.Skip(65535);
        const ArchiveReader::Mark start = in.Here();
        for (uint32_t i = 0; i < 100000; ++i) ASSERT_EQ(in.ReadU32(), i);
        EXPECT_EQ(in.ReadString(), std::string(300, 'y'));
        EXPECT_EQ(in.Remaining(), 0u);
        EXPECT_THROW(in.ReadU8(), ArchiveError);
        // Back to a place long gone from the buffer, and to one still in it.
        in.Rewind(start);
        for (uint32_t i = 0; i < 100000; ++i) ASSERT_EQ(in.ReadU32(), i);
        const ArchiveReader::Mark string = in.Here();
        EXPECT_EQ(in.ReadString(), std::string(300, 'y'));
        in.Rewind(string);
        EXPECT_EQ(in.ReadString(), std::string(300, 'y'));
        EXPECT_EQ(in.Remaining(), 0u);
    }  // Windows removes no file that is still open
    std::filesystem::remove(path);
    EXPECT_THROW(ArchiveReader missing(path), ArchiveError);
}

// Comparing while writing finds the first differing byte, within a write or across the pieces
// in which the file is read, and a copy that is shorter or longer than the file.
TEST(Archive, ComparingSinkFindsTheFirstDifference) {
    testing::TempFolder folder;
    std::string file(200000, 'a');
    for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>('a' + i % 26);
    testing::WriteFile(folder.Path() / "f", file);
    auto compare = [&](std::string copy, size_t piece) {
        ComparingSink sink(folder.Path() / "f");
        for (size_t at = 0; at < copy.size(); at += piece)
            sink.Write(reinterpret_cast<const uint8_t*>(copy.data() + at), std::min(piece, copy.size() - at));
        EXPECT_EQ(sink.Written(), copy.size());
        EXPECT_EQ(sink.FileSize(), file.size());
        return sink.FirstDifference();
    };
    for (size_t piece : {size_t{7}, size_t{100000}, size_t{200000}}) {
        EXPECT_EQ(compare(file, piece), std::nullopt) << piece;
        std::string changed = file;
        changed[131073] = '!';
        EXPECT_EQ(compare(changed, piece), 131073u) << piece;
        EXPECT_EQ(compare(file.substr(0, 150000), piece), 150000u) << piece;
        EXPECT_EQ(compare(file + "z", piece), 200000u) << piece;
    }
    EXPECT_THROW(ComparingSink(folder.Path() / "missing"), ArchiveError);
}

}  // namespace
}  // namespace tolvane
