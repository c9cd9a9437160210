#include "cli/commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <system_error>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "formats/jws.h"
#include "formats/jww.h"
#include "settings/text_encoding.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/jww_bytes.h"
#include "testsupport/test_files.h"

namespace tolvane::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using testing::TempFolder;
using testing::WriteFile;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<Json> JsonLines(const std::string& text) {
    std::vector<Json> objects;
    for (const std::string& line : Lines(text)) objects.push_back(Json::parse(line));
    return objects;
}

// Terminal columns of a UTF-8 text (full-width characters take two).
size_t Width(std::string_view utf8) { return Utf8ToShiftJis(utf8).size(); }

// A legacy header of 800 bytes with the given first memo line (Shift-JIS).
std::string LegacyFile(const std::string& memoLine1) {
    std::string bytes = "jw_cad(c)data......." + std::string(20, '.');
    bytes += memoLine1 + std::string(32 - memoLine1.size(), '\0') + std::string(32, '\0');
    bytes.resize(800, ' ');
    return bytes;
}

// A figure file whose filler is not made of full stops, which the writer normalises.
std::string FigureWithOddFiller() {
    testing::Bytes b;
    b.Raw("JwsData").Raw(std::string(193, '#')).U32(351).Zeros(248).Count(0).Count(0);
    return std::string(b.data.begin(), b.data.end());
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        DrawingData plan = testing::MakeFloorPlan(600);
        ASSERT_TRUE(WriteJww(Path("plan.jww"), plan, 600, images_.Path()));
        planMemo_ = ArchiveStringToUtf8(plan.Header.Memo);
        planLines_ = plan.Lines.size();
        DrawingData figure = testing::MakeFigure(420);
        ASSERT_TRUE(WriteJws(Path("Part.jws"), figure, 420));
        figureLines_ = figure.Lines.size();
        figureBlocks_ = figure.BlockDefinitions.size();
    }

    fs::path Path(const std::string& name) const { return folder_.Path() / name; }

    TempFolder folder_;
    TempFolder images_;
    std::ostringstream err_;
    std::string planMemo_;
    size_t planLines_ = 0;
    size_t figureLines_ = 0;
    size_t figureBlocks_ = 0;
};

// Drawings and figure files are told apart by their signature, not their name; anything else
// is reported and makes the status 1.
TEST_F(CliTest, InfoReadsDrawingsAndFigureFiles) {
    fs::copy_file(Path("Part.jws"), Path("figure-named.jww"));
    WriteFile(Path("notes.txt"), std::string("hello"));
    std::ostringstream out;
    EXPECT_EQ(RunInfo({Path("plan.jww").string(), Path("figure-named.jww").string(), Path("notes.txt").string()}, true,
                      out, err_),
              1);
    const std::vector<Json> rows = JsonLines(out.str());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["kind"], "jww");
    EXPECT_EQ(rows[0]["version"], 600);
    EXPECT_EQ(rows[0]["memo"], planMemo_);
    EXPECT_EQ(rows[0]["lines"], planLines_);
    EXPECT_EQ(rows[1]["ok"], true);
    EXPECT_EQ(rows[1]["kind"], "jws");
    EXPECT_EQ(rows[1]["version"], 420);
    EXPECT_EQ(rows[1]["memo"], "");
    EXPECT_EQ(rows[1]["images"], 0);
    EXPECT_EQ(rows[1]["lines"], figureLines_);
    EXPECT_EQ(rows[1]["blockDefinitions"], figureBlocks_);
    EXPECT_EQ(rows[2]["ok"], false);
    EXPECT_NE(rows[2]["error"].get<std::string>().find("JwsData"), std::string::npos);

    std::ostringstream text;
    EXPECT_EQ(RunInfo({Path("Part.jws").string()}, false, text, err_), 0);
    EXPECT_NE(text.str().find("JWS figure file, version 420"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("memo:"), std::string::npos);
}

