// Times the preview of a drawing: the largest drawing of the corpus (or the file given), made
// as the preview's worker makes it (RenderPreview: read, converted with the default settings,
// the three display lists and the legend) and painted with GDI+ into an off-screen bitmap of
// 1000 × 700 pixels, fitted as the pane fits it. The baseline in the same run is the making of
// its display list alone (reading excluded), which render_bench measures on Linux. Best of ten
// runs each.
//
//   win32_paint_bench.exe [FILE]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "formats/utf8_path.h"
#include "frontend/preview.h"
#include "render/read_drawing.h"
#include "render/render.h"
#include "win32/gdiplus_painter.h"

namespace fs = std::filesystem;
using namespace tolvane;

namespace {

fs::path LargestDrawing(const fs::path& corpus) {
    fs::path largest;
    uintmax_t size = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(corpus, error), end; !error && it != end; it.increment(error)) {
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension != ".jww" || !it->is_regular_file(error)) continue;
        if (it->file_size(error) > size) {
            size = it->file_size(error);
            largest = it->path();
        }
    }
    return largest;
}

template <typename Work>
double BestMilliseconds(Work work) {
    double best = 1e30;
    for (int run = 0; run < 10; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const char* corpus = std::getenv("TOLVANE_CORPUS");
    const fs::path file = argc > 1 ? fs::path(argv[1]) : corpus ? LargestDrawing(corpus) : fs::path();
    if (file.empty()) {
        std::fprintf(stderr, "win32_paint_bench: give a drawing, or set TOLVANE_CORPUS\n");
        return 2;
    }
    const fs::path images = fs::temp_directory_path() / "tolvane-paint-bench";
    DrawingData drawing;
    const render::ReadOutcome read = render::ReadDrawingFile(file, drawing, images);
    std::error_code ignored;
    fs::remove_all(images, ignored);
    if (!read.Ok) {
        std::fprintf(stderr, "win32_paint_bench: %s: %s\n", Utf8FromPath(file).c_str(), read.Error.c_str());
        return 1;
    }
    const win32::GdiplusSession gdiplus;
    render::DisplayList list;
    const double build = BestMilliseconds([&] { list = render::BuildDisplayList(drawing, read.Format); });

    Gdiplus::Bitmap bitmap(1000, 700, PixelFormat32bppPARGB);
    ConversionSettings settings;
    ResetConversionSettings(settings);
    const double worker = BestMilliseconds([&] { RenderPreview(file, settings, images); });
    std::error_code ignoredToo;
    fs::remove_all(images, ignoredToo);
    const PaperView view = FitView(list.Extent(), 1000, 700);
    const double paint = BestMilliseconds([&] {
        Gdiplus::Graphics graphics(&bitmap);
        graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
        win32::PaintDisplayList(graphics, list, view);
        graphics.Flush(Gdiplus::FlushIntentionSync);
    });
    std::printf("%s: %zu shapes\n", Utf8FromPath(file.filename()).c_str(), list.Items.size());
    std::printf("display list (baseline): %.1f ms\n", build);
    std::printf("GDI+ paint 1000x700:     %.1f ms (%.1f x the display list)\n", paint, paint / std::max(build, 1e-3));
    std::printf("preview worker (RenderPreview): %.1f ms; with the paint %.1f ms\n", worker, worker + paint);
    return 0;
}
