#include "formats/file_attributes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/file_probes.h"
#include "formats/utf8_path.h"
#include "testsupport/test_files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteFile;

#ifdef _WIN32

// The list hides by the hidden and system attributes, whatever the name; the column shows the
// archive and read-only attributes.
TEST(FileAttributes, FromTheWindowsAttributes) {
    TempFolder folder;
    struct Case {
        const char* name;
        DWORD attributes;
        bool hidden;
        const char* text;
    };
    const Case cases[] = {
        {"plain.jww", FILE_ATTRIBUTE_NORMAL, false, ""},
        {"archived.jww", FILE_ATTRIBUTE_ARCHIVE, false, "A "},
        {"fixed.jww", FILE_ATTRIBUTE_READONLY, false, "R "},
        {"both.jww", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY, false, "A R "},
        {"hidden.jww", FILE_ATTRIBUTE_HIDDEN, true, ""},
        {"system.jww", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE, true, "A "},
    };
    for (const Case& c : cases) {
        const fs::path file = folder.Path() / c.name;
        WriteFile(file, std::string("x"));
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), c.attributes)) << c.name;
        // Wine reports the archive attribute on every file, whatever was set.
        const bool archiveKept = (GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_ARCHIVE) != 0;
        const std::string expected =
            archiveKept && !(c.attributes & FILE_ATTRIBUTE_ARCHIVE) ? std::string("A ") + c.text : c.text;
        EXPECT_EQ(IsHiddenEntry(file), c.hidden) << c.name;
        EXPECT_EQ(AttributesText(file), expected) << c.name;
        EXPECT_EQ(IsListedFile(fs::directory_entry(file)), !c.hidden) << c.name;
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can be removed
    }
}

#else

TEST(FileAttributes, FromTheNameAndThePermissions) {
    TempFolder folder;
    const fs::path dotted = folder.Path() / ".dotted.jww", plain = folder.Path() / "plain.jww";
    WriteFile(dotted, std::string("x"));
    WriteFile(plain, std::string("x"));
    EXPECT_TRUE(IsHiddenEntry(dotted));
    EXPECT_FALSE(IsHiddenEntry(plain));
    EXPECT_EQ(AttributesText(plain), "");
    fs::permissions(plain, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(AttributesText(plain), "R ");
    EXPECT_EQ(AttributesText(folder.Path() / "missing"), "");
}

#endif

// Japanese names are found under the name they were written with, and listed in UTF-8.
TEST(FileAttributes, JapaneseNamesRoundTrip) {
    TempFolder folder;
    const std::string name = "平面図-１階.jww";
    WriteFile(folder.Path() / PathFromUtf8(name), std::string("JwwData."));
    ASSERT_TRUE(fs::exists(PathFromUtf8(Utf8FromPath(folder.Path()) + "/" + name)));
    std::vector<std::string> listed;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.Path()))
        listed.push_back(MakeFileListRow(entry).Name);
    EXPECT_EQ(listed, std::vector<std::string>{name});
}

}  // namespace
}  // namespace tolvane