// A wide drawing shows its memo as it is, line breaks escaped in the text; every file reports
// its own images and string form, whatever was read before it.
TEST_F(CliTest, InfoShowsEachDrawingsOwnStringsAndImages) {
    DrawingData wide = testing::MakeFloorPlan(700, images_.Path());
    testing::MakeStringsWide(wide);
    wide.Header.Memo = ArchiveString::Wide(u"\U00020BB7\u2460\x1b[2J\r\n\uD55C");  // 𠮷① ESC [2J CR LF 한
    ASSERT_TRUE(WriteJww(Path("wide.jww"), wide, 700, images_.Path()));
    std::ostringstream out;
    EXPECT_EQ(RunInfo({Path("wide.jww").string(), Path("plan.jww").string()}, true, out, err_), 0);
    const std::vector<Json> rows = JsonLines(out.str());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["memo"], "\xF0\xA0\xAE\xB7\xE2\x91\xA0\x1b[2J\r\n\xED\x95\x9C");
    EXPECT_EQ(rows[0]["strings"], "wide");
    EXPECT_EQ(rows[0]["images"], 1);
    EXPECT_EQ(rows[1]["strings"], "bytes");
    EXPECT_EQ(rows[1]["images"], 0);

    std::ostringstream text;
    EXPECT_EQ(RunInfo({Path("wide.jww").string()}, false, text, err_), 0);
    // Other control characters are dropped, as the file list drops them: no escape sequence
    // of a drawing reaches the terminal.
    EXPECT_NE(text.str().find("  memo: \xF0\xA0\xAE\xB7\xE2\x91\xA0[2J\\r\\n\xED\x95\x9C\n"), std::string::npos) << text.str();
}

// A figure file written by this program comes back identical; one whose filler is not made of
// full stops differs at byte 7; a cut one cannot be read.
TEST_F(CliTest, CheckWritesFigureFilesBack) {
    WriteFile(Path("odd.jws"), FigureWithOddFiller());
    const std::string part = testing::ReadFile(Path("Part.jws"));
    WriteFile(Path("cut.jws"), part.substr(0, part.size() - 1));
    std::ostringstream out;
    EXPECT_EQ(RunCheck({Path("plan.jww").string(), Path("Part.jws").string(), Path("odd.jws").string(),
                        Path("cut.jws").string()},
                       true, out, err_),
              1);
    const std::vector<Json> rows = JsonLines(out.str());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0]["identical"], true);
    EXPECT_EQ(rows[1]["identical"], true);
    EXPECT_EQ(rows[2]["identical"], false);
    EXPECT_EQ(rows[2]["firstDifference"], 7);
    EXPECT_EQ(rows[3]["ok"], false);

    std::ostringstream text;
    EXPECT_EQ(RunCheck({Path("Part.jws").string()}, false, text, err_), 0);
    EXPECT_NE(text.str().find("identical when written again (" + std::to_string(part.size()) + " bytes)"),
              std::string::npos)
        << text.str();
    // A drawing that differs makes the status 1, as one that cannot be read does; read errors
    // go to the error stream, the JSON lines stay on the output.
    EXPECT_EQ(RunCheck({Path("odd.jws").string()}, false, text, err_), 1);
    std::ostringstream cutOut, cutErr;
    EXPECT_EQ(RunCheck({Path("cut.jws").string()}, false, cutOut, cutErr), 1);
    EXPECT_EQ(cutOut.str(), "");
    EXPECT_NE(cutErr.str().find("cut.jws: cannot be read"), std::string::npos) << cutErr.str();
    EXPECT_EQ(err_.str(), "");
}

// The rows of a folder: files only, hidden ones left out, sorted by name without regard to
// case, with the version and the memo (in UTF-8) the list shows.
TEST_F(CliTest, ListShowsTheRowsOfTheFileList) {
    WriteFile(Path("b.jwk"), LegacyFile("\x90\x7d\x96\xca"));  // 図面
    WriteFile(Path("notes.txt"), std::string("hello"));
    WriteFile(Path(".hidden.jww"), std::string("JwwData."));
    fs::create_directory(Path("sub.jws"));
    fs::permissions(Path("b.jwk"), fs::perms::owner_write, fs::perm_options::remove);

    std::ostringstream out;
    ASSERT_EQ(RunList(folder_.Path().string(), 0, true, out), 0);
    const std::vector<Json> rows = JsonLines(out.str());
    ASSERT_EQ(rows.size(), 4u) << out.str();
    EXPECT_EQ(rows[0]["name"], "b.jwk");
    EXPECT_EQ(rows[1]["name"], "notes.txt");
    EXPECT_EQ(rows[2]["name"], "Part.jws");
    EXPECT_EQ(rows[3]["name"], "plan.jww");

    EXPECT_EQ(rows[0]["kind"], ".JWK");
    EXPECT_EQ(rows[0]["version"], "---");
    EXPECT_EQ(rows[0]["memo"], "図面 ");
    EXPECT_EQ(rows[0]["bytes"], 800);
    EXPECT_EQ(rows[0]["attributes"], testing::kNewFileAttributes + "R ");
    EXPECT_EQ(rows[1]["kind"], ".TXT");
    EXPECT_EQ(rows[1]["version"], "");
    EXPECT_EQ(rows[2]["version"], "420");
    EXPECT_EQ(rows[2]["memo"], "");
    EXPECT_EQ(rows[2]["bytes"], fs::file_size(Path("Part.jws")));
    EXPECT_EQ(rows[3]["version"], "600");
    EXPECT_EQ(rows[3]["memo"], planMemo_);
    EXPECT_EQ(rows[3]["attributes"], testing::kNewFileAttributes);
    for (const Json& row : rows) {
        const std::string modified = row["modified"];
        ASSERT_EQ(modified.size(), 19u);
        EXPECT_EQ(modified[4], '/');
        EXPECT_EQ(modified[13], ':');
        EXPECT_EQ((modified[18] - '0') % 2, 0) << modified;
    }
}

