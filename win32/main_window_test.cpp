// The main window driven through its messages: the controls reach the session, and the window
// shows what the session tells it. The rules themselves are tested in frontend/.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "formats/utf8_path.h"
#include "frontend/file_list.h"
#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "testsupport/test_files.h"
#include "win32/gui_test_support.h"
#include "win32/main_window.h"
#include "win32/post.h"
#include "win32/text.h"

namespace tolvane::win32 {
namespace {

namespace fs = std::filesystem;
using tolvane::testing::ReadFile;
using tolvane::testing::TempFolder;
using tolvane::testing::WriteFile;
using testing::PumpUntil;

LPARAM Center(const RECT& rect) { return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2); }

void Click(HWND window, LPARAM at, UINT down = WM_LBUTTONDOWN) {
    SendMessageW(window, down, MK_LBUTTON, at);
    SendMessageW(window, WM_LBUTTONUP, 0, at);
}

void Press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

// Types into a cell of the settings dialog as a user does: a typed character opens the
// editor on the current cell, Enter keeps the text.
void TypeIntoCell(ListView& grid, GridEditor& editor, int row, int column, const std::wstring& text) {
    SetFocus(grid.Handle());
    editor.GoToCell(row, column);
    SendMessageW(grid.Handle(), WM_CHAR, text.front(), 0);
    ASSERT_TRUE(editor.Editing());
    SetWindowTextW(editor.Edit(), text.c_str());
    SendMessageW(editor.Edit(), WM_KEYDOWN, VK_RETURN, 0);
}

// What tolvane-cli.exe writes for the same files and settings.
bool RunCommandLine(const fs::path& settingsFile, const fs::path& dest, const fs::path& folder) {
    const char* cli = std::getenv("TOLVANE_CLI");
    if (!cli) return false;
    std::wstring command = L"\"" + fs::path(cli).wstring() + L"\" convert --settings \"" + settingsFile.wstring() + L"\" --dest \"" +
                           dest.wstring() + L"\" \"" + folder.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 120000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

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
    void ClickFolder(int node) {
        RECT item{};
        ASSERT_TRUE(form->TreeView1.ItemRect(form->ItemOf(node), item));
        // The start of the name: a long one runs past the tree's edge.
        Click(form->TreeView1.Handle(), MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2));
    }
    void ClickHeader(int column) {
        const HWND header = ListView_GetHeader(form->StringGrid1.Handle());
        RECT item{};
        ASSERT_TRUE(Header_GetItemRect(header, column, &item));
        Click(header, Center(item));
    }
    std::vector<std::wstring> ShownNames() const {
        std::vector<std::wstring> names;
        for (int place = 0; place < form->StringGrid1.RowCount(); ++place) names.push_back(form->StringGrid1.Text(place, 0));
        return names;
    }
    int PlaceOf(const std::wstring& name) const {
        const std::vector<std::wstring> names = ShownNames();
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }
    void ChooseAndList(const fs::path& folder) {
        platform.Folders.push_back(folder);
        // A click in the search-folder field gives it the focus, which chooses the folder.
        SetFocus(form->Edit1);
        ASSERT_TRUE(PumpUntil([&] { return form->Session().TreeReady(); }));
        ClickFolder(0);
    }

    TempFolder temp;
    ProgramPaths paths{PathFromUtf8("C:\\"), temp.Path() / "tolvane.ini", temp.Path() / "TEMP" / ""};
    ConversionSettings settings;
    testing::ScriptedPlatform platform;
    std::unique_ptr<TForm1> form;
};

