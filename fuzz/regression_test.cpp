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

struct Replayed {
    int Regressions = 0;
    int Examples = 0;
};

template <class Body>
Replayed Replay(const std::string& target, Body body, std::initializer_list<const char*> exampleExtensions) {
    Replayed replayed;
    auto run = [&](const fs::path& file, int& count) {
        const std::string bytes = tolvane::testing::ReadFile(file);
        body(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++count;
    };
    // A folder that is missing or misspelt must fail the test, not replay nothing.
    const fs::path regressions = SourceFolder() / "fuzz" / "regressions" / target;
    if (fs::is_directory(regressions))
        for (const auto& entry : fs::directory_iterator(regressions)) run(entry.path(), replayed.Regressions);
    for (const auto& entry : fs::directory_iterator(SourceFolder() / "examples"))
        for (const char* extension : exampleExtensions)
            if (entry.path().extension() == extension) run(entry.path(), replayed.Examples);
    return replayed;
}

TEST(FuzzRegressions, Replay) {
    const Replayed jww = Replay("jww_read_fuzz", FuzzJwwRead, {".jww"});
    const Replayed jws = Replay("jws_read_fuzz", FuzzJwsRead, {".jws"});
    const Replayed probes = Replay("probes_fuzz", FuzzProbes, {".jww", ".jws"});
    const Replayed profile = Replay("profile_fuzz", FuzzProfile, {".set"});
    for (const Replayed& r : {jww, jws, probes, profile}) {
        EXPECT_GT(r.Regressions, 0);
        EXPECT_GT(r.Examples, 0);
    }
}

}  // namespace
}  // namespace tolvane::fuzz