// The filter index picks "*.*", "*.jw?", "*.jww" or "*.jws", ignoring case.
TEST_F(CliTest, ListFilters) {
    WriteFile(Path("b.JWK"), LegacyFile("x"));
    WriteFile(Path("c.jw"), std::string("x"));
    WriteFile(Path("notes.txt"), std::string("x"));
    const std::pair<int, std::vector<std::string>> cases[] = {
        {0, {"b.JWK", "c.jw", "notes.txt", "Part.jws", "plan.jww"}},
        {1, {"b.JWK", "Part.jws", "plan.jww"}},
        {2, {"plan.jww"}},
        {3, {"Part.jws"}},
    };
    for (const auto& [filter, names] : cases) {
        std::ostringstream out;
        ASSERT_EQ(RunList(folder_.Path().string(), filter, true, out), 0);
        std::vector<std::string> listed;
        for (const Json& row : JsonLines(out.str())) listed.push_back(row["name"]);
        EXPECT_EQ(listed, names) << filter;
    }
}

// Without --json the columns line up under their headers, full-width characters counted
// twice, sizes right-aligned, followed by the count of files.
TEST_F(CliTest, ListAlignsColumns) {
    WriteFile(Path("\xe5\x9b\xb3\xe9\x9d\xa2.jwk"), LegacyFile("\x90\x7d\x96\xca"));  // 図面.jwk
    std::ostringstream out;
    ASSERT_EQ(RunList(folder_.Path().string(), 0, false, out), 0);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 5u) << out.str();
    const std::string& header = lines[0];
    ASSERT_EQ(header.rfind("ファイル名", 0), 0u) << header;
    const size_t sizeEnd = Width(header.substr(0, header.find("Bytes") + 5));
    const size_t kindStart = Width(header.substr(0, header.find("種類")));
    const size_t memoStart = Width(header.substr(0, header.find("図面メモ")));
    const size_t timeStart = Width(header.substr(0, header.find("更新日時")));
    for (size_t i = 1; i <= 3; ++i) {
        const std::string& line = lines[i];
        SCOPED_TRACE(line);
        const size_t kind = line.find("  .J");
        ASSERT_NE(kind, std::string::npos);
        EXPECT_EQ(Width(line.substr(0, kind + 2)), kindStart);
        const size_t sizeLast = line.find_last_of("0123456789", kind);
        EXPECT_EQ(Width(line.substr(0, sizeLast + 1)), sizeEnd);
        const size_t time = line.find("  20", kind);
        ASSERT_NE(time, std::string::npos);
        EXPECT_EQ(Width(line.substr(0, time + 2)), timeStart);
        EXPECT_NE(line.back(), ' ');
    }
    // The legacy file comes last (its name sorts after the letters); its memo stands in the
    // memo column.
    EXPECT_EQ(Width(lines[3].substr(0, lines[3].find("図面 ", 5))), memoStart) << lines[3];
    EXPECT_EQ(lines[4], "3 Files  パス名「" + folder_.Path().string() + "」");
}

// A folder that is not there is reported with status 1; an empty one lists nothing.
TEST_F(CliTest, ListOfMissingAndEmptyFolders) {
    std::ostringstream missing;
    EXPECT_EQ(RunList(Path("missing").string(), 0, false, missing), 1);
    EXPECT_NE(missing.str().find("cannot be listed"), std::string::npos);
    std::ostringstream file;
    EXPECT_EQ(RunList(Path("plan.jww").string(), 0, true, file), 1);
    EXPECT_EQ(JsonLines(file.str()).at(0)["ok"], false);

    fs::create_directory(Path("empty"));
    std::ostringstream json;
    EXPECT_EQ(RunList(Path("empty").string(), 0, true, json), 0);
    EXPECT_EQ(json.str(), "");
    std::ostringstream text;
    EXPECT_EQ(RunList(Path("empty").string(), 0, false, text), 0);
    const std::vector<std::string> lines = Lines(text.str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("0 Files", 0), 0u);
}

}  // namespace
}  // namespace tolvane::cli

