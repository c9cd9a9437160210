// make-examples FOLDER: writes the bundled example drawings, made by the generator, into
// FOLDER. The examples are committed; run this again after a change to the generator.
#include <filesystem>
#include <iostream>

#include "formats/jww.h"
#include "testsupport/drawing_generator.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::cerr << "usage: make-examples FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[1];
    const fs::path images = folder / ".images";
    fs::create_directories(folder);
    int status = 0;
    for (uint32_t version : {351u, 420u, 600u, 700u}) {
        tolvane::DrawingData plan = tolvane::testing::MakeFloorPlan(version, images);
        const fs::path file = folder / ("plan-" + std::to_string(version) + ".jww");
        std::string error;
        if (!tolvane::WriteJww(file, plan, version, images, &error)) {
            std::cerr << file << ": " << error << '\n';
            status = 1;
        }
    }
    fs::remove_all(images);
    return status;
}
