// Exporting one selected drawing or figure file as DXF, one step of the same walk over a
// selection that a conversion run makes: the same checks and skips, the DXF and the embedded
// images beside it each written whole before it replaces the file at its destination, which
// is kept as a backup as a conversion keeps it.
#pragma once

#include <filesystem>
#include <vector>

#include "conversion/conversion.h"
#include "render/dxf.h"
#include "settings/conversion_settings.h"

namespace tolvane::render {

struct DxfExportOptions {
    DxfVersion Version = DxfVersion::R2007;
    // Converted in memory with these settings first, as a conversion would write it; none:
    // the drawing as it is.
    const ConversionSettings* Settings = nullptr;
};

// The outcome is Converted for a file exported; its Reason then tells what came with it
// (images, warnings). The context's settings are not used; its image folder and the run's
// backups are.
ConversionResult ExportDxfFile(ConversionContext& context, const std::filesystem::path& source,
                               const std::filesystem::path& destination, const DxfExportOptions& options);

// Where the selected files' DXF files go, from the paths a conversion would write them to
// (FOLDER/NAME.jww): FOLDER/NAME.dxf, and FOLDER/NAME.jws.dxf for a figure file whose drawing
// of the same name goes into the same folder (names compared without ASCII case).
std::vector<std::filesystem::path> DxfDestinations(const std::vector<std::filesystem::path>& destinations);

}  // namespace tolvane::render