// The road of a conversion: a folder chosen and listed, a header sort keeping the selection,
// the preview, a settings file from the menu, the destination, a run with a file that is no
// drawing, its results window, and the same bytes as tolvane-cli writes; the settings dialog
// from the main window; and the window where it was after a restart.
TEST_F(Win32MainWindow, ChooseListSortConvertAndReadTheResults) {
    // A folder with a Japanese name, as the users' are.
    const fs::path folder = temp.Path() / L"図面 現場Ａ";
    fs::create_directories(folder / "sub");
    fs::copy(testing::ExamplesFolder(), folder);
    WriteFile(folder / "broken.jww", std::string("no drawing at all"));
    const fs::path dest = temp.Path() / "out";
    fs::create_directories(dest);
    Start();
    ChooseAndList(folder);
    EXPECT_EQ(WindowText(form->Edit1), folder.wstring() + L"\\");
    EXPECT_EQ(form->TreeView1.Count(), 2);

    const std::vector<FileListRow> expected = ListFolderFiles(folder, 0, [] { return false; }).Rows;
    ASSERT_EQ(form->StringGrid1.RowCount(), static_cast<int>(expected.size()));
    for (int place = 0; place < static_cast<int>(expected.size()); ++place)
        for (int column = 0; column < kFileListColumns; ++column)
            EXPECT_EQ(form->StringGrid1.Text(place, column), Wide(CellText(expected[static_cast<size_t>(place)], column)));
    EXPECT_EQ(form->StatusBar1.Text(),
              Wide(std::to_string(expected.size()) + " Files  パス名「" + FolderText(folder) + "」"));

    // The size header sorts; the selected file stays selected and under the cursor.
    const int plan = PlaceOf(L"plan-420.jww");
    ListView_SetItemState(form->StringGrid1.Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(form->StringGrid1.Handle(), plan, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ClickHeader(kSizeColumn);
    const std::vector<size_t> bySize = SortedOrder(expected, kSizeColumn, false);
    for (size_t place = 0; place < bySize.size(); ++place)
        EXPECT_EQ(form->StringGrid1.Text(static_cast<int>(place), 0), Wide(expected[bySize[place]].Name));
    ASSERT_EQ(form->StringGrid1.SelectedRows().size(), 1u);
    EXPECT_EQ(form->StringGrid1.Text(form->StringGrid1.SelectedRows()[0], 0), L"plan-420.jww");
    EXPECT_EQ(form->StringGrid1.FocusedRow(), form->StringGrid1.SelectedRows()[0]);

    // The preview draws the file under the cursor; a double click opens it.
    ASSERT_TRUE(PumpUntil([&] { return form->Preview.Session.CurrentList() != nullptr; }))
        << form->Preview.Session.MessageText() << " " << form->Preview.Session.ShownFile().string();
    EXPECT_EQ(form->Preview.Session.ShownFile(), folder / "plan-420.jww");
    EXPECT_GT(form->Preview.Legend.RowCount(), 0);
    testing::SaveScreenshot(form->Handle(), "main_window");
    RECT row{};
    ASSERT_TRUE(form->StringGrid1.CellRect(form->StringGrid1.FocusedRow(), 0, row));
    Click(form->StringGrid1.Handle(), Center(row), WM_LBUTTONDBLCLK);
    ASSERT_FALSE(platform.Opened.empty());
    EXPECT_EQ(platform.Opened.back(), folder / "plan-420.jww");

    // Settings from a file through the menu, the destination through 参照, every row selected.
    platform.Files.push_back(folder / "sxf-delivery.set");
    SendMessageW(form->Handle(), WM_COMMAND, MnuSetOpen, 0);
    EXPECT_EQ(settings.LastSettingsFile, Utf8FromPath(folder / "sxf-delivery.set"));
    platform.Folders.push_back(dest);
    Press(form->Button3);
    EXPECT_EQ(WindowText(form->Edit2), dest.wstring() + L"\\");
    ListView_SetItemState(form->StringGrid1.Handle(), -1, LVIS_SELECTED, LVIS_SELECTED);
    Press(form->Button4);
    EXPECT_EQ(platform.Messages.back().Text, main_text::kAskStartConversion);
    ASSERT_TRUE(PumpUntil([&] { return !form->Session().Run().Running() && form->Session().LastResults(); }, 120));

    // The broken file failed: the results window shows every file with its outcome.
    const RunResults& results = *form->Session().LastResults();
    ASSERT_TRUE(form->Results && IsWindowVisible(form->Results->Handle()));
    ListView& table = form->Results->Table;
    ASSERT_EQ(table.RowCount(), static_cast<int>(results.Rows.size()));
    EXPECT_EQ(results.Rows.size(), expected.size());
    for (int r = 0; r < table.RowCount(); ++r) {
        const ResultRow& result = results.Rows[static_cast<size_t>(r)];
        EXPECT_EQ(table.Text(r, 0), result.File.filename().wstring());
        EXPECT_EQ(table.Text(r, 1), Wide(result.Outcome));
        EXPECT_EQ(table.Text(r, 2), Wide(result.Reason));
        if (result.File.filename() == "broken.jww") {
            EXPECT_EQ(result.Kind, ResultKind::Failed);
        }
    }
    EXPECT_EQ(results.Counts.Failed, 1u);
    testing::SaveScreenshot(form->Results->Handle(), "results_window");

    // 一覧をコピー, CSVで保存, 保存先フォルダを開く, and a click on the status after the run.
    Press(form->Results->CopyButton);
    std::wstring copied;
    for (const wchar_t c : Wide(ResultsText(results.Rows))) copied += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    EXPECT_EQ(ClipboardText(), copied);
    platform.Files.push_back(temp.Path() / L"結果.csv");
    Press(form->Results->SaveButton);
    EXPECT_EQ(ReadFile(temp.Path() / L"結果.csv"), ResultsCsv(results.Rows));
    const size_t opened = platform.Opened.size();
    Press(form->Results->OpenFolderButton);
    Click(form->StatusBar1.Handle(), MAKELPARAM(10, 5));
    ASSERT_EQ(platform.Opened.size(), opened + 2);
    EXPECT_EQ(FolderText(platform.Opened[opened]), FolderText(dest));
    EXPECT_EQ(FolderText(platform.Opened[opened + 1]), FolderText(dest));

    // The destination holds the bytes that tolvane-cli.exe writes with the same settings.
    const fs::path cliDest = temp.Path() / "cli";
    fs::create_directories(cliDest);
    ASSERT_TRUE(RunCommandLine(folder / "sxf-delivery.set", cliDest, folder));
    std::vector<fs::path> written;
    for (const fs::directory_entry& entry : fs::directory_iterator(dest)) written.push_back(entry.path().filename());
    EXPECT_EQ(written.size(), results.Counts.Converted);
    for (const fs::path& name : written) EXPECT_EQ(ReadFile(dest / name), ReadFile(cliDest / name)) << name.string();
    EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(cliDest), fs::directory_iterator())), written.size());

    // The settings dialog, from its button, driven inside its modal loop: a valid and an
    // invalid cell, OK refused, the cell mended, OK.
    TForm3& dialog = form->Settings;
    int beeps = 0;
    std::wstring reason;
    PostTo(form->Handle())([&] {
        TypeIntoCell(dialog.StringGrid1, dialog.Grid1Editor, 9, 1, L"7");
        TypeIntoCell(dialog.StringGrid1, dialog.Grid1Editor, 6, 2, L"30001");
        beeps = platform.Beeps;
        Press(dialog.Button3);
        beeps = platform.Beeps - beeps;
        reason = WindowText(dialog.Label18);
        testing::SaveScreenshot(dialog.Handle(), "settings_dialog");
        TypeIntoCell(dialog.StringGrid1, dialog.Grid1Editor, 6, 2, L"25");
        Press(dialog.Button3);
        if (IsWindowVisible(dialog.Handle())) Press(dialog.Button4);
    });
    Press(form->Button1);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(reason, Wide(BadValueReason({BadValue::Place::ColorGrid, 7, 2})));
    EXPECT_TRUE(dialog.Accepted());
    EXPECT_EQ(settings.ColorTable[10], 7);
    EXPECT_EQ(settings.WidthTable[7], 25);

    // After a restart: the window where it was, the settings as they were stored.
    SetWindowPos(form->Handle(), nullptr, 60, 40, 1000, 700, SWP_NOZORDER);
    const RECT before = Frame();
    Close();
    ConversionSettings stored;
    LoadConversionSettings(stored, Utf8FromPath(paths.StateFile));
    EXPECT_EQ(stored.ColorTable[10], 7);
    EXPECT_EQ(stored.WidthTable[7], 25);
    Start();
    const RECT after = Frame();
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(WindowText(form->Edit2), dest.wstring() + L"\\");
    Close();
}

