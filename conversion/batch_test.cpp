#include "conversion/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "formats/jws.h"
#include "formats/jww.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::map<std::string, std::string> FilesOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = ReadFile(entry.path());
    return files;
}

class Batch : public ::testing::Test {
protected:
    Batch() {
        fs::create_directories(In());
        fs::create_directories(root.Path() / "images");
        ResetConversionSettings(settings);
        settings.ColorTable[3] = 5;
        settings.VersionRaise = VersionRaiseLevel::To351;
    }
    fs::path In() const { return root.Path() / "in"; }

    void Jww(const std::string& name, uint32_t version) {
        DrawingData d = testing::MakeFloorPlan(version, root.Path() / "images");
        ASSERT_TRUE(WriteJww(In() / name, d, version, root.Path() / "images"));
        fs::remove(root.Path() / "images" / "photo.bmp");
    }

    // A destination folder holding older files of some of the names, as a second delivery finds it.
    fs::path FreshDestination(const std::string& name) {
        const fs::path folder = root.Path() / name;
        fs::create_directories(folder);
        WriteFile(folder / "A.jww", std::string("older A.jww"));
        WriteFile(folder / "A.jws", std::string("older A.jws"));
        return folder;
    }

    std::vector<BatchFile> Selection(const fs::path& destination, const std::vector<std::string>& names) const {
        std::vector<BatchFile> files;
        for (const std::string& name : names) files.push_back({In() / name, destination / name});
        return files;
    }

    TempFolder root;
    ConversionSettings settings;
};

// Every number of workers leaves the destination exactly as one worker does, reports the
// results in selection order, and carries on past files that fail.
TEST_F(Batch, AnyNumberOfWorkersGivesTheSerialResultInSelectionOrder) {
    Jww("A.jww", 600);
    ASSERT_TRUE(WriteJws(In() / "A.jws", testing::MakeFigure(351), 351));
    Jww("B.jww", 420);
    Jww("photo.jww", 700);  // extracts its images while it is converted
    for (int n = 0; n < 6; ++n) Jww("p" + std::to_string(n) + ".jww", 351);
    const std::string whole = ReadFile(In() / "p5.jww");
    WriteFile(In() / "cut.jww", whole.substr(0, whole.size() / 2));
    WriteFile(In() / "fake.jww", std::string("not a drawing"));
    const std::vector<std::string> names = {"A.jww", "p0.jww", "B.jww", "cut.jww", "A.jws", "p1.jww", "B.jww", "photo.jww",
                                            "fake.jww", "p2.jww", "p3.jww", "p4.jww", "p5.jww", "B.jww"};
    const std::vector<ConversionOutcome> expected = [&] {
        std::vector<ConversionOutcome> outcomes(names.size(), ConversionOutcome::Converted);
        outcomes[3] = ConversionOutcome::FailedRead;
        outcomes[8] = ConversionOutcome::SkippedNotADrawing;
        return outcomes;
    }();

    std::map<std::string, std::string> serial;
    for (const unsigned jobs : {1u, 2u, 4u}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        const fs::path destination = FreshDestination("out" + std::to_string(jobs));
        const fs::path images = root.Path() / ("images" + std::to_string(jobs));
        std::vector<size_t> reported;
        BatchOptions options;
        options.Jobs = jobs;
        options.ImageFolder = images;
        options.Reported = [&](size_t index, const ConversionResult&, size_t finished) {
            reported.push_back(index);
            EXPECT_GE(finished, reported.size());
        };
        const std::vector<ConversionResult> results = ConvertBatch(settings, Selection(destination, names), options);

        ASSERT_EQ(results.size(), names.size());
        for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(results[i].Outcome, expected[i]) << names[i];
        std::vector<size_t> inOrder(names.size());
        for (size_t i = 0; i < inOrder.size(); ++i) inOrder[i] = i;
        EXPECT_EQ(reported, inOrder);

        const std::map<std::string, std::string> files = FilesOf(destination);
        // A.jws was converted after A.jww, so its backup takes the next name; B.jww given
        // three times backs up its first and its second output.
        EXPECT_EQ(files.at("A.BAK"), "older A.jww");
        EXPECT_EQ(files.at("A.1.BAK"), "older A.jws");
        EXPECT_EQ(files.at("B.BAK"), files.at("B.jww"));
        EXPECT_EQ(files.at("B.1.BAK"), files.at("B.jww"));
        if (jobs == 1) {
            serial = files;
        } else {
            EXPECT_EQ(files, serial);
        }
        // The workers' image folders are gone, and so is every extracted image.
        EXPECT_TRUE(fs::is_empty(images));
    }
}

