#include "frontend/platform.h"

#include "formats/file_probes.h"

namespace tolvane {

bool Platform::FolderNameLess(std::string_view a, std::string_view b) {
    return FileNameLess(a, b);
}

}  // namespace tolvane
