#include "conversion/input_files.h"

#include <algorithm>
#include <system_error>

#include "conversion/conversion.h"
#include "formats/file_attributes.h"
#include "formats/file_probes.h"
#include "formats/utf8_path.h"

namespace tolvane {

namespace fs = std::filesystem;

std::vector<InputFile> ExpandInputPath(const fs::path& path, bool recursive, const fs::path& skipFolder,
                                       std::string& problem) {
    std::vector<InputFile> files;
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        files.push_back({path, path.filename(), true});
        return files;
    }
    if (!fs::is_directory(path, error)) {
        problem = "no such file or folder: " + Utf8FromPath(path);
        return files;
    }
    if (!recursive) {
        for (const auto& entry : fs::directory_iterator(path, fs::directory_options::skip_permission_denied, error)) {
            if (IsListedFile(entry)) files.push_back({entry.path(), entry.path().filename(), false});
        }
    } else {
        fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error), end;
        for (; it != end; it.increment(error)) {
            if (error) break;
            const fs::directory_entry& entry = *it;
            if (entry.is_directory(error)) {
                if (IsHiddenEntry(entry.path()) || (!skipFolder.empty() && IsSameFolder(entry.path(), skipFolder)))
                    it.disable_recursion_pending();
                continue;
            }
            if (!IsListedFile(entry)) continue;
            files.push_back({entry.path(), entry.path().parent_path().lexically_relative(path) / entry.path().filename(),
                             false});
        }
    }
    if (error) problem = "cannot list " + Utf8FromPath(path) + ": " + error.message();
    std::sort(files.begin(), files.end(), [](const InputFile& a, const InputFile& b) { return a.Source < b.Source; });
    return files;
}

}  // namespace tolvane
