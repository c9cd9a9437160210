// Display list plus SVG for the largest drawing of the real corpus and for a synthetic drawing
// of about 50 MB, each read from its file once. Reports the file size and the memory the
// display list takes. `render_bench --write-large FILE` only writes the synthetic drawing, for
// timing the command line and its memory with /usr/bin/time.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <streambuf>
#include <unordered_set>

#include "formats/jww.h"
#include "render/render.h"
#include "render/svg.h"
#include "testsupport/drawing_generator.h"

namespace {

namespace fs = std::filesystem;
using namespace tolvane;

// Counts the SVG's bytes and keeps none, so that the time is the renderer's.
class CountingBuffer : public std::streambuf {
public:
    uint64_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        bytes += static_cast<uint64_t>(n);
        return n;
    }
    int overflow(int c) override {
        ++bytes;
        return c;
    }
};

size_t ListBytes(const render::DisplayList& list) {
    size_t bytes = list.Items.capacity() * sizeof(render::DisplayItem) +
                   list.Points.capacity() * sizeof(render::PaperPoint) + list.Arcs.capacity() * sizeof(render::ArcShape) +
                   list.Texts.capacity() * sizeof(render::TextShape);
    std::unordered_set<const void*> shared;
    for (const render::TextShape& t : list.Texts)
        if (t.Text.Identity() == nullptr || shared.insert(t.Text.Identity()).second) bytes += t.Text.size();
    return bytes;
}

struct Drawing {
    DrawingData Data;
    uint64_t FileBytes = 0;
    bool Ok = false;
};

Drawing ReadDrawing(const fs::path& file, const fs::path& images) {
    Drawing d;
    d.Ok = ReadJww(file, d.Data, images);
    DeleteExtractedImages(d.Data, images);
    d.FileBytes = fs::file_size(file);
    return d;
}

const fs::path& Folder() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / "tolvane-render-bench";
        fs::create_directories(p / "images");
        return p;
    }();
    return folder;
}

Drawing& Largest() {
    static Drawing d = [] {
        fs::path largest;
        std::error_code error;
        for (const char* sub : {"jww", "jww-wide-strings"}) {
            for (const auto& entry : fs::directory_iterator(fs::path(TOLVANE_CORPUS_DIR) / sub, error))
                if (largest.empty() || entry.file_size() > fs::file_size(largest)) largest = entry.path();
        }
        if (largest.empty()) return Drawing{};
        return ReadDrawing(largest, Folder() / "images");
    }();
    return d;
}

Drawing& Large() {
    static Drawing d = [] {
        const fs::path file = Folder() / "large.jww";
        if (!WriteJww(file, testing::MakeLargeDrawing(600, 50'000'000), 600, Folder() / "images")) return Drawing{};
        Drawing read = ReadDrawing(file, Folder() / "images");
        fs::remove(file);
        return read;
    }();
    return d;
}

void Render(benchmark::State& state, Drawing& d) {
    if (!d.Ok) {
        state.SkipWithError("no drawing (corpus absent, or the file cannot be read)");
        return;
    }
    size_t listBytes = 0, items = 0;
    uint64_t svgBytes = 0;
    for (auto _ : state) {
        const render::DisplayList list = render::BuildDisplayList(d.Data, render::DrawingFormat::Jww);
        CountingBuffer counter;
        std::ostream svg(&counter);
        render::WriteSvg(list, svg);
        listBytes = ListBytes(list);
        items = list.Items.size();
        svgBytes = counter.bytes;
    }
    state.counters["fileMB"] = static_cast<double>(d.FileBytes) / 1e6;
    state.counters["listMB"] = static_cast<double>(listBytes) / 1e6;
    state.counters["svgMB"] = static_cast<double>(svgBytes) / 1e6;
    state.counters["shapes"] = static_cast<double>(items);
}

void BM_RenderLargestCorpusDrawing(benchmark::State& state) { Render(state, Largest()); }
void BM_Render50MegabyteDrawing(benchmark::State& state) { Render(state, Large()); }

BENCHMARK(BM_RenderLargestCorpusDrawing)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Render50MegabyteDrawing)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-large") == 0) {
        const fs::path images = fs::path(argv[2]).parent_path() / ".images";
        fs::create_directories(images);
        const bool written = WriteJww(argv[2], testing::MakeLargeDrawing(600, 50'000'000), 600, images);
        std::cout << (written ? "written: " : "cannot write: ") << argv[2] << '\n';
        return written ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(Folder());
    return 0;
}
