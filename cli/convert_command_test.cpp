#include "cli/convert_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <atomic>
#include <cstdlib>
#include <map>
#include <system_error>
#include <sstream>

#include "formats/jws.h"
#include "formats/jww.h"
#include "settings/settings_file.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane::cli {
namespace {

namespace fs = std::filesystem;
using tolvane::testing::ReadFile;
using tolvane::testing::TempFolder;
using tolvane::testing::WriteFile;

class ConvertCommand : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.Path() / "in" / "sub");
        fs::create_directories(root.Path() / "out");
        DrawingData plan = tolvane::testing::MakeFloorPlan(600);
        ASSERT_TRUE(WriteJww(In() / "a.jww", plan, 600, root.Path()));
        ASSERT_TRUE(WriteJww(In() / "sub" / "b.JWW", plan, 600, root.Path()));
        ASSERT_TRUE(WriteJws(In() / "c.jws", tolvane::testing::MakeFigure(351), 351));
        WriteFile(In() / "notes.txt", std::string("hello"));
        WriteFile(In() / ".hidden.jww", std::string("JwwData."));
        ConversionSettings s;
        ResetConversionSettings(s);
        s.ColorTable[3] = 7;
        ASSERT_TRUE(SaveConversionSettings(s, Settings()));
    }

    fs::path In() const { return root.Path() / "in"; }
    fs::path Out() const { return root.Path() / "out"; }
    std::string Settings() const { return (root.Path() / "tables.set").string(); }

    int Run(ConvertOptions options) {
        out.str("");
        err.str("");
        if (!options.SettingsFile) options.SettingsFile = Settings();
        return RunConvert(options, out, err);
    }

    TempFolder root;
    std::ostringstream out, err;
};

TEST_F(ConvertCommand, ConvertsAFolderAndReportsEachFile) {
    ASSERT_EQ(Run({{}, Out().string(), false, false, false, {In().string()}}), 0) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("converted: " + (In() / "a.jww").string()), std::string::npos) << text;
    EXPECT_NE(text.find("skipped: " + (In() / "notes.txt").string()), std::string::npos) << text;
    EXPECT_EQ(text.find(".hidden"), std::string::npos) << text;
    EXPECT_NE(text.find("2 converted, 1 skipped, 0 failed"), std::string::npos) << text;
    EXPECT_TRUE(fs::exists(Out() / "a.jww"));
    EXPECT_TRUE(fs::exists(Out() / "c.jws"));
    EXPECT_FALSE(fs::exists(Out() / "sub"));
}

TEST_F(ConvertCommand, RecursiveRunsKeepTheFolders) {
    ASSERT_EQ(Run({{}, Out().string(), true, true, false, {In().string()}}), 0) << err.str();
    EXPECT_TRUE(fs::exists(Out() / "sub" / "b.JWW"));
    std::istringstream lines(out.str());
    std::string line;
    std::vector<nlohmann::json> objects;
    while (std::getline(lines, line)) objects.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(objects.size(), 5u);  // four files and the summary
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(objects[i].contains("source"));
        EXPECT_TRUE(objects[i].contains("destination"));
        EXPECT_TRUE(objects[i].contains("reason"));
    }
    const nlohmann::json& converted = objects[0];
    EXPECT_EQ(converted["result"], "converted");
    EXPECT_GT(converted["changedColors"].get<int>(), 0);
    EXPECT_EQ(objects.back(), (nlohmann::json{{"converted", 3}, {"skipped", 1}, {"failed", 0}}));
}

TEST_F(ConvertCommand, AFailedFileSetsTheExitStatus) {
    WriteFile(In() / "broken.jww", std::string("JwwData.\x58\x02\x00\x00\x09short"));
    EXPECT_EQ(Run({{}, Out().string(), false, false, false, {(In() / "broken.jww").string(), (In() / "a.jww").string()}}), 1);
    EXPECT_NE(out.str().find("failed: " + (In() / "broken.jww").string()), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("1 converted, 0 skipped, 1 failed"), std::string::npos);
}

