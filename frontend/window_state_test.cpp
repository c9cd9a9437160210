#include "frontend/window_state.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "settings/profile.h"

namespace tolvane {
namespace {

// Reading: present keys replace the defaults, missing and empty ones keep them, numbers are
// lenient (not wholly an integer reads as 0), paths are read whole.
TEST(WindowStateFile, ReadsPresentKeysLeniently) {
    const std::string longPath = "/" + std::string(700, 'd') + "/";
    const ProfileDocument file = ProfileDocument::Parse(
        "[Form]\r\nF1_X=10\r\nF1_W=abc\r\nF1_H=\r\nF3_Y=-5\r\n[Comp]\r\nF1S2=12px\r\nF1S3=90\r\n"
        "[Set]\r\nFLD1=" + longPath + "\r\nFTYP=7\r\nPREVIEW=0\r\n");
    WindowState state = DefaultWindowState("/home/user/");
    ReadWindowState(file, state);
    EXPECT_EQ(state.MainLeft, 10);
    EXPECT_EQ(state.MainTop, 107);
    EXPECT_EQ(state.MainWidth, 0);
    EXPECT_EQ(state.MainHeight, 478);
    EXPECT_EQ(state.DialogLeft, 192);
    EXPECT_EQ(state.DialogTop, -5);
    EXPECT_EQ(state.FolderPanelWidth, 160);
    EXPECT_EQ(state.ColumnWidths, (std::array<int, 7>{64, 64, 0, 90, 64, 64, 64}));
    EXPECT_EQ(state.SearchFolder, longPath);
    EXPECT_EQ(state.DestFolder, "");
    EXPECT_EQ(state.FilterIndex, 7);
    EXPECT_FALSE(state.PreviewVisible);
    EXPECT_TRUE(state.MainBoundsKept);
    EXPECT_FALSE(state.MainMaximized);
    EXPECT_TRUE(DefaultWindowState("/home/user/").PreviewVisible);
    WindowState bare = DefaultWindowState("/home/user/");
    ReadWindowState(ProfileDocument::Parse("[Form]\r\nF3_X=1\r\nF1_MAX=1\r\n"), bare);
    EXPECT_FALSE(bare.MainBoundsKept);
    EXPECT_TRUE(bare.MainMaximized);
}

// Without kept bounds the window takes the size its content asks for, within the work area,
// centred on it.
TEST(WindowStateFile, FirstStartFrame) {
    EXPECT_EQ(FirstStartFrame(1100, 640, {0, 0, 1280, 900}), (ScreenRect{90, 130, 1100, 640}));
    EXPECT_EQ(FirstStartFrame(1500, 640, {0, 24, 1280, 876}), (ScreenRect{0, 142, 1280, 640}));
    EXPECT_EQ(FirstStartFrame(900, 700, {1920, 0, 800, 600}), (ScreenRect{1920, 0, 800, 600}));
}

// Writing: every key in its order; a path with a line break is not written into the file.
TEST(WindowStateFile, WritesEveryKeyInOrder) {
    ProfileDocument file;
    WindowState state = DefaultWindowState("/home/user/");
    state.DestFolder = "/bad\nfolder/";
    WriteWindowState(file, state);
    EXPECT_EQ(file.Bytes(),
              "[Form]\r\nF1_X=192\r\nF1_Y=107\r\nF1_W=696\r\nF1_H=478\r\nF3_X=192\r\nF3_Y=107\r\nF1_MAX=0\r\n"
              "[Comp]\r\nF1P1=160\r\nF1S0=64\r\nF1S1=64\r\nF1S2=64\r\nF1S3=64\r\nF1S4=64\r\nF1S5=64\r\nF1S6=64\r\n"
              "[Set]\r\nFLD1=/home/user/\r\nFLD2=\r\nFNAM=\r\nFTYP=0\r\nPREVIEW=1\r\n");
}

// The screen a window goes onto, and how far it is moved in or shrunk.
TEST(WindowStateFile, KeepOnScreen) {
    const std::vector<ScreenRect> screens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const std::vector<std::pair<ScreenRect, ScreenRect>> cases = {
        {{192, 107, 696, 478}, {192, 107, 696, 478}},      // on the first screen: unchanged
        {{2000, 100, 696, 478}, {2000, 100, 696, 478}},    // on the second screen: unchanged
        {{1800, 100, 696, 478}, {1920, 100, 696, 478}},    // mostly on the second: moved into it
        {{5000, -900, 696, 478}, {1224, 0, 696, 478}},     // on no screen: onto the first
        {{100, 900, 696, 478}, {100, 602, 696, 478}},      // below the bottom edge: moved up
        {{-50, -20, 3000, 2000}, {0, 0, 1920, 1080}},      // larger than any screen: shrunk
        {{10, 10, 0, -5}, {10, 10, 0, 0}},                 // no size: stays where it is
    };
    for (const auto& [frame, kept] : cases) {
        EXPECT_EQ(KeepOnScreen(frame, screens), kept) << frame.Left << "," << frame.Top;
    }
    EXPECT_EQ(KeepOnScreen({5000, 5000, 10, 10}, {}), (ScreenRect{5000, 5000, 10, 10}));
}

}  // namespace
}  // namespace tolvane
