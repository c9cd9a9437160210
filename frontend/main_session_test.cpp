#include "frontend/main_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "formats/utf8_path.h"
#include "frontend/path_text.h"
#include "frontend/scripted_platform.h"
#include "frontend/texts.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "testsupport/drawing_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::PostQueue;
using testing::ScriptedPlatform;
using testing::TempFolder;
using testing::WriteDrawing;
using testing::WriteFigure;
using testing::WriteFile;

// Records what the session asked the window to show; closing asks the session, as a window's
// close event does.
class RecordingView : public MainView {
public:
    MainSession* Session = nullptr;
    std::vector<std::string> Statuses;
    std::vector<std::string> Calls;
    // The files done while the status bar showed progress.
    std::vector<size_t> Done;
    bool Closed = false;

    void ShowStatus() override { Statuses.push_back(Session->Status()); }
    void ShowFields() override { Calls.push_back("fields"); }
    void ShowTree() override { Calls.push_back("tree"); }
    void ShowListedNode() override { Calls.push_back("listed node"); }
    void ShowList() override { Calls.push_back("list"); }
    void ShowOrder() override { Calls.push_back("order"); }
    void ShowState() override {
        Calls.push_back("state");
        if (Session->ShowsProgress()) Done.push_back(Session->Progress().Done);
    }
    void ShowResults() override { Calls.push_back("results"); }
    void ShowInspection() override { Calls.push_back("inspection"); }
    void Close() override {
        Calls.push_back("close");
        if (Session->CanClose()) {
            Session->End({});
            Closed = true;
        }
    }
    size_t Count(const std::string& call) const { return static_cast<size_t>(std::count(Calls.begin(), Calls.end(), call)); }
};

class Session : public ::testing::Test {
protected:
    TempFolder temp;
    fs::path home = temp.Path() / "home";
    fs::path source = home / "src";
    fs::path dest = home / "dst";
    ProgramPaths paths{AsFolder(home), temp.Path() / "config" / "tolvane" / "tolvane.ini",
                       temp.Path() / "cache" / "tolvane" / "TEMP" / ""};
    ConversionSettings settings;
    ScriptedPlatform platform;
    RecordingView view;
    PostQueue posts;
    // The session's post function; by default posts' queue.
    Post poster;
    std::unique_ptr<MainSession> session;

    Session() {
        fs::create_directories(source);
        fs::create_directories(dest);
        ResetConversionSettings(settings);
    }

    MainSession& Start() {
        session = std::make_unique<MainSession>(settings, platform, view, paths, poster ? poster : posts.Poster());
        view.Session = session.get();
        session->Start();
        return *session;
    }
    void Search(const fs::path& folder) {
        platform.Folders.push_back(folder);
        session->MnuFileSFolderClick();
        ASSERT_TRUE(posts.RunUntil([&] { return session->State() != SessionState::Searching; }));
    }
    void List(const fs::path& folder) { session->TreeView1Click(session->Tree().NodeOf(folder)); }
    // Search folder home, the source listed, the destination chosen.
    void Prepare() {
        Start();
        Search(home);
        List(source);
        platform.Folders.push_back(dest);
        session->Button3Click();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const size_t row : session->Order()) names.push_back(session->Rows()[row].Name);
        return names;
    }
    void Convert(const std::vector<size_t>& rows) {
        session->Button4Click(rows);
        ASSERT_TRUE(posts.RunUntil([&] { return !session->Run().Running(); }));
    }
    std::vector<size_t> AllRows() const { return session->Order(); }
};