// Refused before anything is written, with exit status 2.
TEST_F(ConvertCommand, RefusesToStart) {
    std::error_code noLinks;  // Wine makes no symbolic links
    fs::create_directory_symlink(In(), root.Path() / "link", noLinks);
    fs::create_directories(In() / "sub" / "deeper");
    WriteFile(root.Path() / "file", std::string("x"));
    struct Case {
        std::string destination;
        bool recursive;
        std::string message;
    };
    std::vector<Case> cases = {
        {(root.Path() / "missing").string(), false, "指定された保存先フォルダが存在しません。再指定して下さい。"},
        {(root.Path() / "file").string(), false, "指定された保存先フォルダが存在しません。再指定して下さい。"},
        {In().string(), false, "保存先フォルダとファイルのフォルダが同じになっています。"},
        {(In() / "sub" / "deeper").string(), true, "保存先フォルダとファイルのフォルダが同じになっています。"},
    };
    if (!noLinks) cases.push_back({(root.Path() / "link").string(), false, "保存先フォルダとファイルのフォルダが同じになっています。"});
    for (const Case& c : cases) {
        EXPECT_EQ(Run({{}, c.destination, c.recursive, false, false, {In().string()}}), 2) << c.destination;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_TRUE(fs::is_empty(In() / "sub" / "deeper"));

    // Combined mode without a rule.
    ConversionSettings combined;
    ResetConversionSettings(combined);
    combined.ConversionMode = ConversionModeKind::Combined;
    const std::string rules = (root.Path() / "rules.set").string();
    ASSERT_TRUE(SaveConversionSettings(combined, rules));
    EXPECT_EQ(Run({rules, Out().string(), false, false, false, {In().string()}}), 2);
    EXPECT_NE(err.str().find("[線色線種・組合せ変換] 変換指定が行われていません。"), std::string::npos);
    EXPECT_EQ(Run({(root.Path() / "none.set").string(), Out().string(), false, false, false, {In().string()}}), 2);
    EXPECT_EQ(Run({{}, Out().string(), false, false, false, {(In() / "nothing.jww").string()}}), 2);
    EXPECT_TRUE(fs::is_empty(Out()));
}

// Each file's line says where the file that was at its destination went, also when the run
// made that backup name already (a file given twice).
TEST_F(ConvertCommand, TellsWhereEachBackupWent) {
    WriteFile(Out() / "a.jww", std::string("older"));
    const std::string a = (In() / "a.jww").string();
    ASSERT_EQ(Run({{}, Out().string(), false, false, false, {a, a}}), 0) << err.str();
    EXPECT_NE(out.str().find("changed; the file that was there kept as a.BAK)"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("changed; the file that was there kept as a.1.BAK)"), std::string::npos) << out.str();
    EXPECT_EQ(ReadFile(Out() / "a.BAK"), "older");
    ASSERT_EQ(Run({{}, Out().string(), false, true, false, {a}}), 0) << err.str();
    EXPECT_EQ(nlohmann::json::parse(out.str().substr(0, out.str().find('\n')))["backup"], (Out() / "a.BAK").string());
}

// A stop lets the files being converted finish and starts no other; the summary counts the
// files not started, and the status is that of Ctrl-C.
TEST_F(ConvertCommand, AStopEndsTheRunWithItsSummary) {
    std::atomic<bool> stop = true;
    ConvertOptions options{{}, Out().string(), false, false, false, {In().string()}};
    options.Stop = &stop;
    EXPECT_EQ(Run(options), 130);
    EXPECT_NE(out.str().find("0 converted, 0 skipped, 0 failed, 3 not started (stopped)"), std::string::npos) << out.str();
    EXPECT_TRUE(fs::is_empty(Out()));
}

#ifndef _WIN32
// A temporary folder that cannot be used refuses the run before anything is written, with
// the real reason.
TEST_F(ConvertCommand, AnUnusableTemporaryFolderRefusesTheRun) {
    const char* saved = std::getenv("TMPDIR");
    const std::string previous = saved ? saved : "";
    WriteFile(root.Path() / "not-a-folder", std::string("x"));
    setenv("TMPDIR", (root.Path() / "not-a-folder").c_str(), 1);
    const int status = Run({{}, Out().string(), true, false, false, {In().string()}});
    if (saved) setenv("TMPDIR", previous.c_str(), 1);
    else unsetenv("TMPDIR");
    EXPECT_EQ(status, 2);
    EXPECT_NE(err.str().find("not-a-folder: " + std::make_error_code(std::errc::not_a_directory).message()),
              std::string::npos)
        << err.str();
    EXPECT_TRUE(fs::is_empty(Out()));
}
#endif

// A settings file that is none, or whose values would be read as 0 or left at their defaults,
// refuses the run before anything is written, naming the file, the reason and the keys.
TEST_F(ConvertCommand, RefusesSettingsFilesItCannotUse) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"drawing.set", "is a drawing"},
        {"numbers.set", "values that are not integers: C2, C3, C4, W1"},
        {"range.set", "values the settings dialog would not accept: C5"},
    };
    fs::copy_file(In() / "a.jww", root.Path() / "drawing.set");
    WriteFile(root.Path() / "numbers.set", std::string("[JWW]\r\nC1=5\r\nC2=107abc\r\nC3=0x65\r\nC4=4294967403\r\nW1=1e2\r\n"));
    WriteFile(root.Path() / "range.set", std::string("[JWW]\r\nC5=70000\r\n"));
    for (const auto& [name, reason] : cases) {
        const std::string file = (root.Path() / name).string();
        EXPECT_EQ(Run({file, Out().string(), false, false, false, {In().string()}}), 2) << name;
        EXPECT_NE(err.str().find("the settings file " + file + " "), std::string::npos) << err.str();
        EXPECT_NE(err.str().find(reason), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_TRUE(fs::is_empty(Out()));
}

// Every file (hidden ones too) with its bytes, every folder as "/".
std::map<std::string, std::string> TreeOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[entry.path().lexically_relative(folder).string()] = entry.is_directory() ? "/" : ReadFile(entry.path());
    return files;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
}

