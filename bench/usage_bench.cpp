// usage_bench FOLDER [FILES]: the settings dialog's 使用数 counts for the first FILES (300)
// files of the folder, in name order, as the dialog's worker takes them: the wall time of the
// best of three runs at the default number of workers and at one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "frontend/usage_counts.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: usage_bench FOLDER [FILES]\n");
        return 2;
    }
    const size_t wanted = argc == 3 ? static_cast<size_t>(std::atol(argv[2])) : 300;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argv[1]))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    files.resize(std::min(files.size(), wanted));
    uintmax_t bytes = 0;
    for (const fs::path& file : files) bytes += fs::file_size(file);

    for (const unsigned jobs : {0u, 1u}) {
        double best = 1e9;
        tolvane::UsageCounts counts;
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            counts = tolvane::CountUsage(files, nullptr, jobs);
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        uint64_t entities = 0;
        for (uint64_t n : counts.Colors) entities += n;
        std::printf("%zu files, %.1f MB, %s: %.3f s (%zu read, %zu unreadable, %llu entities by colour)\n",
                    files.size(), static_cast<double>(bytes) / 1e6, jobs == 0 ? "default jobs" : "1 job", best,
                    counts.Files, counts.Unreadable, static_cast<unsigned long long>(entities));
    }
    return 0;
}