// The start reads the state file and the settings; the end writes the folders, the filter and
// the settings back, and removes the image folder when it is empty.
TEST_F(Session, StartAndEnd) {
    fs::create_directories(paths.StateFile.parent_path());
    WriteFile(paths.StateFile, "[Set]\r\nFLD2=" + Utf8FromPath(dest) + "/\r\nFTYP=2\r\n[JWW]\r\nC3=5\r\n");
    Start();
    EXPECT_EQ(session->Status(), main_text::kSearchFolderHint);
    EXPECT_EQ(session->DestFolder(), AsFolder(dest));
    EXPECT_EQ(session->FilterIndex(), 2);
    EXPECT_EQ(session->SearchFolder(), paths.HomeFolder);
    EXPECT_EQ(settings.ColorTable[3], 5);
    EXPECT_FALSE(session->TreeReady() || session->ListReady());
    EXPECT_TRUE(fs::is_directory(paths.ImageFolder));

    settings.WidthTable[4] = 35;
    ASSERT_TRUE(session->CanClose());
    session->End({});
    // A filter index the box does not have selects nothing, and is kept so.
    ProfileDocument bad = ProfileDocument::Load(Utf8FromPath(paths.StateFile));
    bad.Set("Set", "FTYP", "9");
    ASSERT_TRUE(bad.Save(Utf8FromPath(paths.StateFile)));
    Start();
    EXPECT_EQ(session->FilterIndex(), -1);
    settings.WidthTable[4] = 35;
    ASSERT_TRUE(session->CanClose());
    session->End({});
    EXPECT_FALSE(fs::exists(paths.ImageFolder));
    const ProfileDocument file = ProfileDocument::Load(Utf8FromPath(paths.StateFile));
    EXPECT_EQ(file.Get("Set", "FLD2", 4096).second, Utf8FromPath(dest) + "/");
    EXPECT_EQ(file.Get("Set", "FTYP", 22).second, "-1");
    EXPECT_EQ(file.Get("JWW", "W4", 22).second, "35");
}

// The search runs on a worker and the window is Searching until its end comes back; the tree
// is sorted and ready, the list emptied.
TEST_F(Session, SearchFillsTheTreeOnAWorker) {
    for (const char* name : {"b", "A", "c/deeper"}) fs::create_directories(home / name);
    Start();
    platform.Folders.push_back(home);
    session->MnuFileSFolderClick();
    EXPECT_EQ(session->State(), SessionState::Searching);
    EXPECT_EQ(session->Status(), main_text::kSearchingFolders);
    EXPECT_EQ(platform.FileChoices.at(0).Title, main_text::kSearchFolderTitle);
    ASSERT_TRUE(posts.RunUntil([&] { return session->State() == SessionState::Idle; }));
    EXPECT_TRUE(session->TreeReady());
    EXPECT_EQ(session->Status(), "");
    const FolderTree& tree = session->Tree();
    std::vector<std::string> children;
    for (const int child : tree.Nodes[0].Children) children.push_back(tree.TextOf(child));
    EXPECT_EQ(children, (std::vector<std::string>{"A", "b", "c", "dst", "src"}));
    EXPECT_EQ(tree.PathOf(tree.NodeOf(home / "c" / "deeper")), AsFolder(home / "c" / "deeper"));

    // Escape during a search ends it with what was found; the status says whether it stopped.
    platform.Folders.push_back(home);
    session->MnuFileSFolderClick();
    session->EscapePressed();
    ASSERT_TRUE(posts.RunUntil([&] { return session->State() == SessionState::Idle; }));
    EXPECT_TRUE(session->TreeReady());
    EXPECT_EQ(session->Status(), session->SearchAborted() ? std::string(main_text::kFolderSearchStopped) : "");

    // A search folder that is gone keeps the old tree, with the drive message.
    platform.Log.clear();
    platform.Folders.push_back(temp.Path() / "removed-medium");
    session->MnuFileSFolderClick();
    EXPECT_EQ(platform.Log, (std::vector<std::string>{"folder:" + std::string(main_text::kSearchFolderTitle), "beep",
                                                      "message:" + std::string(main_text::kDriveNotReady)}));
    EXPECT_EQ(platform.Messages.back().Kind, MessageKind::Information);
    EXPECT_EQ(session->Status(), main_text::kSearchFolderHint);
    EXPECT_TRUE(session->TreeReady());
}

// Closing during a search stops it; its late end changes nothing.
TEST_F(Session, ClosingStopsASearch) {
    for (int n = 0; n < 20; ++n) fs::create_directories(home / ("f" + std::to_string(n)) / "g");
    Start();
    platform.Folders.push_back(home);
    session->MnuFileSFolderClick();
    EXPECT_TRUE(session->CanClose());
    EXPECT_EQ(session->State(), SessionState::Closing);
    EXPECT_TRUE(session->SearchAborted());
    posts.RunPending();
    EXPECT_EQ(session->State(), SessionState::Closing);
    EXPECT_FALSE(session->TreeReady());
}

