#include "formats/file_probes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/utf8_path.h"
#include "testsupport/jww_bytes.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::TempFolder;
using testing::WriteFile;

constexpr const char* kDataIdentification = "jw_cad(c)data.......";
constexpr const char* kSymbolIdentification = "jw_cad(c)sym........";

// A legacy header cut to the given size: the identification padded to 40 bytes, the two memo
// lines padded with NUL bytes to 32 each, then settings text.
std::string Legacy(const std::string& identification, const std::string& line1, const std::string& line2,
                   size_t size) {
    std::string bytes = identification + std::string(40 - identification.size(), '.');
    bytes += line1 + std::string(32 - line1.size(), '\0');
    bytes += line2 + std::string(32 - line2.size(), '\0');
    while (bytes.size() < size) bytes += "0,1,2,3,";
    return bytes.substr(0, size);
}

std::string Jww(uint32_t version, const std::string& memo, const char* signature = "JwwData.", bool wide = false) {
    Bytes b;
    b.Wide = wide;
    testing::HeaderValues values;
    values.Memo = memo;
    testing::AppendJwwHeader(b, version, values);
    b.Count(0).Count(0);
    std::string bytes(b.data.begin(), b.data.end());
    return bytes.replace(0, 8, signature);
}

std::string Jws(uint32_t version, size_t size = 456) {
    Bytes b;
    b.Raw("JwsData").Raw(std::string(193, '.')).U32(version).Zeros(248).Count(0).Count(0);
    return std::string(b.data.begin(), b.data.begin() + static_cast<long>(size));
}

// The class comes from the extension alone, compared in upper case.
TEST(FileProbes, ExtensionClasses) {
    struct Case {
        const char* Name;
        const char* Extension;
        ExtensionClass Class;
    };
    const Case cases[] = {
        {"a.jww", ".JWW", ExtensionClass::Jww},   {"a.JW$", ".JW$", ExtensionClass::Jww},
        {"a.b.Jws", ".JWS", ExtensionClass::Jws}, {"a.jwc", ".JWC", ExtensionClass::Jwc},
        {"a.JwK", ".JWK", ExtensionClass::Jwk},   {"a.bak", ".BAK", ExtensionClass::Backup},
        {"a.BK1", ".BK1", ExtensionClass::Backup}, {"a.bkup", ".BKUP", ExtensionClass::Backup},
        {"a.BK", ".BK", ExtensionClass::Backup},  {"a.BA", ".BA", ExtensionClass::Other},
        {"a.B", ".B", ExtensionClass::Other},     {"a.jwww", ".JWWW", ExtensionClass::Other},
        {"noext", "", ExtensionClass::Other},     {"a.", ".", ExtensionClass::Other},
        {"\x90\xdd\x8c\x76.jww", ".JWW", ExtensionClass::Jww},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UpperExtension(c.Name), c.Extension) << c.Name;
        EXPECT_EQ(ClassOfExtension(UpperExtension(c.Name)), c.Class) << c.Name;
    }
}

// The four filters of the list, without regard to letter case.
TEST(FileProbes, FileFilters) {
    struct Case {
        const char* Name;
        bool All, Jw, Jww, Jws;
    };
    const Case cases[] = {
        {"a.jww", true, true, true, false}, {"A.JWS", true, true, false, true}, {"a.Jwc", true, true, false, false},
        {"a.jwk", true, true, false, false}, {"a.jw$", true, true, false, false}, {"a.jw", true, false, false, false},
        {"a.jwwx", true, false, false, false}, {"a.bak", true, false, false, false}, {"jww", true, false, false, false},
        {"x.jws.jww", true, true, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesFileFilter(c.Name, 0), c.All) << c.Name;
        EXPECT_EQ(MatchesFileFilter(c.Name, 1), c.Jw) << c.Name;
        EXPECT_EQ(MatchesFileFilter(c.Name, 2), c.Jww) << c.Name;
        EXPECT_EQ(MatchesFileFilter(c.Name, 3), c.Jws) << c.Name;
        EXPECT_TRUE(MatchesFileFilter(c.Name, -1));
        EXPECT_TRUE(MatchesFileFilter(c.Name, 4));
    }
}