// A stop lets the files being converted finish and starts no other; those are reported as
// stopped and leave nothing at the destination.
TEST_F(Batch, AStopStartsNoFurtherFile) {
    std::vector<std::string> names;
    for (int n = 0; n < 8; ++n) {
        names.push_back("p" + std::to_string(n) + ".jww");
        Jww(names.back(), 420);
    }
    for (const unsigned jobs : {1u, 2u}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        const fs::path destination = root.Path() / ("out" + std::to_string(jobs));
        fs::create_directories(destination);
        std::atomic<bool> stop = false;
        BatchOptions options;
        options.Jobs = jobs;
        options.ImageFolder = root.Path() / "images";
        options.Stop = &stop;
        std::mutex startedLock;
        std::vector<size_t> started;
        // With two workers, the worker of file 0 holds until file 1 has started and stopped
        // the run, so that it cannot take a third file first: both files are in flight when
        // the stop comes, and no other file may start.
        std::promise<void> secondStarted;
        const std::shared_future<void> latch = secondStarted.get_future().share();
        options.Started = [&](size_t index, size_t) {
            {
                const std::lock_guard lock(startedLock);
                started.push_back(index);
            }
            if (index == 1) {
                stop = true;
                secondStarted.set_value();
            } else if (index == 0 && jobs == 2) {
                latch.wait();
            }
        };
        const std::vector<ConversionResult> results = ConvertBatch(settings, Selection(destination, names), options);

        ASSERT_EQ(results.size(), names.size());
        std::sort(started.begin(), started.end());
        EXPECT_EQ(started, (std::vector<size_t>{0, 1}));
        const BatchCounts counts = CountOutcomes(results);
        EXPECT_EQ(counts.Converted, 2u);
        EXPECT_EQ(counts.Stopped, names.size() - 2);
        for (size_t i = 0; i < names.size(); ++i) {
            const bool converted = results[i].Outcome == ConversionOutcome::Converted;
            EXPECT_EQ(converted, i < 2) << names[i];
            EXPECT_EQ(fs::exists(destination / names[i]), converted) << names[i];
            if (!converted) {
                EXPECT_EQ(std::string(OutcomeName(results[i].Outcome)), "stopped");
            }
        }
    }
}

TEST(BatchWords, DescribeResultNamesWhatChangedOrWhy) {
    ConversionResult converted;
    converted.Outcome = ConversionOutcome::Converted;
    converted.ChangedColors = 3;
    converted.VersionRead = 351;
    converted.VersionWritten = 420;
    ConversionResult unread;
    unread.Outcome = ConversionOutcome::FailedRead;
    unread.Reason = "the file ends early";
    ConversionResult stopped;
    stopped.Outcome = ConversionOutcome::Stopped;
    stopped.Reason = "not started";
    EXPECT_EQ(DescribeResult(converted), "3 colours, 0 line types, 0 widths changed; version 351 raised to 420");
    EXPECT_EQ(DescribeResult(unread), "could not be read: the file ends early");
    EXPECT_EQ(DescribeResult(stopped), "not started");
    EXPECT_EQ(std::string(OutcomeName(ConversionOutcome::FailedWrite)), "failed");
    // A dry run says what would happen.
    converted.DryRun = true;
    converted.Backup = "out/a.BAK";
    EXPECT_EQ(DescribeResult(converted),
              "3 colours, 0 line types, 0 widths would change; version 351 would be raised to 420; the file there would be "
              "kept as a.BAK");
    EXPECT_EQ(std::string(OutcomeName(converted)), "would convert");
    unread.DryRun = true;
    EXPECT_EQ(std::string(OutcomeName(unread)), "failed");
}

}  // namespace
}  // namespace tolvane