// While a search or a run goes, the commands that would change what it works on are refused
// with a beep and the reason in the status bar.
TEST_F(Session, CommandsRefusedWhileBusy) {
    WriteDrawing(source / "a.jww", 420);
    Prepare();
    const std::vector<std::pair<const char*, std::function<void()>>> both = {
        {"search folder", [&] { session->MnuFileSFolderClick(); }},
        {"destination", [&] { session->Button3Click(); }},
        {"settings", [&] { EXPECT_FALSE(session->Button1Click()); }},
        {"save settings", [&] { session->MnuSetSaveClick(); }},
        {"open settings", [&] { EXPECT_FALSE(session->MnuSetOpenClick()); }},
        {"double click", [&] { session->StringGrid1DblClick(0); }},
        {"run", [&] { session->Button4Click({0}); }},
        {"exit", [&] { session->MnuExitClick(); }},
    };
    const auto expectRefused = [&](const char* name, const std::function<void()>& command, std::string_view text) {
        SCOPED_TRACE(name);
        platform.Log.clear();
        command();
        EXPECT_EQ(platform.Log, std::vector<std::string>{"beep"});
        EXPECT_EQ(session->Status(), text);
    };
    platform.Folders.push_back(home);
    session->MnuFileSFolderClick();
    for (const auto& [name, command] : both) expectRefused(name, command, main_text::kBusySearching);
    ASSERT_TRUE(posts.RunUntil([&] { return session->State() == SessionState::Idle; }));
    List(source);

    session->Button4Click({0});
    ASSERT_EQ(session->State(), SessionState::Converting);
    std::vector<std::pair<const char*, std::function<void()>>> converting(both.begin(), both.end() - 1);
    converting.push_back({"file type", [&] { session->MnuFileTypeClick(2, 0); }});
    converting.push_back({"header", [&] { session->StringGrid1MouseDown(1); }});
    for (const auto& [name, command] : converting) expectRefused(name, command, main_text::kBusyConverting);
    // A refused click in the tree puts the highlight back and keeps the list.
    view.Calls.clear();
    expectRefused("tree", [&] { EXPECT_FALSE(session->TreeView1Click(0)); }, main_text::kBusyConverting);
    EXPECT_EQ(view.Calls, std::vector<std::string>{"listed node"});
    EXPECT_EQ(session->ListFolder(), AsFolder(source));
    EXPECT_EQ(session->FilterIndex(), 0);
    ASSERT_TRUE(posts.RunUntil([&] { return !session->Run().Running(); }));
}

// Before any search a click in the tree is refused with the error box and the status text.
TEST_F(Session, TreeClickBeforeAnySearch) {
    Start();
    EXPECT_FALSE(session->TreeView1Click(0));
    EXPECT_EQ(platform.Log, (std::vector<std::string>{"beep", "message:" + std::string(main_text::kSpecifySearchFolder)}));
    EXPECT_EQ(platform.Messages.at(0).Kind, MessageKind::Error);
    EXPECT_EQ(session->Status(), main_text::kSpecifySearchFolder);
    EXPECT_EQ(view.Count("list"), 0u);
}

