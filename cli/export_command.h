// tolvane-cli export: drawings and figure files as DXF into a destination folder, by the walk
// of a conversion run.
#pragma once

#include <ostream>

#include "cli/convert_command.h"
#include "render/dxf.h"

namespace tolvane::cli {

struct ExportOptions : ConvertOptions {
    // Without a settings file the drawings are exported as they are.
    render::DxfVersion Version = render::DxfVersion::R2007;
};

// Exit status: 0 when no file failed, 1 when one did, 2 when the run was refused before
// anything was written, kStoppedExitStatus when it was stopped.
int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tolvane::cli
