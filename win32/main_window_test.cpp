// The main window driven through its messages: the rows of a folder in the virtual list, the
// filter, and the window's place kept in tolvane.ini.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "formats/utf8_path.h"
#include "frontend/file_list.h"
#include "render/compare.h"
#include "render/read_drawing.h"
#include "settings/profile.h"
#include "settings/text_encoding.h"
#include "testsupport/test_files.h"
#include "win32/gui_test_support.h"
#include "win32/main_window.h"
#include "win32/text.h"

namespace tolvane::win32 {
namespace {

using tolvane::testing::TempFolder;
using testing::ScriptedPlatform;

class Win32MainWindow : public ::testing::Test {
protected:
    void Start() {
        form = std::make_unique<TForm1>(settings, platform, paths);
        form->QuitOnDestroy = false;
        ASSERT_TRUE(form->Create());
        form->FormShow(SW_SHOWNORMAL);
        testing::PumpMessages();
    }
    void Close() {
        SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
        testing::PumpMessages();
        form.reset();
    }
    RECT Frame() const {
        RECT frame{};
        GetWindowRect(form->Handle(), &frame);
        return frame;
    }

    TempFolder temp;
    ProgramPaths paths{PathFromUtf8("C:\\"), temp.Path() / "tolvane.ini", temp.Path() / "TEMP" / ""};
    ConversionSettings settings;
    ScriptedPlatform platform;
    std::unique_ptr<TForm1> form;
};

TEST_F(Win32MainWindow, ListShowsTheRowsOfTheChosenFolder) {
    // A folder with a Japanese name, as the users' are.
    const std::filesystem::path folder = temp.Path() / L"図面 現場Ａ";
    std::filesystem::create_directories(folder);
    std::filesystem::copy(testing::ExamplesFolder(), folder);
    Start();
    platform.Folders.push_back(folder);
    SendMessageW(form->Handle(), WM_COMMAND, MnuFileSFolder, 0);

    const std::vector<FileListRow> expected = ListFolderFiles(folder, 0, [] { return false; }).Rows;
    ASSERT_GE(expected.size(), 3u);
    ASSERT_EQ(form->StringGrid1.RowCount(), static_cast<int>(expected.size()));
    for (int row = 0; row < static_cast<int>(expected.size()); ++row) {
        const FileListRow& file = expected[static_cast<size_t>(row)];
        SCOPED_TRACE(file.Name);
        EXPECT_EQ(form->StringGrid1.Text(row, 0), Wide(file.Name));
        EXPECT_EQ(form->StringGrid1.Text(row, 1), std::to_wstring(file.Size));
        EXPECT_EQ(form->StringGrid1.Text(row, 2), Wide(file.Kind));
        EXPECT_EQ(form->StringGrid1.Text(row, 3), Wide(file.Version));
        EXPECT_EQ(form->StringGrid1.Text(row, 4), Wide(ArchiveStringToUtf8(file.Memo)));
        EXPECT_EQ(form->StringGrid1.Text(row, 5), Wide(file.Modified));
        EXPECT_EQ(form->StringGrid1.Text(row, 6), Wide(file.Attributes));
    }
    EXPECT_EQ(WindowText(form->Edit1), folder.wstring() + L"\\");

    // The preview's worker comes in the next phase; the test hands the pane the first
    // drawing's lists, as the worker will.
    const auto drawing = std::find_if(expected.begin(), expected.end(), [](const FileListRow& row) { return row.Kind == ".JWW"; });
    ASSERT_NE(drawing, expected.end());
    DrawingData data;
    ASSERT_TRUE(render::ReadDrawingFile(folder / PathFromUtf8(drawing->Name), data, temp.Path() / "images").Ok);
    auto lists = std::make_shared<std::array<render::DisplayList, 3>>();
    ResetConversionSettings(settings);
    (*lists)[0] = render::BuildDisplayList(data, render::DrawingFormat::Jww);
    form->Preview.Show(lists);
    testing::SaveScreenshot(form->Handle(), "main_window");

    // The filter from the menu lists the figure files only.
    SendMessageW(form->Handle(), WM_COMMAND, MnuFileType3, 0);
    EXPECT_EQ(form->FilterIndex(), 3);
    ASSERT_GT(form->StringGrid1.RowCount(), 0);
    for (int row = 0; row < form->StringGrid1.RowCount(); ++row) EXPECT_EQ(form->StringGrid1.Text(row, 2), L".JWS");
    Close();
}

TEST_F(Win32MainWindow, WindowComesBackWhereItWasAndWritesTheStateKeys) {
    tolvane::testing::WriteFile(temp.Path() / "tolvane.ini",
                                std::string("[Form]\r\nF1_X=120\r\nF1_Y=90\r\nF1_W=900\r\nF1_H=600\r\n[Comp]\r\nF1P1=210\r\n"
                                            "F1S0=150\r\n[Set]\r\nFLD2=C:\\out\\\r\nFTYP=2\r\nPREVIEW=0\r\n"));
    Start();
    EXPECT_EQ(Frame().left, 120);
    EXPECT_EQ(Frame().top, 90);
    EXPECT_EQ(Frame().right - Frame().left, 900);
    EXPECT_EQ(Frame().bottom - Frame().top, 600);
    EXPECT_EQ(WindowText(form->Edit2), L"C:\\out\\");
    EXPECT_EQ(form->FilterIndex(), 2);
    EXPECT_EQ(form->StringGrid1.ColumnWidth(0), 150);
    EXPECT_FALSE(IsWindowVisible(form->Preview.Handle()));

    SetWindowPos(form->Handle(), nullptr, 200, 150, 800, 560, SWP_NOZORDER);
    SendMessageW(form->Handle(), WM_COMMAND, MnuViewPreview, 0);
    EXPECT_TRUE(IsWindowVisible(form->Preview.Handle()));
    Close();

    const ProfileDocument state = ProfileDocument::Load(Utf8FromPath(paths.StateFile));
    const auto value = [&state](const char* section, const char* key) { return state.Get(section, key, 512).second; };
    EXPECT_EQ(value("Form", "F1_X"), "200");
    EXPECT_EQ(value("Form", "F1_Y"), "150");
    EXPECT_EQ(value("Form", "F1_W"), "800");
    EXPECT_EQ(value("Form", "F1_H"), "560");
    EXPECT_EQ(value("Comp", "F1P1"), "210");
    EXPECT_EQ(value("Comp", "F1S0"), "150");
    EXPECT_EQ(value("Set", "FLD2"), "C:\\out\\");
    EXPECT_EQ(value("Set", "FTYP"), "2");
    EXPECT_EQ(value("Set", "PREVIEW"), "1");
    EXPECT_FALSE(value("JWW", "C1").empty());  // the conversion settings beside the window keys

    // Next start: the same frame. A frame kept for a screen that is gone comes onto this one.
    Start();
    EXPECT_EQ(Frame().left, 200);
    EXPECT_EQ(Frame().bottom - Frame().top, 560);
    Close();
    ProfileDocument moved = ProfileDocument::Load(Utf8FromPath(paths.StateFile));
    moved.Set("Form", "F1_X", "5000");
    ASSERT_TRUE(moved.Save(Utf8FromPath(paths.StateFile)));
    Start();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(Frame().right, work.right);
    EXPECT_GE(Frame().left, work.left);
    Close();
}

}  // namespace
}  // namespace tolvane::win32