// A run shows its progress and its stop button; closing asks first; 中止 (or Escape) lets the
// file being converted finish and starts no other.
TEST_F(Win32MainWindow, RunShowsProgressAndStops) {
    const fs::path folder = temp.Path() / "drawings";
    fs::create_directories(folder);
    for (const char* name : {"plan-351.jww", "plan-420.jww", "plan-600.jww", "fittings.jws"})
        fs::copy(testing::ExamplesFolder() / name, folder / name);
    const fs::path dest = temp.Path() / "out";
    fs::create_directories(dest);
    WriteFile(paths.StateFile, "[Set]\r\nFLD2=" + Utf8FromPath(dest) + "\\\r\n");
    Start();
    ChooseAndList(folder);

    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    form->Session().Run().Jobs = 1;
    form->Session().Run().WorkerStarted = [&](size_t) {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return release; });
    };
    ListView_SetItemState(form->StringGrid1.Handle(), -1, LVIS_SELECTED, LVIS_SELECTED);
    Press(form->Button4);
    ASSERT_TRUE(PumpUntil([&] { return !form->StatusBar1.Text(1).empty(); }));
    EXPECT_TRUE(IsWindowVisible(form->ProgressBar1));
    EXPECT_TRUE(IsWindowVisible(form->StopButton));
    EXPECT_EQ(form->StatusBar1.Text(1), Wide(form->Session().Progress().FileText));

    // Closing asks; No keeps the window and the run.
    platform.Answers.push_back(MessageAnswer::No);
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(platform.Messages.back().Text, main_text::kAskStopAndExit);
    EXPECT_TRUE(IsWindow(form->Handle()));

    Press(form->StopButton);
    EXPECT_TRUE(form->Session().Stopping());
    EXPECT_FALSE(IsWindowEnabled(form->StopButton));
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    ASSERT_TRUE(PumpUntil([&] { return !form->Session().Run().Running() && form->Session().LastResults(); }, 60));
    EXPECT_FALSE(IsWindowVisible(form->ProgressBar1));
    EXPECT_FALSE(IsWindowVisible(form->StopButton));
    EXPECT_EQ(form->StatusBar1.Text().rfind(Wide(main_text::kConversionStopped), 0), 0u);
    ASSERT_TRUE(form->Results);
    EXPECT_EQ(form->Results->Table.Text(3, 1), Wide(OutcomeText(ResultKind::NotConverted)));

    // Escape, through the program's message loop, stops a run too.
    release = false;
    Press(form->Button4);
    ASSERT_TRUE(PumpUntil([&] { return !form->StatusBar1.Text(1).empty(); }));
    PostMessageW(form->StringGrid1.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostQuitMessage(0);
    RunMessageLoop(form->Handle(), form->Accelerators);
    EXPECT_TRUE(form->Session().Stopping());
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    ASSERT_TRUE(PumpUntil([&] { return !form->Session().Run().Running(); }, 60));
    Close();
}

