#include "formats/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
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
    std::sort(names.begin(), names.end());
    return names;
}

void Put(ByteSink& sink, const std::string& text) {
    sink.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// While an output is written the destination keeps its old file; a write that fails, or a
// folder in the way, leaves everything as it was, with the system's reason and no temporary
// file behind.
TEST(AtomicFile, ReplacesTheFileOnlyWhenTheNewOneIsComplete) {
    TempFolder folder;
    const fs::path target = folder.Path() / "plan.jww";
    WriteFile(target, std::string("old"));
    fs::create_directory(folder.Path() / "taken.svg");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(target, [&](ByteSink& sink) {
        Put(sink, "half of the new");
        throw ArchiveError("disk full");
    }, &error));
    EXPECT_EQ(error, "disk full");
    EXPECT_FALSE(WriteStreamAtomically(folder.Path() / "taken.svg", [](std::ostream& out) { out << "svg"; }, &error));
    EXPECT_NE(error.find("taken.svg: "), std::string::npos) << error;
    EXPECT_FALSE(WriteStreamAtomically(folder.Path() / "missing" / "out.svg", [](std::ostream&) {}, &error));
    EXPECT_NE(error.find(std::make_error_code(std::errc::no_such_file_or_directory).message()), std::string::npos);
    EXPECT_EQ(NamesIn(folder.Path()), (std::vector<std::string>{"plan.jww", "taken.svg"}));
    EXPECT_TRUE(fs::is_directory(folder.Path() / "taken.svg"));

    EXPECT_TRUE(WriteFileAtomically(target, [&](ByteSink& sink) {
        Put(sink, "new");
        EXPECT_EQ(ReadFile(target), "old");
    }, &error));
    EXPECT_EQ(ReadFile(target), "new");
}

}  // namespace
}  // namespace tolvane