// The status texts of a listing, an empty folder (no rows at all) and a listing stopped by
// Escape; the filters refill the list of the node given.
TEST_F(Session, ListingAndFilters) {
    Start();
    Search(home);
    List(source);
    const std::string folder = FolderText(source);
    EXPECT_TRUE(session->Rows().empty());
    EXPECT_FALSE(session->ListReady());
    EXPECT_EQ(session->Status(), "0 Files  パス名「" + folder + "」");
    EXPECT_EQ(view.Statuses.at(view.Statuses.size() - 2), "フォルダ「" + folder + "」を検索中(ESC:中断)");

    for (const char* name : {"a.jww", "b.JWS", "c.jwk", "d.txt"}) WriteFile(source / name, std::string("x"));
    platform.EscapeFromPoll = 3;
    List(source);
    EXPECT_EQ(session->Status(), main_text::kListingStopped);
    EXPECT_EQ(session->Rows().size(), 2u);
    EXPECT_TRUE(session->ListReady());

    platform.EscapeFromPoll = 0;
    const int node = session->Tree().NodeOf(source);
    session->MnuFileTypeClick(1, node);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.jww", "b.JWS", "c.jwk"}));
    session->ComboBox1Change(3, node);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.JWS"}));
    // With no node selected a filter change only changes the filter.
    session->ComboBox1Change(0, -1);
    EXPECT_EQ(session->FilterIndex(), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.JWS"}));
}

// A header click sorts ascending, the next one descending, whatever the column; sizes go by
// their value; the attributes header brings back the name order without turning the direction.
TEST_F(Session, HeaderClicks) {
    const std::vector<std::pair<const char*, size_t>> files = {{"a.jww", 100000}, {"b.jww", 99999}, {"c.jww", 5}};
    for (const auto& [name, size] : files) WriteFile(source / name, std::string(size, 'x'));
    Start();
    session->StringGrid1MouseDown(1);  // no list yet: nothing
    EXPECT_EQ(view.Count("order"), 0u);
    Search(home);
    List(source);
    session->StringGrid1MouseDown(1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.jww", "b.jww", "a.jww"}));
    session->StringGrid1MouseDown(1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.jww", "b.jww", "c.jww"}));
    EXPECT_FALSE(session->SortDescending());
    session->StringGrid1MouseDown(1);
    session->StringGrid1MouseDown(kAttributesColumn);
    EXPECT_EQ(session->SortColumn(), -1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.jww", "b.jww", "c.jww"}));
    EXPECT_TRUE(session->SortDescending());
    session->StringGrid1MouseDown(0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.jww", "b.jww", "a.jww"}));
}

// A double click: refused before a search, the status text alone on an empty list, else the
// file opens with its application, and a file nothing can open is said so.
TEST_F(Session, DoubleClick) {
    Start();
    session->StringGrid1DblClick(std::nullopt);
    EXPECT_EQ(platform.Log, (std::vector<std::string>{"beep", "message:" + std::string(main_text::kSpecifySearchFolder)}));
    Search(home);
    List(source);
    platform.Log.clear();
    session->StringGrid1DblClick(std::nullopt);
    EXPECT_EQ(platform.Log, std::vector<std::string>{"beep"});
    EXPECT_EQ(session->Status(), main_text::kSpecifyDrawingFolder);

    WriteFile(source / "a.jww", std::string("x"));
    List(source);
    session->StringGrid1DblClick(0);
    EXPECT_EQ(platform.Opened, std::vector<fs::path>{source / "a.jww"});
    platform.CanOpen = false;
    session->StringGrid1DblClick(0);
    EXPECT_EQ(platform.Messages.back().Text, std::string(main_text::kNothingOpened) + DisplayPath(source / "a.jww"));
    EXPECT_EQ(platform.Messages.back().Kind, MessageKind::Error);
}

// The run's first check shows its text in the status bar too; No to the question cancels.
TEST_F(Session, RunChecksAndQuestion) {
    WriteDrawing(source / "a.jww", 420);
    Start();
    session->Button4Click({0});
    EXPECT_EQ(platform.Log, (std::vector<std::string>{"beep", "message:" + std::string(main_text::kSpecifySearchFolder)}));
    EXPECT_EQ(session->Status(), main_text::kSpecifySearchFolder);
    Search(home);
    List(source);
    platform.Folders.push_back(source);
    session->Button3Click();
    platform.Log.clear();
    session->Button4Click({0});
    EXPECT_EQ(platform.Messages.back(), (Message{MessageKind::Error, kSameFolderMessage, MessageButtons::Ok}));

    platform.Folders.push_back(dest);
    session->Button3Click();
    platform.Log.clear();
    platform.Answers.push_back(MessageAnswer::No);
    session->Button4Click({0});
    EXPECT_EQ(platform.Log, std::vector<std::string>{"message:" + std::string(main_text::kAskStartConversion)});
    EXPECT_EQ(session->Status(), main_text::kConversionCancelled);
    EXPECT_EQ(session->State(), SessionState::Idle);
    EXPECT_TRUE(fs::is_empty(dest));
}

// A run with files that cannot be converted: every file of the selection in its order, the
// reasons in Japanese, a file with a drawing's extension that is no drawing counted as a
// failure; the results window opens, the status tells the counts and a click on it opens the
// destination. A clean run opens no window, but its results stay at hand.
TEST_F(Session, RunReportsEveryFile) {
    WriteDrawing(source / "a.jww", 420);
    WriteFile(source / "b.jww", std::string("JwwData.\x58\x02\x00\x00\x09short"));
    WriteFile(source / "c.jws", std::string("no figure"));
    WriteFile(source / "d.txt", std::string("text"));
    WriteFigure(source / "e.jws", 600);
    Prepare();
    ASSERT_EQ(Names(), (std::vector<std::string>{"a.jww", "b.jww", "c.jws", "d.txt", "e.jws"}));
    session->Run().Jobs = 1;
    settings.Rules[0].SourceColorIndex = 1;
    settings.Rules[0].SourceColor = -99;
    Convert({4, 3, 2, 1, 0});
    EXPECT_EQ(settings.Rules[0].SourceColor, ColorOfSlot(2));  // resolved once for the run

    EXPECT_EQ(session->Status(), "変換作業を完了しました。（変換：2件　スキップ：1件　失敗：2件）");
    EXPECT_TRUE(session->StatusIsSummary());
    EXPECT_EQ(view.Count("results"), 1u);
    const RunResults* results = session->LastResults();
    ASSERT_NE(results, nullptr);
    ASSERT_EQ(results->Rows.size(), 5u);
    const std::vector<std::pair<const char*, ResultKind>> expected = {{"e.jws", ResultKind::Converted},
                                                                      {"d.txt", ResultKind::Skipped},
                                                                      {"c.jws", ResultKind::Failed},
                                                                      {"b.jww", ResultKind::Failed},
                                                                      {"a.jww", ResultKind::Converted}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(results->Rows[i].File, source / expected[i].first);
        EXPECT_EQ(results->Rows[i].Kind, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(results->Rows[2].Reason,
              std::string(results_text::kNotADrawing) + "（not a JWS figure file (it does not begin with \"JwsData\")）");
    EXPECT_TRUE(results->Rows[3].Reason.starts_with(std::string(results_text::kReadFailed) + "（")) << results->Rows[3].Reason;
    EXPECT_EQ(results->Rows[0].Reason, "変更：線色 0、線種 0、線幅 0");
    EXPECT_TRUE(fs::exists(dest / "a.jww") && fs::exists(dest / "e.jws"));

    session->StatusClick();
    EXPECT_EQ(platform.Opened, std::vector<fs::path>{AsFolder(dest)});
    platform.CanOpen = false;
    session->OpenDestinationFolder();
    EXPECT_EQ(platform.Messages.back().Text, std::string(main_text::kNothingOpened) + FolderText(dest));

    Convert({0});
    EXPECT_EQ(session->Status(), "変換作業を完了しました。（変換：1件　スキップ：0件　失敗：0件）");
    EXPECT_EQ(view.Count("results"), 1u);
    session->ShowLastResults();
    EXPECT_EQ(view.Count("results"), 2u);
    EXPECT_EQ(session->LastResults()->Rows.size(), 1u);
}

TEST_F(Session, NoResultsBeforeTheFirstRun) {
    Start();
    session->ShowLastResults();
    EXPECT_EQ(platform.Messages.at(0), (Message{MessageKind::Information, std::string(main_text::kNoResultsYet), MessageButtons::Ok}));
    EXPECT_EQ(view.Count("results"), 0u);
}

// "中止" while the second of five files converts: that file finishes, no other starts; the
// rest are listed as not converted. The run's worker waits on the test at its second file.
TEST_F(Session, StopBetweenFiles) {
    for (int n = 1; n <= 5; ++n) WriteDrawing(source / ("p" + std::to_string(n) + ".jww"), 420);
    Prepare();
    session->Run().Jobs = 1;
    std::atomic<bool> held = false, release = false;
    session->Run().WorkerStarted = [&](size_t index) {
        if (index != 1) return;
        held = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    session->Button4Click(AllRows());
    while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    session->StopButtonClick();
    EXPECT_EQ(session->Status(), main_text::kStopping);
    EXPECT_TRUE(session->Stopping());
    release = true;
    ASSERT_TRUE(posts.RunUntil([&] { return !session->Run().Running(); }));
    EXPECT_EQ(session->Status(), "変換作業を中止しました。（変換：2件　スキップ：0件　失敗：0件　未変換：3件）");
    EXPECT_EQ(session->Progress().Total, 0u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(session->LastResults()->Rows[i].Kind, i < 2 ? ResultKind::Converted : ResultKind::NotConverted);
        EXPECT_EQ(fs::exists(dest / ("p" + std::to_string(i + 1) + ".jww")), i < 2);
    }
}

// Closing during a run asks; No keeps it; Yes stops it and the window closes at its end.
TEST_F(Session, ClosingDuringARun) {
    for (int n = 1; n <= 3; ++n) WriteDrawing(source / ("p" + std::to_string(n) + ".jww"), 420);
    Prepare();
    session->Button4Click(AllRows());
    platform.Answers = {MessageAnswer::No, MessageAnswer::Yes};
    EXPECT_FALSE(session->CanClose());
    EXPECT_EQ(session->State(), SessionState::Converting);
    EXPECT_EQ(platform.Messages.back().Text, main_text::kAskStopAndExit);
    EXPECT_FALSE(session->CanClose());
    EXPECT_EQ(session->State(), SessionState::Closing);
    EXPECT_EQ(session->Status(), main_text::kExitAfterStop);
    EXPECT_FALSE(session->CanClose());  // asked once, after the question of the run
    EXPECT_EQ(platform.Messages.size(), 3u);
    ASSERT_TRUE(posts.RunUntil([&] { return view.Closed; }));
    EXPECT_EQ(view.Count("results"), 0u);
    EXPECT_TRUE(fs::exists(paths.StateFile));
}

// Exit asks first, unless a run goes: then closing asks whether to stop.
TEST_F(Session, ExitAsks) {
    Start();
    platform.Answers = {MessageAnswer::No, MessageAnswer::Yes};
    session->MnuExitClick();
    EXPECT_FALSE(view.Closed);
    session->MnuExitClick();
    EXPECT_TRUE(view.Closed);
    EXPECT_EQ(platform.Messages.at(0), (Message{MessageKind::Confirmation, std::string(main_text::kAskExit), MessageButtons::YesNo}));
}

// The settings-file menu: the choices start at the last file, a cancel changes nothing, a file
// that cannot be read leaves the settings and the last file as they were, values out of range
// are named in the status bar.
TEST_F(Session, SettingsFileMenu) {
    Start();
    settings.ColorTable[1] = 5;
    settings.LastSettingsFile = Utf8FromPath(home / "old.set");
    session->MnuSetSaveClick();
    EXPECT_EQ(platform.FileChoices.at(0),
              (FileChoice{"現在の設定を保存", AsFolder(home), "old.set", "設定ファイル(*.set)", "*.set", "set"}));
    EXPECT_FALSE(fs::exists(home / "old.set"));

    platform.Files.push_back(home / "new.set");
    session->MnuSetSaveClick();
    EXPECT_EQ(settings.LastSettingsFile, Utf8FromPath(home / "new.set"));
    settings.ColorTable[1] = 0;
    platform.Files.push_back(home / "new.set");
    EXPECT_TRUE(session->MnuSetOpenClick());
    EXPECT_EQ(settings.ColorTable[1], 5);

    platform.Files.push_back(home / "missing.set");
    EXPECT_FALSE(session->MnuSetOpenClick());
    EXPECT_EQ(platform.Messages.back(),
              (Message{MessageKind::Error,
                       std::string(main_text::kSettingsNotRead) + DisplayPath(home / "missing.set") + "\n" +
                           std::string(main_text::kSettingsMissing),
                       MessageButtons::Ok}));
    EXPECT_EQ(settings.LastSettingsFile, Utf8FromPath(home / "new.set"));

    WriteFile(home / "wide.set", std::string("[JWW]\r\nC5=70000\r\nC6=7x\r\n"));
    platform.Files.push_back(home / "wide.set");
    EXPECT_TRUE(session->MnuSetOpenClick());
    EXPECT_EQ(session->Status(), std::string(main_text::kSettingsKeysRefused) + "C5　" +
                                     std::string(main_text::kSettingsKeysNotIntegers) + "C6");

    platform.Files.push_back(home / "no folder" / "x.set");
    session->MnuSetSaveClick();
    EXPECT_EQ(platform.Messages.back().Kind, MessageKind::Error);
    EXPECT_EQ(platform.Log.at(platform.Log.size() - 2), "beep");
}

// 点検 reads the selected drawings (by their extension) on a worker, with progress in the
// status bar; while it goes, what a run refuses is refused. Its end tells the counts and
// opens its window.
TEST_F(Session, InspectionOnAWorker) {
    WriteDrawing(source / "a.jww", 420);
    WriteFile(source / "b.jww", std::string("JwwData.\x58\x02\x00\x00\x09short"));
    WriteFile(source / "c.txt", std::string("text"));
    WriteFigure(source / "d.JWS", 600);
    Start();
    session->MnuFileInspectClick({0});
    EXPECT_EQ(platform.Log, (std::vector<std::string>{"beep", "message:" + std::string(main_text::kNoFileList)}));
    Search(home);
    List(source);
    platform.Log.clear();
    session->MnuFileInspectClick({2});
    EXPECT_EQ(platform.Log, (std::vector<std::string>{"beep", "message:" + std::string(main_text::kSelectDrawingsToInspect)}));
    EXPECT_EQ(session->SelectedDrawings({3, 2, 1, 0}), (std::vector<fs::path>{source / "d.JWS", source / "b.jww", source / "a.jww"}));

    session->InspectJobs = 1;
    session->MnuFileInspectClick(AllRows());
    EXPECT_EQ(session->State(), SessionState::Inspecting);
    EXPECT_EQ(session->Status(), main_text::kInspecting);
    EXPECT_EQ(session->Progress().Total, 3u);
    EXPECT_EQ(session->Progress().FileText, "ファイル「a.jww」点検中です。");
    platform.Log.clear();
    session->Button4Click(AllRows());
    session->MnuFileInspectClick(AllRows());
    EXPECT_EQ(platform.Log, (std::vector<std::string>{"beep", "beep"}));
    EXPECT_EQ(session->Status(), main_text::kBusyInspecting);
    ASSERT_TRUE(posts.RunUntil([&] { return session->State() != SessionState::Inspecting; }));
    EXPECT_EQ(view.Done, (std::vector<size_t>{0, 1, 2, 3}));
    EXPECT_FALSE(session->ShowsProgress());
    EXPECT_EQ(session->Status(), "点検を完了しました。（エラー：2件　警告のみ：0件　問題なし：0件　読み込めない：1件）");
    EXPECT_EQ(view.Count("inspection"), 1u);
    ASSERT_NE(session->LastInspection(), nullptr);
    ASSERT_EQ(session->LastInspection()->Rows.size(), 3u);
    EXPECT_FALSE(session->LastInspection()->Rows[1].Ok);
    EXPECT_TRUE(fs::is_empty(dest));
}

// 中止 lets the file being read finish and starts no other; closing stops an inspection
// without a question, and its end then opens nothing. The worker waits on the test as it
// hands over its first file.
TEST_F(Session, InspectionStopsAndClosing) {
    for (int n = 1; n <= 4; ++n) WriteDrawing(source / ("p" + std::to_string(n) + ".jww"), 420);
    // Shared with the worker, and released however the test ends.
    struct Latch {
        std::atomic<bool> Hold = false, Held = false, Release = false;
        std::atomic<int> Posted = 0;
    };
    const auto latch = std::make_shared<Latch>();
    const std::unique_ptr<Latch, void (*)(Latch*)> releaseAtEnd(latch.get(), [](Latch* l) { l->Release = true; });
    poster = [latch, queue = posts.Poster()](std::function<void()> task) {
        if (latch->Hold.exchange(false)) {
            latch->Held = true;
            while (!latch->Release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        queue(std::move(task));
        ++latch->Posted;
    };
    Prepare();
    session->InspectJobs = 1;
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing);
        latch->Held = latch->Release = false;
        latch->Posted = 0;
        latch->Hold = true;
        session->MnuFileInspectClick(AllRows());
        while (!latch->Held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (closing) {
            EXPECT_TRUE(session->CanClose());
            EXPECT_EQ(session->State(), SessionState::Closing);
        } else {
            session->StopButtonClick();
            EXPECT_TRUE(session->Stopping());
            EXPECT_EQ(session->Status(), main_text::kInspectStopping);
        }
        latch->Release = true;
        // The first file, then the end.
        ASSERT_TRUE(posts.RunUntil([&] { return latch->Posted == 2; }));
        posts.RunPending();
        EXPECT_EQ(session->State(), closing ? SessionState::Closing : SessionState::Idle);
        if (!closing) {
            EXPECT_EQ(session->Status(), "点検を中止しました。（エラー：1件　警告のみ：0件　問題なし：0件　読み込めない：0件　未点検：3件）");
        }
    }
    EXPECT_EQ(session->LastInspection()->Rows.size(), 1u);
    EXPECT_EQ(view.Count("inspection"), 1u);
    EXPECT_EQ(platform.Messages.size(), 0u);
}

}  // namespace
}  // namespace tolvane