// A first start opens within the work area, large enough for every column and the preview;
// the window state is written in the keys of the Qt program and read back.
TEST_F(Win32MainWindow, FirstStartAndTheWindowStateFile) {
    Start();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame = Frame();
    EXPECT_GE(frame.left, work.left);
    EXPECT_LE(frame.right, work.right);
    EXPECT_LE(frame.bottom, work.bottom);
    RECT list{};
    GetClientRect(form->StringGrid1.Handle(), &list);
    int columns = 0;
    for (int column = 0; column < kFileListColumns; ++column) columns += form->StringGrid1.ColumnWidth(column);
    EXPECT_GE(list.right, columns);
    EXPECT_TRUE(IsWindowVisible(form->Preview.Handle()));
    Close();

    WriteFile(paths.StateFile, std::string("[Form]\r\nF1_X=120\r\nF1_Y=90\r\nF1_W=900\r\nF1_H=600\r\n[Comp]\r\nF1P1=210\r\n"
                                           "F1S0=150\r\n[Set]\r\nFLD2=C:\\out\\\r\nFTYP=2\r\nPREVIEW=0\r\n"));
    Start();
    frame = Frame();
    EXPECT_EQ(frame.left, 120);
    EXPECT_EQ(frame.top, 90);
    EXPECT_EQ(frame.right - frame.left, 900);
    EXPECT_EQ(frame.bottom - frame.top, 600);
    EXPECT_EQ(WindowText(form->Edit2), L"C:\\out\\");
    EXPECT_EQ(SendMessageW(form->ComboBox1, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(form->StringGrid1.ColumnWidth(0), 150);
    EXPECT_FALSE(IsWindowVisible(form->Preview.Handle()));
    SetWindowPos(form->Handle(), nullptr, 200, 150, 800, 560, SWP_NOZORDER);
    SendMessageW(form->Handle(), WM_COMMAND, MnuViewPreview, 0);
    EXPECT_TRUE(IsWindowVisible(form->Preview.Handle()));
    SendMessageW(form->Handle(), WM_COMMAND, MnuFileType3, 0);
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
    EXPECT_EQ(value("Set", "FTYP"), "3");
    EXPECT_EQ(value("Set", "PREVIEW"), "1");

    // A frame kept for a screen that is gone comes onto this one.
    ProfileDocument moved = ProfileDocument::Load(Utf8FromPath(paths.StateFile));
    moved.Set("Form", "F1_X", "5000");
    ASSERT_TRUE(moved.Save(Utf8FromPath(paths.StateFile)));
    Start();
    EXPECT_LE(Frame().right, work.right);
    EXPECT_GE(Frame().left, work.left);
    Close();
}

}  // namespace
}  // namespace tolvane::win32
