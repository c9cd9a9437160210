#include "conversion/conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "conversion/batch.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "settings/settings_file.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/file_size_limit.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// A source folder, a destination folder and an image folder, with sources made by the
// generator; every test checks at the end that no source changed.
class Conversion : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Source());
        fs::create_directories(Destination());
        fs::create_directories(Images());
        ResetConversionSettings(settings);
    }
    void TearDown() override {
        for (const auto& [path, bytes] : sources) EXPECT_EQ(ReadFile(path), bytes) << "source changed: " << path;
    }

    fs::path Source() const { return root.Path() / "source"; }
    fs::path Destination() const { return root.Path() / "destination"; }
    fs::path Images() const { return root.Path() / "images"; }

    fs::path MakeJww(const std::string& name, uint32_t version) {
        DrawingData d = testing::MakeFloorPlan(version, Images());
        const fs::path path = Source() / name;
        EXPECT_TRUE(WriteJww(path, d, version, Images()));
        fs::remove(Images() / "photo.bmp");
        sources[path] = ReadFile(path);
        return path;
    }
    fs::path MakeJws(const std::string& name, uint32_t version) {
        const DrawingData d = testing::MakeFigure(version);
        const fs::path path = Source() / name;
        EXPECT_TRUE(WriteJws(path, d, version));
        sources[path] = ReadFile(path);
        return path;
    }
    fs::path MakeFile(const std::string& name, const std::string& bytes) {
        const fs::path path = Source() / name;
        WriteFile(path, bytes);
        sources[path] = bytes;
        return path;
    }
    ConversionResult Convert(const fs::path& source, const std::string& destinationName = "") {
        ConversionContext context{settings, Images(), {}, nullptr, {}};
        context.Progress = [&](const fs::path& s, const fs::path& d) { progress.push_back(s.string() + "->" + d.string()); };
        return ConvertSelectedFile(context, source, Destination() / (destinationName.empty() ? source.filename().string() : destinationName));
    }
    std::vector<std::string> DestinationNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Destination())) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder root;
    ConversionSettings settings;
    std::map<fs::path, std::string> sources;
    std::vector<std::string> progress;
};

// The pen attributes that differ between two readings of one drawing, counted apart from the
// conversion's own count: colours, line types, widths.
struct PenDifferences {
    size_t Colors = 0, LineTypes = 0, Widths = 0;
};

PenDifferences DifferingPens(const DrawingData& before, const DrawingData& after) {
    PenDifferences d;
    auto compare = [&](const EntityBase& a, const EntityBase& b) {
        d.Colors += a.PenColor != b.PenColor;
        d.LineTypes += a.PenStyle != b.PenStyle;
        d.Widths += a.PenWidth != b.PenWidth;
    };
    auto lists = [&](const EntityLists& a, const EntityLists& b) {
        EXPECT_EQ(a.Lines.size(), b.Lines.size());
        for (size_t i = 0; i < a.Lines.size() && i < b.Lines.size(); ++i) compare(a.Lines[i], b.Lines[i]);
        for (size_t i = 0; i < a.Arcs.size() && i < b.Arcs.size(); ++i) compare(a.Arcs[i], b.Arcs[i]);
        for (size_t i = 0; i < a.Points.size() && i < b.Points.size(); ++i) compare(a.Points[i], b.Points[i]);
        for (size_t i = 0; i < a.Texts.size() && i < b.Texts.size(); ++i) compare(a.Texts[i], b.Texts[i]);
        for (size_t i = 0; i < a.Solids.size() && i < b.Solids.size(); ++i) compare(a.Solids[i], b.Solids[i]);
        for (size_t i = 0; i < a.Dimensions.size() && i < b.Dimensions.size(); ++i) {
            const DimensionRecord &x = a.Dimensions[i], &y = b.Dimensions[i];
            compare(x.DimensionLine, y.DimensionLine);
            compare(x.DimensionText, y.DimensionText);
            compare(x.AuxLine1, y.AuxLine1);
            compare(x.AuxLine2, y.AuxLine2);
            compare(x.Point1, y.Point1);
            compare(x.Point2, y.Point2);
            compare(x.AuxPoint1, y.AuxPoint1);
            compare(x.AuxPoint2, y.AuxPoint2);
        }
    };
    lists(before, after);
    for (size_t i = 0; i < before.BlockDefinitions.size() && i < after.BlockDefinitions.size(); ++i)
        lists(before.BlockDefinitions[i].Members(), after.BlockDefinitions[i].Members());
    return d;
}

