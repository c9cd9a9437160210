#include "cli/export_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
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

// The command's wiring: the walk, the lines and the summary, the refusals, the settings.
// What the DXF holds is the writer's business (render/dxf_test.cpp, render/dxf_check.py).
class ExportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(In());
        fs::create_directories(Out());
        ASSERT_TRUE(WriteJww(In() / "plan.jww", tolvane::testing::MakeFloorPlan(600), 600, root.Path()));
        ASSERT_TRUE(WriteJws(In() / "plan.jws", tolvane::testing::MakeFigure(351), 351));
        WriteFile(In() / "notes.txt", std::string("hello"));
        WriteFile(Out() / "plan.dxf", std::string("an older export"));
    }
    fs::path In() const { return root.Path() / "in"; }
    fs::path Out() const { return root.Path() / "out"; }

    int Run(ExportOptions options) {
        out.str("");
        err.str("");
        return RunExport(options, out, err);
    }
    ExportOptions Options(std::vector<std::string> paths, bool json = false) const {
        ExportOptions options;
        options.Destination = Out().string();
        options.Paths = std::move(paths);
        options.Json = json;
        return options;
    }

    TempFolder root;
    std::ostringstream out, err;
};

TEST_F(ExportCommand, ExportsEachFileBesideAnEarlierExportKeptAsBackup) {
    // The drawing given twice: the second export keeps the first as the run's next backup.
    ASSERT_EQ(Run(Options({In().string(), (In() / "plan.jww").string()})), 0) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("exported: " + (In() / "plan.jww").string() + " -> " + (Out() / "plan.dxf").string()),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("named plan.jws.dxf beside the drawing of the same name"), std::string::npos) << text;
    EXPECT_NE(text.find("skipped: " + (In() / "notes.txt").string()), std::string::npos) << text;
    EXPECT_NE(text.find("3 exported, 1 skipped, 0 failed"), std::string::npos) << text;
    EXPECT_EQ(ReadFile(Out() / "plan.BAK"), "an older export");
    EXPECT_EQ(ReadFile(Out() / "plan.1.BAK"), ReadFile(Out() / "plan.dxf"));
    EXPECT_TRUE(ReadFile(Out() / "plan.dxf").starts_with("  0\nSECTION\n"));
    EXPECT_NE(ReadFile(Out() / "plan.jws.dxf").find("AC1021"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(Out()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();  // no part left
}

TEST_F(ExportCommand, JsonLinesVersionAndSettings) {
    ExportOptions options = Options({(In() / "plan.jww").string()}, true);
    options.Version = render::DxfVersion::R2000;
    ASSERT_EQ(Run(options), 0) << err.str();
    std::istringstream lines(out.str());
    std::string line;
    std::vector<nlohmann::json> objects;
    while (std::getline(lines, line)) objects.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0]["result"], "exported");
    EXPECT_EQ(objects[0]["dxfVersion"], 2000);
    EXPECT_EQ(objects[1], (nlohmann::json{{"exported", 1}, {"skipped", 0}, {"failed", 0}}));
    const std::string asItIs = ReadFile(Out() / "plan.dxf");
    EXPECT_NE(asItIs.find("AC1015"), std::string::npos);

    // With settings, the drawing as the conversion would write it: every colour 3 made 7.
    ConversionSettings settings;
    ResetConversionSettings(settings);
    settings.ColorTable[3] = 7;
    const std::string file = (root.Path() / "tables.set").string();
    ASSERT_TRUE(SaveConversionSettings(settings, file));
    options.SettingsFile = file;
    ASSERT_EQ(Run(options), 0) << err.str();
    EXPECT_NE(ReadFile(Out() / "plan.dxf"), asItIs);
}

TEST_F(ExportCommand, EmbeddedImagesGoBesideTheFile) {
    const fs::path images = root.Path() / "images";
    ASSERT_TRUE(WriteJww(In() / "photo.jww", tolvane::testing::MakeFloorPlan(700, images), 700, images));
    ASSERT_EQ(Run(Options({(In() / "photo.jww").string()})), 0) << err.str();
    EXPECT_NE(out.str().find("1 image beside it"), std::string::npos) << out.str();
    EXPECT_TRUE(ReadFile(Out() / "photo.image1.bmp").starts_with("BM"));
    EXPECT_NE(ReadFile(Out() / "photo.dxf").find("photo.image1.bmp"), std::string::npos);
}

// Refused before anything is written, with exit status 2, as a conversion is.
TEST_F(ExportCommand, RefusesToStart) {
    ExportOptions missing = Options({In().string()});
    missing.Destination = (root.Path() / "missing").string();
    EXPECT_EQ(Run(missing), 2);
    EXPECT_NE(err.str().find("指定された保存先フォルダが存在しません。"), std::string::npos) << err.str();
    ExportOptions same = Options({In().string()});
    same.Destination = In().string();
    EXPECT_EQ(Run(same), 2);
    ExportOptions noSettings = Options({In().string()});
    noSettings.SettingsFile = (root.Path() / "none.set").string();
    EXPECT_EQ(Run(noSettings), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(ReadFile(Out() / "plan.dxf"), "an older export");
    EXPECT_FALSE(fs::exists(In() / "plan.dxf"));
}

TEST_F(ExportCommand, AFileThatCannotBeReadFailsAndLeavesNothing) {
    WriteFile(In() / "broken.jww", std::string("JwwData.\x58\x02\x00\x00\x09short"));
    EXPECT_EQ(Run(Options({(In() / "broken.jww").string()})), 1);
    EXPECT_NE(out.str().find("failed: " + (In() / "broken.jww").string()), std::string::npos) << out.str();
    EXPECT_FALSE(fs::exists(Out() / "broken.dxf"));
}

}  // namespace
}  // namespace tolvane::cli
