#include "formats/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testsupport/test_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

void Put(ByteSink& sink, const std::string& text) {
    sink.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// While an output is written the destination keeps its old file; a write that fails leaves it
// so, and no temporary file stays behind.
TEST(AtomicFile, ReplacesTheFileOnlyWhenTheNewOneIsComplete) {
    TempFolder folder;
    const fs::path target = folder.Path() / "plan.jww";
    WriteFile(target, std::string("old"));
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(target, [&](ByteSink& sink) {
        Put(sink, "half of the new");
        throw ArchiveError("disk full");
    }, &error));
    EXPECT_EQ(error, "disk full");
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"plan.jww"});

    EXPECT_TRUE(WriteFileAtomically(target, [&](ByteSink& sink) {
        Put(sink, "new");
        EXPECT_EQ(ReadFile(target), "old");
    }, &error));
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_TRUE(WriteStreamAtomically(target, [](std::ostream& out) { out << "newer"; }, &error));
    EXPECT_EQ(ReadFile(target), "newer");
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"plan.jww"});
}

// A folder that cannot take the output, and a folder in the way, fail with the system's reason
// and leave nothing.
TEST(AtomicFile, FailsWithTheReason) {
    TempFolder folder;
    fs::create_directory(folder.Path() / "taken.svg");
    WriteFile(folder.Path() / "taken.svg" / "inside", std::string("x"));
    auto write = [](std::ostream& out) { out << "svg"; };
    std::string error;
    EXPECT_FALSE(WriteStreamAtomically(folder.Path() / "missing" / "out.svg", write, &error));
    EXPECT_NE(error.find(std::make_error_code(std::errc::no_such_file_or_directory).message()), std::string::npos)
        << error;
    EXPECT_FALSE(WriteStreamAtomically(folder.Path() / "taken.svg", write, &error));
    EXPECT_NE(error.find("taken.svg"), std::string::npos) << error;
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"taken.svg"});
    EXPECT_EQ(ReadFile(folder.Path() / "taken.svg" / "inside"), "x");
}

}  // namespace
}  // namespace tolvane