TEST_F(Conversion, ConvertsByTheTablesAndCountsTheChanges) {
    settings.ColorTable[3] = 5;  // colour 3 becomes 5
    settings.WidthTable[3] = 50;
    ComputeVersionRaise(settings);
    const fs::path source = MakeJww("plan.jww", 600);
    const ConversionResult result = Convert(source);
    ASSERT_EQ(result.Outcome, ConversionOutcome::Converted) << result.Reason;
    EXPECT_EQ(progress, std::vector<std::string>{source.string() + "->" + (Destination() / "plan.jww").string()});
    DrawingData in, out;
    ASSERT_TRUE(ReadJww(source, in, Images()));
    ASSERT_TRUE(ReadJww(Destination() / "plan.jww", out, Images()));
    const PenDifferences differing = DifferingPens(in, out);
    EXPECT_GT(differing.Colors, 0u);
    EXPECT_EQ(result.ChangedColors, differing.Colors);
    EXPECT_EQ(result.ChangedWidths, differing.Widths);
    EXPECT_EQ(result.ChangedLineTypes, 0u);
    for (const LineRecord& line : out.Lines) EXPECT_NE(line.PenColor, 3);
    EXPECT_EQ(out.Header.FileVersion, 600u);
    // Lower-case extension kept as it is.
    EXPECT_EQ(DestinationNames(), std::vector<std::string>{"plan.jww"});
}

TEST_F(Conversion, RaisesTheVersionAsTheSettingsDemand) {
    settings.ColorTable[1] = 101;
    ComputeVersionRaise(settings);
    ASSERT_EQ(settings.VersionRaise, VersionRaiseLevel::To420);
    const ConversionResult result = Convert(MakeJww("old.JWW", 351));
    ASSERT_EQ(result.Outcome, ConversionOutcome::Converted) << result.Reason;
    EXPECT_EQ(result.VersionRead, 351u);
    EXPECT_EQ(result.VersionWritten, 420u);
    DrawingData out;
    ASSERT_TRUE(ReadJww(Destination() / "old.JWW", out, Images()));
    EXPECT_EQ(out.Header.FileVersion, 420u);
}

// The backups: the existing destination file is kept as ".BAK", and an older ".BAK" goes.
TEST_F(Conversion, KeepsTheDestinationFileAsABackup) {
    const fs::path jww = MakeJww("A.JWW", 600);
    const fs::path jws = MakeJws("A.JWS", 600);
    WriteFile(Destination() / "A.BAK", std::string("very old"));
    WriteFile(Destination() / "A.JWW", std::string("old drawing"));
    WriteFile(Destination() / "A.JWS", std::string("old figure"));
    ASSERT_EQ(Convert(jww).Outcome, ConversionOutcome::Converted);
    EXPECT_EQ(ReadFile(Destination() / "A.BAK"), "old drawing");
    ASSERT_EQ(Convert(jws).Outcome, ConversionOutcome::Converted);
    EXPECT_EQ(ReadFile(Destination() / "A.BAK"), "old figure");  // the second backup replaces the first
    // Converting the same file again: the first output becomes the backup.
    const std::string firstOutput = ReadFile(Destination() / "A.JWW");
    ASSERT_EQ(Convert(jww).Outcome, ConversionOutcome::Converted);
    EXPECT_EQ(ReadFile(Destination() / "A.BAK"), firstOutput);
    EXPECT_EQ(DestinationNames(), (std::vector<std::string>{"A.BAK", "A.JWS", "A.JWW"}));
}

TEST_F(Conversion, BackupPaths) {
    EXPECT_EQ(BackupPathOf("/d/X"), fs::path("/d/X.BAK"));
    EXPECT_EQ(BackupPathOf("/d/a.b.jww"), fs::path("/d/a.b.BAK"));
    EXPECT_EQ(BackupPathOf("/d.x/plan"), fs::path("/d.x/plan.BAK"));
    WriteFile(Destination() / "X", std::string("x"));
    BackupDestination(Destination() / "X");
    EXPECT_EQ(DestinationNames(), std::vector<std::string>{"X.BAK"});
    BackupDestination(Destination() / "missing.jww");  // nothing there: nothing happens
    EXPECT_EQ(DestinationNames(), std::vector<std::string>{"X.BAK"});
}