namespace tolvane::cli {
namespace {

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Render writes the drawing as it is, as converted, or only the changes; bad input gets the
// errors of info, and a settings problem or an unwritable output the status 2.
TEST_F(CliTest, RenderWritesSvgAndRefusesBadInput) {
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string settings = std::string(source) + "/examples/sxf-delivery.set";
    std::ostringstream out, err;
    RenderCommand command{Path("plan.jww").string(), std::nullopt, false, Path("before.svg").string()};
    EXPECT_EQ(RunRender(command, out, err), 0) << err.str();
    const std::string before = ReadText(Path("before.svg"));
    EXPECT_TRUE(before.starts_with("<?xml")) << before.substr(0, 100);
    EXPECT_TRUE(before.ends_with("</svg>\n"));
    EXPECT_EQ(before.find("#d0d0d0"), std::string::npos);

    command.SettingsFile = settings;
    command.ChangesOnly = true;
    command.Output = Path("changes.svg").string();
    EXPECT_EQ(RunRender(command, out, err), 0) << err.str();
    const std::string changes = ReadText(Path("changes.svg"));
    EXPECT_NE(changes.find("#d0d0d0"), std::string::npos);
    EXPECT_NE(changes, before);

    WriteFile(Path("notes.txt"), std::string("hello"));
    command.File = Path("notes.txt").string();
    std::ostringstream bad;
    EXPECT_EQ(RunRender(command, bad, err), 1);
    EXPECT_NE(err.str().find("cannot be read: neither a JWW drawing"), std::string::npos) << err.str();

    command.File = Path("Part.jws").string();
    command.SettingsFile = Path("missing.set").string();
    EXPECT_EQ(RunRender(command, out, err), 2);
    command.SettingsFile.reset();
    EXPECT_EQ(RunRender(command, out, err), 2);  // --changed without settings
    command.ChangesOnly = false;
    command.Output = (Path("no-such-folder") / "out.svg").string();
    EXPECT_EQ(RunRender(command, out, err), 2);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos) << err.str();
}

// The output is never the drawing itself, however it is named, and a failed write removes
// nothing that was there: a folder in the way stays, a file stays until the new one is complete.
TEST_F(CliTest, RenderNeverReplacesTheDrawingOrWhatItCannotWrite) {
    const std::string plan = testing::ReadFile(Path("plan.jww"));
    std::vector<std::string> sameFile = {Path("plan.jww").string(), (folder_.Path() / "." / "plan.jww").string()};
    std::error_code noLinks;  // Wine makes no symbolic links
    fs::create_hard_link(Path("plan.jww"), Path("hard.svg"), noLinks);
    if (!noLinks) sameFile.push_back(Path("hard.svg").string());
    fs::create_symlink(Path("plan.jww"), Path("soft.svg"), noLinks);
    if (!noLinks) sameFile.push_back(Path("soft.svg").string());
    for (const std::string& output : sameFile) {
        std::ostringstream out, err;
        EXPECT_EQ(RunRender({Path("plan.jww").string(), std::nullopt, false, output}, out, err), 2) << output;
        EXPECT_NE(err.str().find("is the drawing itself"), std::string::npos) << err.str();
    }
    EXPECT_EQ(testing::ReadFile(Path("plan.jww")), plan);

    fs::create_directory(Path("folder.svg"));
    std::ostringstream out, err;
    EXPECT_EQ(RunRender({Path("plan.jww").string(), std::nullopt, false, Path("folder.svg").string()}, out, err), 2);
    EXPECT_NE(err.str().find("cannot write " + Path("folder.svg").string() + ": "), std::string::npos) << err.str();
    EXPECT_TRUE(fs::is_directory(Path("folder.svg")));
}

#ifndef _WIN32
// Names that are not UTF-8 (Shift-JIS names from an archive made on Windows) travel in JSON
// as text with U+FFFD and, losslessly, as the hex of their bytes.
TEST_F(CliTest, JsonCarriesNamesThatAreNotUtf8) {
    const std::string name = "\x90\x7d\x96\xca.jww";  // 図面.jww in Shift-JIS
    fs::copy_file(Path("plan.jww"), Path(name));
    const std::string hex = "907d96ca2e6a7777";
    std::ostringstream info, check, list;
    EXPECT_EQ(RunInfo({Path(name).string()}, true, info, err_), 0);
    EXPECT_EQ(RunCheck({Path(name).string()}, true, check, err_), 0);
    EXPECT_EQ(RunList(folder_.Path().string(), 2, true, list), 0);
    const Json infoRow = JsonLines(info.str()).at(0);
    const Json checkRow = JsonLines(check.str()).at(0);
    EXPECT_TRUE(infoRow["fileHex"].get<std::string>().ends_with("2f" + hex)) << infoRow;
    EXPECT_EQ(infoRow["fileHex"], checkRow["fileHex"]);
    std::vector<Json> rows = JsonLines(list.str());
    ASSERT_EQ(rows.size(), 2u);
    if (rows[0]["name"] == "plan.jww") std::swap(rows[0], rows[1]);
    EXPECT_EQ(rows[0]["nameHex"], hex);
    EXPECT_EQ(rows[0]["name"], "\xEF\xBF\xBD}\xEF\xBF\xBD\xEF\xBF\xBD.jww");
    EXPECT_FALSE(rows[1].contains("nameHex"));
}

// The image folder is made only for a drawing that has images, so an unusable temporary
// folder troubles only those, and with the real reason.
TEST_F(CliTest, InfoMakesAnImageFolderOnlyForImages) {
    DrawingData photo = testing::MakeFloorPlan(700, images_.Path());
    ASSERT_TRUE(WriteJww(Path("photo.jww"), photo, 700, images_.Path()));
    const char* saved = std::getenv("TMPDIR");
    const std::string previous = saved ? saved : "";
    setenv("TMPDIR", Path("plan.jww").c_str(), 1);  // a file, not a folder
    std::ostringstream out, err;
    const int plain = RunInfo({Path("plan.jww").string()}, false, out, err);
    const int withImages = RunInfo({Path("photo.jww").string()}, false, out, err);
    if (saved) setenv("TMPDIR", previous.c_str(), 1);
    else unsetenv("TMPDIR");
    EXPECT_EQ(plain, 0) << err.str();
    EXPECT_EQ(withImages, 1);
    EXPECT_NE(err.str().find("cannot extract embedded image 1 into " + Path("plan.jww").string()), std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(std::make_error_code(std::errc::not_a_directory).message()), std::string::npos) << err.str();
}
#endif

// A memo of any length runs past its column instead of padding every other row to it.
TEST_F(CliTest, ListCapsThePadding) {
    DrawingData plan = testing::MakeFloorPlan(600);
    plan.Header.Memo = std::string(100000, 'm');
    ASSERT_TRUE(WriteJww(Path("long.jww"), plan, 600, images_.Path()));
    std::ostringstream out;
    ASSERT_EQ(RunList(folder_.Path().string(), 0, false, out), 0);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_GT(lines[1].size(), 100000u);  // long.jww
    for (const size_t row : {0, 2, 3}) EXPECT_LT(lines[row].size(), 250u) << lines[row];
}

// Blocks that expand beyond what the file's size allows stop the command with an error, and
// no SVG is written.
TEST_F(CliTest, RenderRefusesADrawingThatExpandsBeyondItsLimit) {
    DrawingData d = testing::MakeFloorPlan(600);
    const BlockInsertRecord shown = d.BlockInserts.front();
    auto insert = [&](EntityLists& lists, uint32_t block, double x) {
        BlockInsertRecord r = shown;
        r.BlockNumber = block, r.X = x, r.Y = 0, r.ScaleX = r.ScaleY = 1, r.Angle = 0;
        lists.EntityOrder.push_back({uint32_t(EntityKind::BlockInsert), uint32_t(lists.BlockInserts.size())});
        lists.BlockInserts.push_back(r);
    };
    for (uint32_t n = 100; n < 112; ++n) {
        BlockDefinition& definition = d.BlockDefinitions.emplace_back();
        definition.Number = n;
        EntityLists& members = definition.Members();
        members.EntityOrder.push_back({uint32_t(EntityKind::Line), 0});
        members.Lines.push_back(d.Lines.front());
        for (int i = 0; i < 10; ++i) insert(members, n + 1, i);
    }
    insert(d, 100, 0);
    ASSERT_TRUE(WriteJww(Path("nested.jww"), d, 600, images_.Path()));
    std::ostringstream out, err;
    const RenderCommand command{Path("nested.jww").string(), std::nullopt, false, Path("nested.svg").string()};
    EXPECT_EQ(RunRender(command, out, err), 1);
    EXPECT_NE(err.str().find("nested.jww: the drawing expands beyond "), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(Path("nested.svg")));
}

}  // namespace
}  // namespace tolvane::cli
