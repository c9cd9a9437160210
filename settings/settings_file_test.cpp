#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <variant>

#include "settings/profile.h"
#include "testsupport/test_files.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tolvane {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

const std::filesystem::path kTestData = TOLVANE_SETTINGS_TESTDATA;

// The decimal integer that the whole text denotes, else 0.
TEST(SettingsFile, ParseInt) {
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0},          {"0", 0},           {"5", 5},           {"-1", -1},         {"+7", 7},
        {"007", 7},       {"30000", 30000},   {"abc", 0},         {"12a", 0},         {" 5", 0},
        {"5 ", 0},        {"-", 0},           {"+", 0},           {"--1", 0},         {"0x10", 0},
        {"1.5", 0},       {"\x82\x50", 0},    {"2147483647", 2147483647},             {"2147483648", 0},
        {"-2147483648", -2147483647 - 1},     {"-2147483649", 0}, {"99999999999999999999999", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseInt(text), value) << "\"" << text << "\"";
}

// Half-width and ideographic spaces and control characters go; double-byte characters stay
// whole, also when their trail byte looks like a space or a control character.
TEST(SettingsFile, StripBlanks) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {" a b ", "ab"},
        {"\t1\r\n", "1"},
        {"\x81\x40T\x81\x40", "T"},
        {"\x82\x50", "\x82\x50"},
        {"\x90\x20x", "\x90\x20x"},        // a pair whose trail byte is 0x20
        {"\x83\x09", "\x83\x09"},          // a pair whose trail byte is a tab
        {"a\x90", "a\x90"},                // a lead byte at the very end
        {"\xb1 \x7f", "\xb1\x7f"},         // half-width katakana and DEL stay
        {"\xe0\x40\xfd\x40", "\xe0\x40\xfd\x40"},
        {std::string("a\0b", 3), "ab"},
    };
    for (const auto& [text, stripped] : cases) EXPECT_EQ(StripBlanks(text), stripped) << text;
}

// The words that mean true, blanks removed and letters upper-cased; nothing else is true.
TEST(SettingsFile, ParseBoolAndBoolToText) {
    for (const char* word : {"T", "t", "tr", "TRU", "TRUE", "true", " True ", "1", "\x82\x50", "\x81\x9b", "ON", "on",
                             "oN", "\x90\x5e", "\x90\xb3", "\x81\x40TRUE\x81\x40", "T R U E"})
        EXPECT_TRUE(ParseBool(word)) << word;
    for (const char* word : {"", "YES", "0", "2", "TRUEX", "F", "FALSE", "OFF", "\x82\x51", "\x90\x5e\x90\x5e", "-1",
                             "\x82\x70"})  // full-width p, whose trail byte is a lower-case p
        EXPECT_FALSE(ParseBool(word)) << word;
    EXPECT_EQ(BoolToText(true), "1");
    EXPECT_EQ(BoolToText(false), "0");
}

// The state written in testdata/known_settings.set.
ConversionSettings KnownSettings() {
    ConversionSettings s;
    ResetConversionSettings(s);
    s.ColorTable[1] = 5;
    s.ColorTable[9] = 101;
    s.ColorTable[10] = 356;
    s.ColorTable[265] = 9;
    s.LineTypeTable[1] = 31;
    s.LineTypeTable[49] = 46;
    s.ConversionOptions[ChangeTextSettingColors] = 1;
    s.ConversionOptions[ChangeBlockColorsAndWidths] = 1;
    s.ConversionOptions[ChangeExistingWidths] = 1;
    s.WidthTable[1] = 50;
    s.WidthTable[2] = 0;
    s.WidthTable[265] = 30000;
    s.ConversionMode = ConversionModeKind::Combined;
    s.Rules[0] = {true, 1, 0, 101, 3, 20, 0, 0};
    s.Rules[2] = {false, 9, 48, 0, 46, -1, 0, 0};
    s.Rules[9] = {true, 264, 33, 0, 0, 0, 0, 0};
    return s;
}

