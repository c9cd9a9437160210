#include "conversion/app_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32

// The program's own folder when it is writable, else the user's application-data folders.
TEST(AppPaths, ProgramFolderElseApplicationData) {
    testing::TempFolder root;
    const fs::path roaming = root.Path() / L"ローミング", local = root.Path() / L"ローカル";
    ASSERT_EQ(_wputenv_s(L"APPDATA", roaming.c_str()), 0);
    ASSERT_EQ(_wputenv_s(L"LOCALAPPDATA", local.c_str()), 0);

    const AppFolders own = AppFoldersFor(root.Path());
    EXPECT_EQ(own.StateFile, root.Path() / L"tolvane.ini");
    EXPECT_EQ(own.ImageFolder, root.Path() / L"TEMP" / L"");
    EXPECT_TRUE(fs::is_empty(root.Path()));  // the probe file is gone

    const AppFolders user = AppFoldersFor(root.Path() / L"missing");
    EXPECT_EQ(user.StateFile, roaming / L"Tolvane" / L"tolvane.ini");
    EXPECT_EQ(user.ImageFolder, local / L"Tolvane" / L"TEMP" / L"");

    // The test program's folder is writable.
    EXPECT_EQ(WindowStateFilePath().filename(), L"tolvane.ini");
    EXPECT_NE(WindowStateFilePath().parent_path(), roaming / L"Tolvane");
}

#else

TEST(AppPaths, FromTheXdgFolders) {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
        const char* value = std::getenv(name);
        const std::string previous = value ? value : "";
        ASSERT_EQ(setenv(name, "/set", 1), 0);
        EXPECT_EQ(std::string(name) == "XDG_CONFIG_HOME" ? WindowStateFilePath() : ImageFolderPath(),
                  std::string(name) == "XDG_CONFIG_HOME" ? fs::path("/set/tolvane/tolvane.ini")
                                                         : fs::path("/set/tolvane/TEMP/"));
        if (value) setenv(name, previous.c_str(), 1);
        else unsetenv(name);
    }
}

#endif

}  // namespace
}  // namespace tolvane