// The "Ver" and "図面メモ" columns by extension class and content: the legacy header lengths
// (JWC 800, JWK 400, legacy backups 800), backups holding a drawing, a legacy header or
// neither, and JWS, which has a version and no memo.
TEST(FileProbes, VersionAndMemoColumns) {
    TempFolder folder;
    const std::string nul32(32, '\0');
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Version;
        std::string Memo;
    };
    const Case cases[] = {
        {"a.jwc", Legacy(kDataIdentification, "line one", "line two", 800), "---", "line one line two"},
        {"a.jwc", Legacy(kDataIdentification, "line one", "line two", 799), "---", ""},
        {"a.jwc", "", "---", ""},
        {"a.JWK", Legacy(kSymbolIdentification, "sym", "bol", 400), "---", "sym bol"},
        {"a.jwk", Legacy(kSymbolIdentification, "sym", "bol", 399), "---", ""},
        // Padding spaces stay; NUL bytes, CR and LF go.
        {"a.jwk", Legacy(kSymbolIdentification, "ab  ", "\r\ncd", 400), "---", "ab   cd"},
        {"a.jwk", Legacy(kSymbolIdentification, "", "", 400), "---", " "},
        {"a.jwk", Legacy(kSymbolIdentification, "\x81\x1f", "", 400), "---", "\x81\x1f "},
        {"a.jww", Jww(600, "plan\r\n1F"), "600", "plan1F"},
        {"a.JW$", Jww(351, "old"), "351", "old"},
        {"a.jww", Jww(420, "no signature", "XXXXXXXX"), "420", "no signature"},
        {"a.jww", Jww(600, "cut").substr(0, 300), "", ""},
        {"a.jww", Jww(219, std::string("\0\0", 2)), "219", ""},
        {"a.jws", Jws(351), "351", ""},
        {"a.jws", Jws(700, 220), "700", ""},
        {"a.jws", Jws(700, 219), "", ""},
        {"a.jws", Jws(0xFFFFFFFFu), "-1", ""},
        {"a.bak", Jww(600, "backup"), "600", "backup"},
        {"a.BK1", Legacy(kDataIdentification, "legacy", "backup", 800), "---", "legacy backup"},
        {"a.bkup", Legacy(kDataIdentification, "short", "backup", 799), "", ""},
        {"a.bak", Legacy(kDataIdentification, "", "", 800), "---", " "},
        {"a.bak", Legacy(kSymbolIdentification, "no", "data", 800), "", ""},
        {"a.bak", Jws(351), "", ""},
        {"a.bak", Jww(600, "cut").substr(0, 300), "", ""},
        {"a.BA", Jww(600, "x"), "", ""},
        {"a.B", Jww(600, "x"), "", ""},
        {"noext", Jww(600, "x"), "", ""},
        {"a.txt", "hello", "", ""},
    };
    // A wide memo is read from the header alone and keeps its form.
    WriteFile(folder.Path() / "wide.jww", Jww(700, "plan\r\n1F", "JwwData.", true));
    EXPECT_EQ(FileListMemo(folder.Path() / "wide.jww"), ArchiveString::Wide(u"plan1F"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Name) + " of " + std::to_string(c.Bytes.size()) + " bytes");
        fs::remove_all(folder.Path() / "f");
        fs::create_directory(folder.Path() / "f");
        const fs::path file = folder.Path() / "f" / c.Name;
        WriteFile(file, c.Bytes);
        EXPECT_EQ(FileListVersion(file), c.Version);
        EXPECT_EQ(FileListMemo(file), c.Memo);
    }
    // Legacy files are not opened for their version; a missing drawing has neither column.
    EXPECT_EQ(FileListVersion(folder.Path() / "missing.JWC"), "---");
    EXPECT_EQ(FileListMemo(folder.Path() / "missing.jwc"), "");
    EXPECT_EQ(FileListVersion(folder.Path() / "missing.jww"), "");
    EXPECT_EQ(FileListVersion(folder.Path() / "missing.bak"), "");
    EXPECT_EQ(FileListVersion(folder.Path() / "missing.jws"), "");
}

// The legacy probes: the identification, and the memo lines byte for byte (NUL bytes kept).
TEST(FileProbes, LegacyHeaders) {
    TempFolder folder;
    const fs::path file = folder.Path() / "a.jwc";
    WriteFile(file, Legacy(kDataIdentification, "one", "two", 800));
    EXPECT_TRUE(ProbeLegacy(file));
    std::string line1, line2;
    ASSERT_TRUE(ReadJwcHeader(file, line1, line2));
    EXPECT_EQ(line1, "one" + std::string(29, '\0'));
    EXPECT_EQ(line2, "two" + std::string(29, '\0'));
    ASSERT_TRUE(ReadJwkHeader(file, line1, line2));
    EXPECT_EQ(line1.size(), 32u);

    WriteFile(file, Legacy(kDataIdentification, "one", "two", 20));
    EXPECT_TRUE(ProbeLegacy(file));
    EXPECT_FALSE(ReadJwkHeader(file, line1, line2));
    WriteFile(file, Legacy(kDataIdentification, "one", "two", 19));
    EXPECT_FALSE(ProbeLegacy(file));
    WriteFile(file, Legacy("JW_CAD(C)DATA.......", "one", "two", 800));
    EXPECT_FALSE(ProbeLegacy(file));
    EXPECT_FALSE(ProbeLegacy(folder.Path() / "missing.jwc"));
    EXPECT_FALSE(ReadJwcHeader(folder.Path() / "missing.jwc", line1, line2));
}