// What is skipped leaves no trace; a source that cannot be read leaves the destination as it was.
TEST_F(Conversion, SkipsAndFailsWithoutTouchingTheDestination) {
    WriteFile(Destination() / "bad.jww", std::string("keep me"));
    struct Case {
        fs::path Source;
        ConversionOutcome Outcome;
        ConversionProblem Problem;
    };
    const std::vector<Case> cases = {
        {MakeFile("X.JWW", "not a drawing at all"), ConversionOutcome::SkippedNotADrawing, ConversionProblem::NotADrawing},
        {MakeFile("X.JWS", "JwwData.????"), ConversionOutcome::SkippedNotADrawing, ConversionProblem::NotADrawing},
        {MakeFile("notes.txt", "JwwData."), ConversionOutcome::SkippedNotADrawing, ConversionProblem::NotDrawingExtension},
        {MakeFile("noext", "JwwData."), ConversionOutcome::SkippedNotADrawing, ConversionProblem::NotDrawingExtension},
        {Source() / "deleted.jww", ConversionOutcome::SkippedNotADrawing, ConversionProblem::Missing},
        {MakeFile("bad.jww", "JwwData.\x58\x02\x00\x00\x05" "ab"), ConversionOutcome::FailedRead, ConversionProblem::ReadFailed},
    };
    for (const Case& c : cases) {
        const ConversionResult result = Convert(c.Source);
        EXPECT_EQ(result.Outcome, c.Outcome) << c.Source;
        EXPECT_EQ(result.Problem, c.Problem) << c.Source;
        EXPECT_FALSE(result.Reason.empty()) << c.Source;
    }
    EXPECT_EQ(DestinationNames(), std::vector<std::string>{"bad.jww"});
    EXPECT_EQ(ReadFile(Destination() / "bad.jww"), "keep me");
}

// A read that fails part-way through the image section leaves the images already extracted.
TEST_F(Conversion, AFailedReadLeavesExtractedImages) {
    DrawingData d = testing::MakeFloorPlan(700, Images());
    d.EmbeddedImageList.push_back({"second.bmp", 4, "image2.bmp"});
    WriteFile(Images() / "image2.bmp", std::string("BMxx"));
    d.Texts[1].Text = "^@BM%temp%second.bmp,1,1";
    MemorySink sink;
    WriteJwwTo(sink, d, 700, Images());
    fs::remove(Images() / "image1.bmp");
    fs::remove(Images() / "image2.bmp");
    std::string bytes(sink.bytes.begin(), sink.bytes.end() - 2);  // the second image cut short
    const ConversionResult result = Convert(MakeFile("cut.jww", bytes));
    EXPECT_EQ(result.Outcome, ConversionOutcome::FailedRead);
    EXPECT_TRUE(fs::exists(Images() / "image1.bmp"));
    EXPECT_TRUE(fs::is_empty(Destination()));
}

