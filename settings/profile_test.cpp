#include "settings/profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testsupport/test_files.h"

namespace tolvane {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

size_t EntriesIn(const std::filesystem::path& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

// Reading as GetPrivateProfileStringA does: case-insensitive names, trimmed blanks, one pair
// of quotes removed, the value cut to the buffer, the first key of the first section.
TEST(Profile, GetReadsAsTheWindowsProfileFunctions) {
    const ProfileDocument document = ProfileDocument::Parse(
        "Orphan=before any section\r\n"
        "; a comment line\r\n"
        "  [Main]   \r\n"
        "Plain=abc\r\n"
        "  Spaced \t=  a b  \t\r\n"
        "Double=\"quoted\"\r\n"
        "Single='quoted'\r\n"
        "Mixed=\"quoted'\r\n"
        "Lone=\"\r\n"
        "Inner=a \"b\" c\r\n"
        "Long=1234567890\r\n"
        "Empty=\r\n"
        "Blank=   \r\n"
        "Twice=first\r\n"
        "Twice=second\r\n"
        "EmptyFirst=\r\n"
        "EmptyFirst=later\r\n"
        ";Commented=yes\r\n"
        "NoEquals\r\n"
        "=no name\r\n"
        "Sjis=\x95\xbd\x96\xca\x90\x7d\r\n"
        "\x83\x74=katakana fu\r\n"
        "\r\n"
        "[Other]\r\n"
        "Plain=other\r\n"
        "[MAIN]\r\n"
        "OnlyInSecond=unseen\n");
    struct Case {
        const char* section;
        const char* key;
        size_t buffer;
        bool present;
        std::string value;
    };
    const Case cases[] = {
        {"Main", "Plain", 22, true, "abc"},
        {"mAIN", "pLAIN", 22, true, "abc"},
        {"Main", "Spaced", 22, true, "a b"},
        {"Main", "Double", 22, true, "quoted"},
        {"Main", "Single", 22, true, "quoted"},
        {"Main", "Mixed", 22, true, "\"quoted'"},
        {"Main", "Lone", 22, true, "\""},
        {"Main", "Inner", 22, true, "a \"b\" c"},
        {"Main", "Long", 22, true, "1234567890"},
        {"Main", "Long", 5, true, "1234"},
        {"Main", "Long", 1, false, ""},
        {"Main", "Long", 0, false, ""},
        {"Main", "Empty", 22, false, ""},
        {"Main", "Blank", 22, false, ""},
        {"Main", "Twice", 22, true, "first"},
        {"Main", "EmptyFirst", 22, false, ""},
        {"Main", "Commented", 22, false, ""},
        {"Main", ";Commented", 22, false, ""},
        {"Main", "NoEquals", 22, false, ""},
        {"Main", "Orphan", 22, false, ""},
        {"Main", "Sjis", 22, true, "\x95\xbd\x96\xca\x90\x7d"},
        {"Main", "\x83\x74", 22, true, "katakana fu"},
        {"Main", "\x83\x54", 22, false, ""},  // サ is not フ, although 0x54 is 't' upper-cased
        {"Other", "Plain", 22, true, "other"},
        {"Main", "OnlyInSecond", 22, false, ""},
        {"Missing", "Plain", 22, false, ""},
    };
    for (const Case& c : cases) {
        const auto [present, value] = document.Get(c.section, c.key, c.buffer);
        EXPECT_EQ(present, c.present) << c.section << "/" << c.key << " buffer " << c.buffer;
        EXPECT_EQ(value, c.value) << c.section << "/" << c.key << " buffer " << c.buffer;
    }
}

// Writing as WritePrivateProfileStringA does; every other line keeps its bytes, new lines end
// with CR LF, an LF-only file keeps its LF lines.
TEST(Profile, SetChangesOnlyTheKeyItWrites) {
    struct Case {
        const char* what;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const Case cases[] = {
        {"new document", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"replace in place", "[S]\r\nA=1\r\n  k = old \r\nB=2\r\n", "S", "k", "new", "[S]\r\nA=1\r\nk=new\r\nB=2\r\n"},
        {"names match without case, the file's spelling stays", "[s]\r\nKey=1\r\n", "S", "KEY", "2",
         "[s]\r\nKey=2\r\n"},
        {"added at the end of its section, before the blank line", "[S]\r\nA=1\r\n\r\n[T]\r\nB=2\r\n", "S", "C", "3",
         "[S]\r\nA=1\r\nC=3\r\n\r\n[T]\r\nB=2\r\n"},
        {"added to a section that is last", "[T]\r\nB=2\r\n[S]\r\nA=1\r\n", "S", "C", "3",
         "[T]\r\nB=2\r\n[S]\r\nA=1\r\nC=3\r\n"},
        {"new section after a last line without line end", "[T]\r\nB=2", "S", "C", "3",
         "[T]\r\nB=2\r\n[S]\r\nC=3\r\n"},
        {"section header without line end", "[S]", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"LF-only file, new key", "[T]\nB=2\n", "T", "C", "3", "[T]\nB=2\nC=3\r\n"},
        {"LF-only file, replaced key", "[T]\nB=2\nC=4\n", "T", "B", "5", "[T]\nB=5\nC=4\n"},
        {"first of two keys replaced", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "9", "[S]\r\nk=9\r\nk=2\r\n"},
        {"first of two sections", "[S]\r\nA=1\r\n[T]\r\n[S]\r\nB=2\r\n", "S", "C", "3",
         "[S]\r\nA=1\r\nC=3\r\n[T]\r\n[S]\r\nB=2\r\n"},
        {"comments stay", "; c\r\n[S]\r\n; note\r\nA=1\r\n", "S", "B", "2", "; c\r\n[S]\r\n; note\r\nA=1\r\nB=2\r\n"},
        {"a key before the first section is not the section's", "k=1\r\n[S]\r\n", "S", "k", "2",
         "k=1\r\n[S]\r\nk=2\r\n"},
        {"empty value", "[S]\r\nk=1\r\n", "S", "k", "", "[S]\r\nk=\r\n"},
        {"Shift-JIS bytes", "", "S", "k", "\x95\xbd\x96\xca", "[S]\r\nk=\x95\xbd\x96\xca\r\n"},
    };
    for (const Case& c : cases) {
        ProfileDocument document = ProfileDocument::Parse(c.before);
        EXPECT_TRUE(document.Set(c.section, c.key, c.value)) << c.what;
        EXPECT_EQ(document.Bytes(), c.after) << c.what;
        EXPECT_EQ(document.Get(c.section, c.key, 100).second, c.value) << c.what;
    }
}

// Many keys written in one pass end as they would one Set after another: new keys in their
// sections, new sections in the order of their first key, a key given twice with its last
// value, a refused entry left out.
TEST(Profile, SetAllWritesAsOneSetAfterAnother) {
    const std::vector<ProfileDocument::Entry> entries = {
        {"S", "a", "1"}, {"New", "x", "1"}, {"s", "B", "2"}, {"Other", "y", "2"}, {"S", "A", "3"},
        {"New", "z", "3"}, {"S", "bad=key", "4"}, {" S ", " c ", "5"}, {"T", "k", "6"},
    };
    const std::string documents[] = {
        "",
        "[S]\r\nb=old\r\n\r\n\r\n[T]\r\nk=old",
        "; c\n[s]\n  A = 0\n; note\n\n[T]\n[S]\nc=9\n",
        "k=0\r\n[T]\r\n\r\n[S]",
    };
    for (const std::string& before : documents) {
        ProfileDocument oneByOne = ProfileDocument::Parse(before);
        bool all = true;
        for (const ProfileDocument::Entry& e : entries) all = oneByOne.Set(e.Section, e.Key, e.Value) && all;
        ProfileDocument together = ProfileDocument::Parse(before);
        EXPECT_EQ(together.SetAll(entries), all) << before;
        EXPECT_FALSE(all);
        EXPECT_EQ(together.Bytes(), oneByOne.Bytes()) << before;
    }
}

// Names and values that would break the line structure are refused and change nothing.
TEST(Profile, SetRefusesWhatWouldBreakTheFile) {
    const std::string before = "[S]\r\nk=1\r\n";
    const std::tuple<const char*, std::string, std::string, std::string> cases[] = {
        {"line end in the value", "S", "k", "1\r\n[Evil]"},
        {"LF in the value", "S", "k", "1\nX=2"},
        {"equals sign in the key", "S", "a=b", "1"},
        {"bracket in the section", "S]x", "k", "1"},
        {"empty key", "S", " ", "1"},
        {"empty section", "", "k", "1"},
        {"comment as key", "S", ";k", "1"},
    };
    for (const auto& [what, section, key, value] : cases) {
        ProfileDocument document = ProfileDocument::Parse(before);
        EXPECT_FALSE(document.Set(section, key, value)) << what;
        EXPECT_EQ(document.Bytes(), before) << what;
    }
}

// Whatever the bytes, a document that is not written to gives them back unchanged.
TEST(Profile, ParseAndBytesKeepOddContent) {
    const std::string odd[] = {"", "\r\n", "no end", "a\r\r\nb\n\nc", std::string("[S]\r\nk=\0x\r\n", 11),
                               "\xEF\xBB\xBF[S]\r\n", "  \t\n;\n[\n]\n"};
    for (const std::string& bytes : odd) EXPECT_EQ(ProfileDocument::Parse(bytes).Bytes(), bytes);
}

// One key per file access: the file is created, read back, changed in place; a save leaves no
// temporary file behind and fails cleanly where it cannot write.
TEST(Profile, ReadAndWriteProfileValueOnFiles) {
    TempFolder folder;
    const std::string file = (folder.Path() / "tolvane.ini").string();
    EXPECT_EQ(ReadProfileValue("S", "k", 22, file), std::make_pair(false, std::string()));

    EXPECT_TRUE(WriteProfileValue("Window", "Left", "10", file));
    EXPECT_TRUE(WriteProfileValue("Window", "Top", "20", file));
    EXPECT_TRUE(WriteProfileValue("Window", "Left", "-5", file));
    EXPECT_EQ(ReadFile(file), "[Window]\r\nLeft=-5\r\nTop=20\r\n");
    EXPECT_EQ(ReadProfileValue("window", "TOP", 22, file), std::make_pair(true, std::string("20")));
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);

    // A folder that does not exist cannot take the file.
    const std::string nowhere = (folder.Path() / "missing" / "x.ini").string();
    EXPECT_FALSE(WriteProfileValue("S", "k", "v", nowhere));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "missing"));

    // A folder in place of the file is neither read as empty nor replaced.
    const std::filesystem::path folderAsFile = folder.Path() / "settings.set";
    std::filesystem::create_directory(folderAsFile);
    WriteFile(folderAsFile / "inside.txt", std::string("keep"));
    EXPECT_FALSE(WriteProfileValue("S", "k", "v", folderAsFile.string()));
    EXPECT_EQ(ReadFile(folderAsFile / "inside.txt"), "keep");
    EXPECT_EQ(EntriesIn(folder.Path()), 2u);
}

// The file replaced by a save keeps its permissions; a link is followed, not replaced.
TEST(Profile, SaveReplacesTheFileBehindALink) {
    TempFolder folder;
    const std::filesystem::path real = folder.Path() / "real.ini";
    const std::filesystem::path link = folder.Path() / "link.ini";
    WriteFile(real, std::string("[S]\nk=1\n"));
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::error_code error;
    std::filesystem::create_symlink(real, link, error);
    if (error) GTEST_SKIP() << "no symbolic links here";
    EXPECT_TRUE(WriteProfileValue("S", "k", "2", link.string()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[S]\nk=2\n");
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(EntriesIn(folder.Path()), 2u);
}

}  // namespace
}  // namespace tolvane