// A dry run reads, converts in memory and plans the backups as a run does, and writes
// nothing: the destination stays byte for byte as it was (no output, backup, temporary file
// or folder), and no image folder is made, so a temporary folder that cannot be made does not
// stop it. Its lines are those of the run that follows, with "would".
TEST_F(ConvertCommand, ADryRunSaysWhatTheRunWouldDoAndWritesNothing) {
    const fs::path images = root.Path() / "images";
    ASSERT_TRUE(WriteJww(In() / "photo.jww", tolvane::testing::MakeFloorPlan(700, images), 700, images));
    WriteFile(In() / "broken.jww", std::string("JwwData.\x58\x02\x00\x00\x09short"));
    WriteFile(Out() / "a.jww", std::string("older"));
    WriteFile(Out() / "a.BAK", std::string("an earlier backup"));
    fs::create_directories(Out() / "c.jws" / "in the way");
    const std::map<std::string, std::string> before = TreeOf(Out());
    // a.jww twice: the second is backed up to a.1.BAK, the first's output being there.
    ConvertOptions options{{}, Out().string(), true, false, false, {In().string(), (In() / "a.jww").string()}, 2};
    options.DryRun = true;
#ifndef _WIN32
    const char* saved = std::getenv("TMPDIR");
    const std::string previous = saved ? saved : "";
    WriteFile(root.Path() / "not-a-folder", std::string("x"));
    setenv("TMPDIR", (root.Path() / "not-a-folder").c_str(), 1);
#endif
    const int dryStatus = Run(options);
#ifndef _WIN32
    if (saved) setenv("TMPDIR", previous.c_str(), 1);
    else unsetenv("TMPDIR");
#endif
    const std::string dry = out.str();
    EXPECT_EQ(dryStatus, 1) << err.str();
    EXPECT_TRUE(TreeOf(Out()) == before) << "the dry run changed the destination";

    options.DryRun = false;
    EXPECT_EQ(Run(options), 1) << err.str();
    std::string expected = out.str();
    ReplaceAll(expected, "converted: ", "would convert: ");
    ReplaceAll(expected, " widths changed", " widths would change");
    ReplaceAll(expected, " raised to ", " would be raised to ");
    ReplaceAll(expected, "the file that was there kept as", "the file there would be kept as");
    ReplaceAll(expected, "failed: " + (In() / "c.jws").string(), "would fail: " + (In() / "c.jws").string());
    ReplaceAll(expected, " converted, ", " would convert, ");
    EXPECT_EQ(dry, expected);
    EXPECT_NE(dry.find("4 would convert, 1 skipped, 2 failed"), std::string::npos) << dry;
    EXPECT_NE(dry.find("the file there would be kept as a.1.BAK"), std::string::npos) << dry;
    EXPECT_EQ(ReadFile(Out() / "a.BAK"), "older");
    EXPECT_TRUE(fs::exists(Out() / "a.1.BAK") && fs::exists(Out() / "sub" / "b.JWW"));

    options.Json = options.DryRun = true;
    Run(options);
    const nlohmann::json first = nlohmann::json::parse(out.str().substr(0, out.str().find('\n')));
    EXPECT_EQ(first["result"], "would convert");
    EXPECT_EQ(first["backup"], (Out() / "a.BAK").string());
    EXPECT_EQ(nlohmann::json::parse(out.str().substr(out.str().rfind('\n', out.str().size() - 2) + 1)),
              (nlohmann::json{{"wouldConvert", 4}, {"skipped", 1}, {"failed", 2}}));
}