// Images extracted for a version-700 drawing are gone after its conversion, written or not.
TEST_F(Conversion, RemovesExtractedImagesAfterTheWrite) {
    const fs::path source = MakeJww("photo.jww", 700);
    ASSERT_EQ(Convert(source).Outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(fs::is_empty(Images()));
    DrawingData out;
    ASSERT_TRUE(ReadJww(Destination() / "photo.jww", out, Images()));
    EXPECT_EQ(out.EmbeddedImageList.size(), 1u);
    fs::remove_all(Images());
    fs::create_directories(Images());

    if (!testing::FileSizeLimit::Supported()) return;
    WriteFile(Destination() / "photo.jww", std::string("previous"));
    fs::remove(Destination() / "photo.BAK");
    ConversionResult failed;
    {
        testing::FileSizeLimit limit(4096);
        failed = Convert(source);
    }
    EXPECT_EQ(failed.Outcome, ConversionOutcome::FailedWrite);
    EXPECT_TRUE(fs::is_empty(Images()));
}

// A write that fails leaves the destination as it was: no output, no backup, no temporary file.
TEST_F(Conversion, AFailedWriteLeavesTheDestinationAsItWas) {
    if (!testing::FileSizeLimit::Supported()) GTEST_SKIP() << "no file-size limits here";
    const fs::path source = MakeJww("A.JWW", 600);
    WriteFile(Destination() / "A.JWW", std::string("previous"));
    ConversionResult result;
    {
        testing::FileSizeLimit limit(4096);
        result = Convert(source);
    }
    EXPECT_EQ(result.Outcome, ConversionOutcome::FailedWrite);
    EXPECT_FALSE(result.Reason.empty());
    EXPECT_TRUE(result.Backup.empty());
    EXPECT_EQ(DestinationNames(), std::vector<std::string>{"A.JWW"});
    EXPECT_EQ(ReadFile(Destination() / "A.JWW"), "previous");
}

// Within one run a backup never replaces one the run made: A.JWW and A.JWS share A.BAK, and a
// file converted twice backs up its first output. An A.BAK of an earlier run is replaced as
// always; a numbered one is passed over.
TEST_F(Conversion, BackupsOfOneRunNeverReplaceEachOther) {
    const fs::path jww = MakeJww("A.JWW", 600);
    const fs::path jws = MakeJws("A.JWS", 600);
    WriteFile(Destination() / "A.BAK", std::string("earlier run"));
    WriteFile(Destination() / "A.1.BAK", std::string("earlier numbered"));
    WriteFile(Destination() / "A.JWW", std::string("old drawing"));
    WriteFile(Destination() / "A.JWS", std::string("old figure"));
    RunBackups run;
    ConversionContext context{settings, Images(), {}, &run, {}};
    auto convert = [&](const fs::path& source) {
        const ConversionResult result = ConvertSelectedFile(context, source, Destination() / source.filename());
        EXPECT_EQ(result.Outcome, ConversionOutcome::Converted) << result.Reason;
        return result.Backup.filename().string();
    };
    EXPECT_EQ(convert(jww), "A.BAK");
    EXPECT_EQ(convert(jws), "A.2.BAK");
    const std::string firstOutput = ReadFile(Destination() / "A.JWW");
    const ConversionResult again = ConvertSelectedFile(context, jww, Destination() / "A.JWW");
    EXPECT_EQ(again.Backup, Destination() / "A.3.BAK");
    EXPECT_NE(DescribeResult(again).find("kept as A.3.BAK"), std::string::npos) << DescribeResult(again);
    EXPECT_EQ(ReadFile(Destination() / "A.BAK"), "old drawing");
    EXPECT_EQ(ReadFile(Destination() / "A.1.BAK"), "earlier numbered");
    EXPECT_EQ(ReadFile(Destination() / "A.2.BAK"), "old figure");
    EXPECT_EQ(ReadFile(Destination() / "A.3.BAK"), firstOutput);
    EXPECT_EQ(DestinationNames(), (std::vector<std::string>{"A.1.BAK", "A.2.BAK", "A.3.BAK", "A.BAK", "A.JWS", "A.JWW"}));
}

// Nothing is written where the existing file could not be kept: a folder of that name.
TEST_F(Conversion, NeverDestroysWhatCannotBeBackedUp) {
    const fs::path source = MakeJww("A.JWW", 600);
    fs::create_directory(Destination() / "A.JWW");
    WriteFile(Destination() / "A.JWW" / "inside.txt", std::string("x"));
    const ConversionResult inTheWay = Convert(source);
    EXPECT_EQ(inTheWay.Outcome, ConversionOutcome::FailedWrite);
    EXPECT_EQ(inTheWay.Problem, ConversionProblem::DestinationInTheWay);
    EXPECT_EQ(ReadFile(Destination() / "A.JWW" / "inside.txt"), "x");
    // The destination being the source itself is refused.
    ConversionContext context{settings, Images(), {}, nullptr, {}};
    const ConversionResult itself = ConvertSelectedFile(context, source, Source() / "." / "A.JWW");
    EXPECT_EQ(itself.Outcome, ConversionOutcome::FailedWrite);
    EXPECT_EQ(itself.Problem, ConversionProblem::DestinationIsSource);
}

// Faults during a run: each file gets its outcome, nothing half-written stays, and the run
// goes on.
TEST_F(Conversion, FaultsDuringARun) {
    const fs::path first = MakeJww("1.jww", 600);
    const fs::path second = MakeJww("2.jww", 600);
    // The destination disappears after the first file.
    ConversionContext context{settings, Images(), {}, nullptr, {}};
    int calls = 0;
    context.Progress = [&](const fs::path&, const fs::path&) {
        if (++calls == 2) fs::remove_all(Destination());
    };
    EXPECT_EQ(ConvertSelectedFile(context, first, Destination() / "1.jww").Outcome, ConversionOutcome::Converted);
    const ConversionResult gone = ConvertSelectedFile(context, second, Destination() / "2.jww");
    EXPECT_EQ(gone.Outcome, ConversionOutcome::FailedWrite);
    EXPECT_FALSE(fs::exists(Destination()));
    fs::create_directories(Destination());

    // The image folder cannot be used: a drawing with images cannot be read, and nothing is written.
    const fs::path photo = MakeJww("photo.jww", 700);
    fs::remove_all(Images());
    WriteFile(Images(), std::string("a file where the image folder should be"));
    EXPECT_EQ(Convert(photo).Outcome, ConversionOutcome::FailedRead);
    EXPECT_TRUE(fs::is_empty(Destination()));
    fs::remove(Images());
    fs::create_directories(Images());

    // A source that changed after it was listed: cut short, or no longer a drawing.
    const fs::path cut = MakeJww("cut.jww", 600);
    const std::string whole = ReadFile(cut);
    WriteFile(cut, whole.substr(0, whole.size() / 2));
    sources[cut] = ReadFile(cut);
    WriteFile(Destination() / "cut.jww", std::string("previous"));
    EXPECT_EQ(Convert(cut).Outcome, ConversionOutcome::FailedRead);
    EXPECT_EQ(ReadFile(Destination() / "cut.jww"), "previous");
    WriteFile(cut, std::string("plain text now"));
    sources[cut] = ReadFile(cut);
    EXPECT_EQ(Convert(cut).Outcome, ConversionOutcome::SkippedNotADrawing);
    EXPECT_EQ(DestinationNames(), std::vector<std::string>{"cut.jww"});
}

TEST_F(Conversion, ChecksOfTheRun) {
    const std::vector<fs::path> folders = {Source()};
    EXPECT_EQ(CheckRunInputs(settings, "", folders).Check, RunCheckNumber::NoDestination);
    EXPECT_EQ(CheckRunInputs(settings, (root.Path() / "missing").string(), folders).Check, RunCheckNumber::DestinationMissing);
    EXPECT_EQ(CheckRunInputs(settings, Source().string(), folders).Check, RunCheckNumber::SameFolder);
    // The same folder by another spelling or through a link is the same folder.
    EXPECT_EQ(CheckRunInputs(settings, (Source() / "." / "").string(), folders).Check, RunCheckNumber::SameFolder);
    EXPECT_EQ(CheckRunInputs(settings, (Destination() / ".." / "source").string(), folders).Check, RunCheckNumber::SameFolder);
    std::error_code noLinks;  // Wine makes no symbolic links
    fs::create_directory_symlink(Source(), root.Path() / "link", noLinks);
    if (!noLinks) {
        EXPECT_EQ(CheckRunInputs(settings, (root.Path() / "link").string(), folders).Check, RunCheckNumber::SameFolder);
    }
#ifdef _WIN32
    // Names match without regard to letter case: another case is the same folder.
    std::string upper = Source().string();
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    ASSERT_NE(upper, Source().string());
    EXPECT_EQ(CheckRunInputs(settings, upper, folders).Check, RunCheckNumber::SameFolder);
    EXPECT_TRUE(IsSameFolder(upper, Source()));
#endif
    EXPECT_EQ(CheckRunInputs(settings, Destination().string(), folders).Check, RunCheckNumber::Passed);
    settings.ConversionMode = ConversionModeKind::Combined;
    const RunRefusal noRule = CheckRunInputs(settings, Destination().string(), folders);
    EXPECT_EQ(noRule.Check, RunCheckNumber::NoRule);
    EXPECT_EQ(noRule.Message, "[線色線種・組合せ変換] 変換指定が行われていません。");
    settings.Rules[9].Enabled = true;
    EXPECT_EQ(CheckRunInputs(settings, Destination().string(), folders).Check, RunCheckNumber::Passed);
}

TEST_F(Conversion, CombinedModeAppliesTheRules) {
    settings.ConversionMode = ConversionModeKind::Combined;
    settings.Rules[0] = {true, 2, 0, 5, 3, 20, 0, 0};  // colour 3, line type 1 -> colour 5, line type 3, width 20
    ComputeVersionRaise(settings);
    ResolveRuleSources(settings);
    const ConversionResult result = Convert(MakeJws("figure.jws", 420));
    ASSERT_EQ(result.Outcome, ConversionOutcome::Converted) << result.Reason;
    DrawingData out;
    ASSERT_TRUE(ReadJws(Destination() / "figure.jws", out));
    size_t matched = 0;
    for (const LineRecord& line : out.Lines) {
        EXPECT_FALSE(line.PenColor == 3 && line.PenStyle == 1);
        if (line.PenColor == 5 && line.PenStyle == 3 && line.PenWidth == 20) ++matched;
    }
    EXPECT_GT(matched, 0u);
    EXPECT_EQ(result.ChangedColors, matched);
}

}  // namespace
}  // namespace tolvane

