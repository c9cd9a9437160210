// Throughput of the JWW reader and writer on a synthetic drawing of about 50 MB, written to a
// temporary file once. Reports bytes per second of the file (read, and read plus write).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "formats/jww.h"
#include "testsupport/drawing_generator.h"

namespace {

namespace fs = std::filesystem;

struct Fixture {
    fs::path folder = fs::temp_directory_path() / "tolvane-format-bench";
    fs::path file = folder / "large.jww";
    fs::path output = folder / "out.jww";
    fs::path images = folder / "images";
    uint64_t size = 0;

    Fixture() {
        fs::create_directories(images);
        tolvane::DrawingData d = tolvane::testing::MakeLargeDrawing(600, 50'000'000);
        if (!tolvane::WriteJww(file, d, 600, images)) throw std::runtime_error("cannot write the drawing");
        size = fs::file_size(file);
    }
    ~Fixture() { fs::remove_all(folder); }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_ReadJww(benchmark::State& state) {
    Fixture& f = Data();
    tolvane::DrawingData d;
    for (auto _ : state) {
        if (!tolvane::ReadJww(f.file, d, f.images)) state.SkipWithError("read failed");
        d.Release();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size));
    state.counters["fileMB"] = static_cast<double>(f.size) / 1e6;
}

void BM_ReadAndWriteJww(benchmark::State& state) {
    Fixture& f = Data();
    tolvane::DrawingData d;
    for (auto _ : state) {
        if (!tolvane::ReadJww(f.file, d, f.images)) state.SkipWithError("read failed");
        if (!tolvane::WriteJww(f.output, d, 600, f.images)) state.SkipWithError("write failed");
        d.Release();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size));
}

// The baseline for the same command: copying the file with the standard library.
void BM_CopyFile(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) fs::copy_file(f.file, f.output, fs::copy_options::overwrite_existing);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size));
}

BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadJww)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadAndWriteJww)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