void ExpectSameSettings(const ConversionSettings& a, const ConversionSettings& b) {
    for (int n = 1; n <= kSequenceLength; ++n) EXPECT_EQ(a.SequenceValue(n), b.SequenceValue(n)) << "C" << n;
    for (int n = 1; n <= kColorSlots; ++n)
        EXPECT_EQ(a.WidthTable[static_cast<size_t>(n)], b.WidthTable[static_cast<size_t>(n)]) << "W" << n;
    EXPECT_EQ(a.ConversionMode, b.ConversionMode);
    for (size_t r = 0; r < a.Rules.size(); ++r) {
        EXPECT_EQ(a.Rules[r].Enabled, b.Rules[r].Enabled) << "rule " << r + 1;
        EXPECT_EQ(a.Rules[r].SourceColorIndex, b.Rules[r].SourceColorIndex) << "rule " << r + 1;
        EXPECT_EQ(a.Rules[r].SourceLineTypeIndex, b.Rules[r].SourceLineTypeIndex) << "rule " << r + 1;
        EXPECT_EQ(a.Rules[r].TargetColor, b.Rules[r].TargetColor) << "rule " << r + 1;
        EXPECT_EQ(a.Rules[r].TargetLineType, b.Rules[r].TargetLineType) << "rule " << r + 1;
        EXPECT_EQ(a.Rules[r].TargetWidth, b.Rules[r].TargetWidth) << "rule " << r + 1;
    }
}

