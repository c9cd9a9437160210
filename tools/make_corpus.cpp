// make-corpus FOLDER MEGABYTES: writes a corpus of synthetic drawings of mixed sizes and
// versions, about MEGABYTES in all, for the conversion benchmark and the soak run.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>

#include "formats/jws.h"
#include "formats/jww.h"
#include "testsupport/drawing_generator.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 3) {
        std::cerr << "usage: make-corpus FOLDER MEGABYTES\n";
        return 2;
    }
    const fs::path folder = argv[1];
    const double megabytes = std::atof(argv[2]);
    fs::create_directories(folder);
    const fs::path images = folder / ".images";
    std::mt19937 random(20261208);
    // Most drawings are small; a few are large, as in a real project folder.
    std::lognormal_distribution<double> kilobytes(4.5, 1.2);
    const uint32_t versions[] = {351, 420, 600, 700};
    uint64_t written = 0;
    for (int n = 0; static_cast<double>(written) < megabytes * 1e6; ++n) {
        const uint32_t version = versions[random() % 4];
        const auto bytes = static_cast<size_t>(std::min(8000.0, std::max(8.0, kilobytes(random))) * 1000);
        const bool figure = random() % 5 == 0;
        char name[32];
        std::snprintf(name, sizeof name, "%05d.%s", n, figure ? "jws" : "jww");
        const fs::path file = folder / name;
        bool ok;
        if (figure) {
            tolvane::DrawingData d = tolvane::testing::MakeLargeDrawing(version, bytes);
            d.Jws.Signature = "JwsData";
            ok = tolvane::WriteJws(file, d, version);
        } else if (version >= 700 && n % 3 == 0) {
            tolvane::DrawingData d = tolvane::testing::MakeFloorPlan(version, images);
            ok = tolvane::WriteJww(file, d, version, images);
        } else {
            tolvane::DrawingData d = tolvane::testing::MakeLargeDrawing(version, bytes);
            ok = tolvane::WriteJww(file, d, version, images);
        }
        if (!ok) {
            std::cerr << "cannot write " << file << '\n';
            return 1;
        }
        written += fs::file_size(file);
    }
    fs::remove_all(images);
    std::cout << written / 1000000 << " MB written to " << folder << '\n';
    return 0;
}