namespace tolvane {
namespace {

// Every string of a drawing, in file order, for comparing a conversion's output with its source.
std::vector<ArchiveString> StringsOf(const DrawingData& d) {
    std::vector<ArchiveString> strings = {d.Header.Memo};
    for (const LayerGroupInfo& g : d.Header.LayerGroups)
        for (const LayerInfo& l : g.Layers) strings.push_back(l.Name);
    for (const LayerGroupInfo& g : d.Header.LayerGroups) strings.push_back(g.Name);
    for (const TextRecord& t : d.Texts) strings.insert(strings.end(), {t.FontName, t.Text});
    for (const BlockDefinition& b : d.BlockDefinitions) strings.push_back(b.Name);
    return strings;
}

// Drawings of a current CAD version convert as byte-string drawings do: the pens follow the
// delivery settings, a raise to 4.20 adds SXF names in the drawing's form, and every string
// comes back in its own form, characters that Shift-JIS lacks included.
TEST(WideStringConversion, ConvertsWithTheDeliverySettings) {
    const char* sourceDir = std::getenv("TOLVANE_SOURCE_DIR");
    if (!sourceDir) GTEST_SKIP() << "TOLVANE_SOURCE_DIR is not set";
    ConversionSettings settings;
    ASSERT_TRUE(LoadConversionSettings(settings, std::string(sourceDir) + "/examples/sxf-delivery.set").empty());
    TempFolder root;
    std::vector<fs::path> sources;
    DrawingData plan = testing::MakeFloorPlan(351);
    testing::MakeStringsWide(plan);
    plan.Texts[0].Text = ArchiveString::Wide(u"\U00020BB7\U0001F600\u2460\uD55C\u6C49");
    sources.push_back(root.Path() / "plan-351-wide.jww");
    ASSERT_TRUE(WriteJww(sources.back(), plan, 351, root.Path()));
    if (const fs::path corpus = testing::CorpusFolder("jww-wide-strings"); !corpus.empty())
        for (const auto& entry : fs::directory_iterator(corpus)) sources.push_back(entry.path());

    fs::create_directories(root.Path() / "out");
    for (const fs::path& source : sources) {
        SCOPED_TRACE(source.string());
        ConversionContext context{settings, root.Path() / "images", {}, nullptr, {}};
        const fs::path destination = root.Path() / "out" / source.filename();
        ASSERT_EQ(ConvertSelectedFile(context, source, destination).Outcome, ConversionOutcome::Converted);
        DrawingData before, after;
        ASSERT_TRUE(ReadJww(source, before, root.Path() / "images"));
        ASSERT_TRUE(ReadJww(destination, after, root.Path() / "images"));
        EXPECT_EQ(after.Strings, StringForm::Wide);
        EXPECT_EQ(StringsOf(after), StringsOf(before));
        EXPECT_GE(after.Header.FileVersion, 420u);
        if (before.Header.FileVersion < 420) {
            EXPECT_EQ(after.Header.SxfPens[5].Name, ArchiveString::Empty(StringForm::Wide));
        }
        ASSERT_EQ(after.Lines.size(), before.Lines.size());
        for (size_t i = 0; i < before.Lines.size(); ++i) {
            const LineRecord& was = before.Lines[i];
            const LineRecord& is = after.Lines[i];
            if (was.PenColor >= 1 && was.PenColor <= 9 && settings.ColorTable[was.PenColor] != 0) {
                EXPECT_EQ(is.PenColor, settings.ColorTable[was.PenColor]) << i;
            }
            if (was.PenStyle >= 1 && was.PenStyle <= 9 && settings.LineTypeTable[was.PenStyle] != 0) {
                EXPECT_EQ(is.PenStyle, settings.LineTypeTable[was.PenStyle]) << i;
            }
        }
    }
}

}  // namespace
}  // namespace tolvane