// A new file holds "JWW", "Set", "JWW1" with the keys in their fixed order, CR LF, exactly as
// the hand-written file; loading it back gives the same settings.
TEST(SettingsFile, SaveWritesTheKnownFileByteForByte) {
    const std::string golden = ReadFile(kTestData / "known_settings.set");
    ASSERT_FALSE(golden.empty());
    TempFolder folder;
    const std::string file = (folder.Path() / "known.set").string();
    EXPECT_TRUE(SaveConversionSettings(KnownSettings(), file));
    EXPECT_EQ(ReadFile(file), golden);

    ConversionSettings loaded;
    ResetConversionSettings(loaded);
    loaded.LastSettingsFile = "kept.set";
    EXPECT_TRUE(LoadConversionSettings(loaded, (kTestData / "known_settings.set").string()).empty());
    ExpectSameSettings(loaded, KnownSettings());
    EXPECT_EQ(loaded.VersionRaise, VersionRaiseLevel::To420);
    EXPECT_EQ(loaded.LastSettingsFile, "kept.set");

    // Saving the same settings again changes nothing and leaves no temporary file.
    EXPECT_TRUE(SaveConversionSettings(loaded, file));
    EXPECT_EQ(ReadFile(file), golden);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

// Saving into a file that holds other sections (a window-state file, say) keeps them and
// their bytes; existing conversion keys are replaced where they stand.
TEST(SettingsFile, SaveOverAFileWithOtherSectionsKeepsThem) {
    const std::string head = "; window state\r\n[Window]\r\nLeft=10\r\nTop = 20\r\n\r\n";
    const std::string tail = "\r\n[Folders]\r\nLast=C:\\Drawings\\\x95\xbd\x96\xca\\\r\n";
    TempFolder folder;
    const std::string file = (folder.Path() / "tolvane.ini").string();
    WriteFile(file, head + "[JWW]\r\nC5 = 7\r\nExtra=keep me\r\n" + tail);

    ConversionSettings s;
    ResetConversionSettings(s);
    s.ColorTable[5] = 8;
    ASSERT_TRUE(SaveConversionSettings(s, file));

    std::string jww = "[JWW]\r\nC5=8\r\nExtra=keep me\r\n";
    for (int n = 1; n <= kSequenceLength; ++n) {
        if (n != 5) jww += "C" + std::to_string(n) + "=0\r\n";
    }
    for (int n = 1; n <= kColorSlots; ++n) jww += "W" + std::to_string(n) + "=-1\r\n";
    std::string rules = "[JWW1]\r\n";
    for (int r = 1; r <= kRuleCount; ++r) {
        for (const char* key : {"FL", "CN", "LN", "CL", "LT"}) rules += key + std::to_string(r) + "=0\r\n";
        rules += "WD" + std::to_string(r) + "=-1\r\n";
    }
    EXPECT_EQ(ReadFile(file), head + jww + tail + "[Set]\r\nCVNO=0\r\n" + rules);

    ConversionSettings loaded;
    EXPECT_TRUE(LoadConversionSettings(loaded, file).empty());
    ExpectSameSettings(loaded, s);
    EXPECT_EQ(ReadProfileValue("Window", "Top", 22, file).second, "20");
}

// A file that cannot be read as a file is not replaced.
TEST(SettingsFile, SaveRefusesWhatItCannotRead) {
    TempFolder folder;
    const std::filesystem::path path = folder.Path() / "folder.set";
    std::filesystem::create_directory(path);
    ConversionSettings s;
    ResetConversionSettings(s);
    EXPECT_FALSE(SaveConversionSettings(s, path.string()));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(SaveConversionSettings(s, (folder.Path() / "missing" / "x.set").string()));
}

ConversionSettings LoadText(const std::string& text, std::vector<std::string>* refused = nullptr) {
    TempFolder folder;
    const std::filesystem::path file = folder.Path() / "edited.set";
    WriteFile(file, text);
    ConversionSettings s;
    // Whatever was there before loading is replaced.
    for (int n = 1; n <= kSequenceLength; ++n) s.SequenceValue(n) = 3;
    s.WidthTable.fill(3);
    s.ConversionMode = ConversionModeKind::Combined;
    s.Rules.fill(CombinationRule{true, 3, 3, 3, 3, 3, 3, 3});
    std::vector<std::string> keys = LoadConversionSettings(s, file.string());
    if (refused) *refused = keys;
    return s;
}

// Hand-edited values: lenient where the program always was, refused where a value would not
// fit a pen field of a drawing.
TEST(SettingsFile, LoadingHandEditedValues) {
    std::vector<std::string> refused;
    const ConversionSettings s = LoadText(
        "[JWW]\r\n"
        "C5=abc\r\nW5=abc\r\nW6=\r\nW0=100\r\nC0=7\r\n"
        "C317=2\r\nC322=-3\r\n"
        "C6=70000\r\nC7=10\r\nC8=-1\r\nC9=356\r\nc10=3\r\nC11=\"7\"\r\n"
        "C270=20\r\nC271=46\r\nC314=63\r\n"
        "W7=30001\r\nW8=-2\r\nW9=000000000000000000001234\r\nW10=30000\r\n"
        "[Set]\r\nCVNO=5\r\n"
        "[JWW1]\r\n"
        "FL3=TRUE\r\nFL4=yes\r\nFL5=\x82\x50\r\n"
        "CN2=300\r\nLN2=-4\r\nCL2=357\r\nLT2=10\r\nWD2=-5\r\n"
        "CL4=356\r\nLT4=46\r\nWD4=30000\r\n",
        &refused);
    EXPECT_EQ(s.ColorTable[5], 0);      // abc: keep
    EXPECT_EQ(s.WidthTable[5], 0);      // abc: base width
    EXPECT_EQ(s.WidthTable[6], -1);     // empty: missing
    EXPECT_EQ(s.WidthTable[0], -1);     // W0 means nothing
    EXPECT_EQ(s.ColorTable[0], 0);      // nor does C0
    EXPECT_EQ(s.ConversionOptions[ChangeSolidColors], 2);
    EXPECT_FALSE(IsOptionOn(s, ChangeSolidColors));
    EXPECT_EQ(s.ConversionOptions[ChangeExistingWidths], -3);
    EXPECT_EQ(s.ColorTable[6], 0);      // refused
    EXPECT_EQ(s.ColorTable[7], 0);      // refused
    EXPECT_EQ(s.ColorTable[8], 0);      // refused
    EXPECT_EQ(s.ColorTable[9], 356);
    EXPECT_EQ(s.ColorTable[10], 3);
    EXPECT_EQ(s.ColorTable[11], 7);
    EXPECT_EQ(s.LineTypeTable[5], 0);   // C270 refused
    EXPECT_EQ(s.LineTypeTable[6], 46);  // a valid target without a slot
    EXPECT_EQ(s.LineTypeTable[49], 0);  // C314 refused
    EXPECT_EQ(s.WidthTable[7], -1);     // refused
    EXPECT_EQ(s.WidthTable[8], -1);     // refused
    EXPECT_EQ(s.WidthTable[9], 1);      // 21 characters are seen: twenty zeros and the 1
    EXPECT_EQ(s.WidthTable[10], 30000);
    EXPECT_EQ(s.ConversionMode, static_cast<ConversionModeKind>(5));
    EXPECT_TRUE(s.Rules[2].Enabled);
    EXPECT_FALSE(s.Rules[3].Enabled);
    EXPECT_TRUE(s.Rules[4].Enabled);
    EXPECT_FALSE(s.Rules[0].Enabled);
    EXPECT_EQ(s.Rules[1].SourceColorIndex, 300);
    EXPECT_EQ(s.Rules[1].SourceLineTypeIndex, -4);
    EXPECT_EQ(s.Rules[1].TargetColor, 0);
    EXPECT_EQ(s.Rules[1].TargetLineType, 0);
    EXPECT_EQ(s.Rules[1].TargetWidth, -1);
    EXPECT_EQ(s.Rules[3].TargetColor, 356);
    EXPECT_EQ(s.Rules[3].TargetLineType, 46);
    EXPECT_EQ(s.Rules[3].TargetWidth, 30000);
    EXPECT_EQ(refused, (std::vector<std::string>{"C6", "C7", "C8", "C270", "C314", "W7", "W8", "CL2", "LT2", "WD2"}));
    EXPECT_EQ(s.VersionRaise, VersionRaiseLevel::To420);
}

// Missing keys give the defaults; a missing file gives all of them.
TEST(SettingsFile, LoadingAMissingFileGivesTheDefaults) {
    ConversionSettings expected;
    ResetConversionSettings(expected);
    std::vector<std::string> refused;
    const ConversionSettings s = LoadText("", &refused);
    ExpectSameSettings(s, expected);
    EXPECT_TRUE(refused.empty());
    EXPECT_EQ(s.VersionRaise, VersionRaiseLevel::None);

    ConversionSettings missing;
    EXPECT_TRUE(LoadConversionSettings(missing, "/nonexistent/folder/none.set").empty());
    ExpectSameSettings(missing, expected);
}

// A file edited on another system: LF-only lines, blank lines, comments, odd spacing and
// letter case, a second section of the same name (not read) all load as Windows reads them.
TEST(SettingsFile, LoadingAnEditedFileAsWindowsReadsIt) {
    const ConversionSettings s = LoadText(
        "; saved by hand\n"
        "\n"
        "   [JWW]   \n"
        "C1 = 5\n"
        "\tC2\t=\t7  \n"
        ";C3=9\n"
        "C4 =\n"
        "C5=\n"
        "c5=9\n"
        "C265= 356\n"
        "  W1 =  \"50\"\n"
        "w2=0\n"
        "\n"
        "[set]\n"
        "cvno=1\n"
        "[Jww1]\n"
        "fl1 = true\n"
        "CN1= 1\n"
        "Cl1 =101\r\n"
        "[JWW]\n"
        "C6=8\n");
    EXPECT_EQ(s.ColorTable[1], 5);
    EXPECT_EQ(s.ColorTable[2], 7);
    EXPECT_EQ(s.ColorTable[3], 0);
    EXPECT_EQ(s.ColorTable[4], 0);
    EXPECT_EQ(s.ColorTable[5], 0);  // the first line of a name counts, empty or not
    EXPECT_EQ(s.ColorTable[265], 356);
    EXPECT_EQ(s.ColorTable[6], 0);
    EXPECT_EQ(s.WidthTable[1], 50);
    EXPECT_EQ(s.WidthTable[2], 0);
    EXPECT_EQ(s.WidthTable[3], -1);
    EXPECT_EQ(s.ConversionMode, ConversionModeKind::Combined);
    EXPECT_TRUE(s.Rules[0].Enabled);
    EXPECT_EQ(s.Rules[0].SourceColorIndex, 1);
    EXPECT_EQ(s.Rules[0].TargetColor, 101);
    EXPECT_EQ(s.Rules[0].TargetWidth, -1);
    EXPECT_FALSE(s.Rules[1].Enabled);
    EXPECT_EQ(s.VersionRaise, VersionRaiseLevel::To420);
}

// A file chosen as a settings file is refused, with its own reason, unless it is one; a
// settings file reads as the main menu reads it, with the keys it refuses and those that are
// not integers named.
TEST(SettingsFile, OpenSettingsFileRefusesWhatIsNotOne) {
    TempFolder folder;
    const auto problemOf = [](const std::filesystem::path& file) -> std::optional<SettingsFileProblem> {
        const auto opened = OpenSettingsFile(file);
        if (const auto* error = std::get_if<SettingsFileError>(&opened)) return error->Problem;
        return std::nullopt;
    };
    const auto write = [&](const char* name, const std::string& bytes) {
        WriteFile(folder.Path() / name, bytes);
        return folder.Path() / name;
    };
    using P = SettingsFileProblem;
    EXPECT_EQ(problemOf(folder.Path() / "none.set"), P::Missing);
    EXPECT_EQ(problemOf(folder.Path()), P::Folder);
    EXPECT_EQ(problemOf(write("empty.set", "")), P::Empty);
    EXPECT_EQ(problemOf(write("blank.set", " \r\n\r\n")), P::Empty);
    EXPECT_EQ(problemOf(write("plan.set", std::string("JwwData.\x2c\x01\0\0", 12))), P::Drawing);
    EXPECT_EQ(problemOf(write("utf16.set", std::string("\xff\xfe[\0J\0W\0W\0]\0", 12))), P::Utf16);
    EXPECT_EQ(problemOf(write("utf16be.set", std::string("\0[\0J\0W\0W\0]\0\r\0\n", 14))), P::Utf16);
    EXPECT_EQ(problemOf(write("binary.set", std::string("[JWW]\r\nC1=5\r\n\x01\x02\0\xff", 17))), P::NotText);
    EXPECT_EQ(problemOf(write("other.ini", "[Form]\r\nF1_X=5\r\n[JWW]\r\nX=1\r\n")), P::NoSettings);
    EXPECT_EQ(problemOf(write("large.set", "[JWW]\r\nC1=5\r\n" + std::string(kMaxSettingsFileBytes, '\n'))),
              P::TooLarge);
#ifndef _WIN32
    EXPECT_EQ(problemOf("/dev/null"), P::Device);
    EXPECT_EQ(problemOf("/dev/zero"), P::Device);
    const std::filesystem::path fifo = folder.Path() / "fifo.set";
    if (mkfifo(fifo.c_str(), 0600) == 0) {
        EXPECT_EQ(problemOf(fifo), P::Fifo);
    }
#endif

    const auto opened = OpenSettingsFile(write("edited.set", "[JWW]\r\nC1=5\r\nC2=107abc\r\nC3=70000\r\nW1=1e2\r\n"
                                                             "[JWW1]\r\nFL1=TRUE\r\nCL1=101\r\n"));
    ASSERT_TRUE(std::holds_alternative<OpenedSettings>(opened));
    const OpenedSettings& settings = std::get<OpenedSettings>(opened);
    EXPECT_EQ(settings.Settings.ColorTable[1], 5);
    EXPECT_EQ(settings.Settings.ColorTable[3], 0);
    EXPECT_EQ(settings.RefusedKeys, std::vector<std::string>{"C3"});
    EXPECT_EQ(settings.Keys.NotIntegers, (std::vector<std::string>{"C2", "W1"}));
    EXPECT_TRUE(settings.Settings.Rules[0].Enabled);
    EXPECT_EQ(settings.Settings.VersionRaise, VersionRaiseLevel::To420);
}

}  // namespace
}  // namespace tolvane
