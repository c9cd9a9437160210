#include "qt/preview_render.h"

#include <exception>
#include <map>
#include <system_error>
#include <utility>

#include "formats/jww.h"
#include "render/compare.h"
#include "render/read_drawing.h"
#include "render/render.h"

namespace tolvane {

namespace fs = std::filesystem;

PreviewDrawing RenderPreview(const fs::path& file, const ConversionSettings& settings, const fs::path& imageFolder) {
    PreviewDrawing result;
    try {
        DrawingData drawing;
        std::error_code ignored;
        fs::create_directories(imageFolder, ignored);
        const render::ReadOutcome read = render::ReadDrawingFile(file, drawing, imageFolder);
        // The extracted images are not drawn (a frame with the name stands for each).
        DeleteExtractedImages(drawing, imageFolder);
        if (!read.Ok) {
            result.Error = read.Error;
            return result;
        }
        const render::DrawingFormat format = read.Format;
        result.Before = render::BuildDisplayList(drawing, format);
        // The drawing is not needed afterwards: converted in place, without a copy.
        result.After = render::RenderView(std::move(drawing), format, settings, render::View::After);
        result.ChangesOnly = result.After;
        render::MarkChanges(result.Before, result.ChangesOnly);
        render::ShowChangesOnly(result.ChangesOnly);
        result.Legend = ColorLegend(result.Before, result.After);
        result.Ok = true;
    } catch (const std::exception& e) {
        result = PreviewDrawing{};
        result.Error = e.what();
    } catch (...) {
        result = PreviewDrawing{};
        result.Error = "unknown error";
    }
    return result;
}

std::vector<LegendRow> ColorLegend(const render::DisplayList& before, const render::DisplayList& after) {
    std::map<uint16_t, LegendRow> rows;
    for (const render::DisplayItem& item : before.Items) {
        auto [row, added] = rows.try_emplace(item.ColorNumber);
        if (row->second.Before++ == 0) row->second.BeforePaint = item.Paint;
        if (added) row->second.AfterPaint = item.Paint;
    }
    for (const render::DisplayItem& item : after.Items) {
        auto [row, added] = rows.try_emplace(item.ColorNumber);
        if (row->second.After++ == 0) row->second.AfterPaint = item.Paint;
        if (added) row->second.BeforePaint = item.Paint;
    }
    std::vector<LegendRow> legend;
    legend.reserve(rows.size());
    for (auto& [number, row] : rows) {
        row.ColorNumber = number;
        legend.push_back(row);
    }
    return legend;
}

}  // namespace tolvane