// Shown time: local time, seconds rounded down to even.
TEST(FileProbes, ModifiedTime) {
    // 2024-03-05 06:07:08 UTC; local seconds are the same as UTC seconds in every zone with
    // whole-minute offsets.
    const std::time_t instant = 1709618828;
    const auto at = [](std::time_t t) {
        return std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(t));
    };
    const std::tm local = *std::localtime(&instant);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y/%m/%d %H:%M:%S", &local);
    EXPECT_EQ(FileListTime(at(instant)), expected);
    EXPECT_EQ(FileListTime(at(instant + 1)), expected);
    EXPECT_EQ(FileListTime(at(instant) + std::chrono::milliseconds(1999)), expected);
    EXPECT_NE(FileListTime(at(instant + 2)), expected);
    EXPECT_EQ(FileListTime(at(instant - 1)).substr(0, 17), std::string(expected).substr(0, 17));
    EXPECT_EQ(FileListTime(at(instant - 1)).substr(17), "06");
    // Before 1970: the fraction is dropped toward the past.
    const std::string before = FileListTime(at(-1) + std::chrono::milliseconds(500));
    EXPECT_EQ(before.size(), 19u);
    EXPECT_EQ(before.substr(17), "58");
}

// Which entries the list shows, and the row it shows for a file.
TEST(FileProbes, FileListRows) {
    TempFolder folder;
    const fs::path drawing = folder.Path() / "plan.jww";
    WriteFile(drawing, Jww(600, "1F\r\n"));
    WriteFile(folder.Path() / ".hidden.jww", Jww(600, "x"));
    fs::create_directory(folder.Path() / "folder.jww");
    const fs::path readOnly = folder.Path() / "fixed.JWS";
    WriteFile(readOnly, Jws(420));
    fs::permissions(readOnly, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::time_t instant = 1709618829;
    fs::last_write_time(drawing, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(instant)));

    std::vector<std::string> listed;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.Path()))
        if (IsListedFile(entry)) listed.push_back(entry.path().filename().string());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"fixed.JWS", "plan.jww"}));

    const FileListRow row = MakeFileListRow(fs::directory_entry(drawing));
    EXPECT_EQ(row.Name, "plan.jww");
    EXPECT_EQ(row.Size, fs::file_size(drawing));
    EXPECT_EQ(row.Kind, ".JWW");
    EXPECT_EQ(row.Version, "600");
    EXPECT_EQ(row.Memo, "1F");
    EXPECT_EQ(row.Modified, FileListTime(fs::last_write_time(drawing)));
    EXPECT_EQ(row.Modified.substr(17), "08");
    EXPECT_EQ(row.Attributes, testing::kNewFileAttributes);

    const FileListRow fixed = MakeFileListRow(fs::directory_entry(readOnly));
    EXPECT_EQ(fixed.Kind, ".JWS");
    EXPECT_EQ(fixed.Version, "420");
    EXPECT_EQ(fixed.Memo, "");
    EXPECT_EQ(fixed.Size, 456u);
    EXPECT_EQ(fixed.Attributes, testing::kNewFileAttributes + "R ");
}

// The list's name order: case-blind ASCII, numbers by value, and a strict order throughout.
TEST(FileProbes, FileNameOrder) {
    const std::vector<std::string> sorted = {"a.jww", "B.jww", "f1.jww", "F2.jww", "f02.jww", "f10.jww", "f10a.jww",
                                             "f10b", "file", "file2", "x9y", "x0010y", "\xe5\x9b\xb3.jww"};
    for (size_t i = 0; i < sorted.size(); ++i) {
        for (size_t j = 0; j < sorted.size(); ++j)
            EXPECT_EQ(FileNameLess(sorted[i], sorted[j]), i < j) << sorted[i] << " / " << sorted[j];
    }
    // Names equal but for letter case still have an order, by their bytes.
    EXPECT_TRUE(FileNameLess("PLAN.jww", "plan.jww"));
    EXPECT_FALSE(FileNameLess("plan.jww", "PLAN.jww"));
}


// The legacy files of the corpus are listed with "---" and the memo of their first block.
TEST(FileProbes, LegacyCorpus) {
    const fs::path corpus = testing::CorpusFolder("jwk");
    if (corpus.empty()) GTEST_SKIP() << "no corpus";
    const std::pair<const char*, std::string> expected[] = {
        {"B-KIT.JWK", "\x89\x9f\x93\xfc\x81\x40\x8c\x9a\x8b\xef\x8f\x80\x94\xf5 "},
        {"DESK.JWK", " "},
        {"TEL_P.JWK", " "},
        {"\xe9\x81\xb8\xe6\x8a\x9e\xe6\x8b\xa1\xe5\xbc\xb5\xe5\xad\x90.jwk", std::string(65, ' ')},  // 選択拡張子
    };
    for (const auto& [name, memo] : expected) {
        const fs::path file = corpus / PathFromUtf8(name);
        ASSERT_TRUE(fs::exists(file)) << name;
        EXPECT_EQ(FileListVersion(file), "---") << name;
        EXPECT_EQ(FileListMemo(file), memo) << name;
    }
}

}  // namespace
}  // namespace tolvane
