#include "conversion/app_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", "/config", 1), 0);
    ASSERT_EQ(setenv("XDG_CACHE_HOME", "/cache", 1), 0);
    EXPECT_EQ(WindowStateFilePath(), fs::path("/config/tolvane/tolvane.ini"));
    EXPECT_EQ(ImageFolderPath(), fs::path("/cache/tolvane/TEMP/"));
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_CACHE_HOME");
}

#endif

}  // namespace
}  // namespace tolvane
