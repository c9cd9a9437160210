// Replays every input that a fuzz target once failed on (fuzz/regressions/<target>/), and the
// bundled examples, through the target bodies, in the normal and the sanitizer builds.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/targets.h"
#include "testsupport/test_files.h"

namespace tolvane::fuzz {
namespace {

namespace fs = std::filesystem;

fs::path SourceFolder() {
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    return source ? fs::path(source) : fs::path(".");
}

template <class Body>
int Replay(const std::string& target, Body body, std::initializer_list<const char*> exampleExtensions) {
    int inputs = 0;
    auto run = [&](const fs::path& file) {
        const std::string bytes = tolvane::testing::ReadFile(file);
        body(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    };
    const fs::path regressions = SourceFolder() / "fuzz" / "regressions" / target;
    if (fs::is_directory(regressions))
        for (const auto& entry : fs::directory_iterator(regressions)) run(entry.path());
    for (const auto& entry : fs::directory_iterator(SourceFolder() / "examples"))
        for (const char* extension : exampleExtensions)
            if (entry.path().extension() == extension) run(entry.path());
    return inputs;
}

TEST(FuzzRegressions, Replay) {
    EXPECT_GT(Replay("jww_read_fuzz", FuzzJwwRead, {".jww"}), 0);
    EXPECT_GT(Replay("jws_read_fuzz", FuzzJwsRead, {".jws"}), 0);
    EXPECT_GT(Replay("probes_fuzz", FuzzProbes, {".jww", ".jws"}), 0);
    EXPECT_GT(Replay("profile_fuzz", FuzzProfile, {".set"}), 0);
}

}  // namespace
}  // namespace tolvane::fuzz