// Two workers leave the destination byte for byte as one does, and print the same lines in
// the same order: on the examples, and on the real drawings when they are here.
TEST_F(ConvertCommand, TwoJobsGiveWhatOneJobGives) {
    const char* sourceDir = std::getenv("TOLVANE_SOURCE_DIR");
    if (!sourceDir) GTEST_SKIP() << "TOLVANE_SOURCE_DIR is not set";
    const fs::path delivery = fs::path(sourceDir) / "examples" / "sxf-delivery.set";
    std::vector<fs::path> folders = {fs::path(sourceDir) / "examples"};
    if (const char* corpus = std::getenv("TOLVANE_CORPUS"); corpus && fs::is_directory(corpus)) folders.push_back(corpus);
    for (const fs::path& folder : folders) {
        SCOPED_TRACE(folder.string());
        std::string lines[2];
        std::map<std::string, std::string> trees[2];
        for (const unsigned jobs : {1u, 2u}) {
            const fs::path destination = root.Path() / ("jobs" + std::to_string(jobs));
            fs::remove_all(destination);
            fs::create_directories(destination);
            // Twice over, so that every destination file is backed up by the second pass.
            for (int pass = 0; pass < 2; ++pass) {
                ConvertOptions options{delivery.string(), destination.string(), true, false, false, {folder.string()}, jobs};
                // Drawings this build cannot read fail alike with either number of jobs.
                EXPECT_NE(Run(options), 2) << err.str();
            }
            std::string text = out.str();
            for (size_t at; (at = text.find(destination.string())) != std::string::npos;)
                text.replace(at, destination.string().size(), "DEST");
            lines[jobs - 1] = text;
            trees[jobs - 1] = TreeOf(destination);
        }
        EXPECT_EQ(lines[0], lines[1]);
        EXPECT_GT(trees[0].size(), 2u);
        EXPECT_TRUE(trees[0] == trees[1]) << "the destination folders differ";
    }
}

}  // namespace
}  // namespace tolvane::cli
