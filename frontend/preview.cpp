#include "frontend/preview.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <system_error>
#include <utility>

#include "formats/jww.h"
#include "frontend/texts.h"
#include "render/read_drawing.h"

namespace tolvane {

namespace fs = std::filesystem;

const render::DisplayList& PreviewDrawing::List(render::View view) const {
    switch (view) {
        case render::View::Before: return Lists.Before;
        case render::View::After: return Lists.After;
        case render::View::ChangesOnly: return Lists.ChangesOnly;
    }
    return Lists.Before;
}

namespace {

std::string ReadProblem(const fs::path& file, const render::ReadOutcome& read) {
    std::error_code error;
    std::string_view text = preview_text::kCannotRead;
    if (!fs::exists(file, error)) text = preview_text::kMissing;
    else if (!fs::is_regular_file(file, error)) text = preview_text::kNotRegularFile;
    else if (!read.Recognised) text = preview_text::kNotADrawing;
    // The reader's reason, as tolvane-cli gives it, below the short message.
    return std::string(text) + "\n" + read.Error;
}

}  // namespace

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
            result.Message = ReadProblem(file, read);
            return result;
        }
        result.Lists = render::RenderViews(std::move(drawing), read.Format, settings);
        result.Legend = ColorLegend(result.Lists.Before, result.Lists.After);
        result.Ok = true;
    } catch (const std::exception& e) {
        result = PreviewDrawing{};
        result.Message = std::string(preview_text::kCannotRead) + "\n" + e.what();
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

// --- The worker ----------------------------------------------------------------------------

PreviewSession::PreviewSession(fs::path imageFolder, Post post)
    : imageFolder_(std::move(imageFolder)), post_(std::move(post)), message_(preview_text::kNoDrawing) {
    worker_ = std::thread([this] { WorkerLoop(); });
}

PreviewSession::~PreviewSession() {
    Stop();
}

void PreviewSession::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        pending_.reset();
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

uint64_t PreviewSession::Show(const fs::path& file, const ConversionSettings& settings) {
    const uint64_t number = ++latest_;
    {
        const std::lock_guard lock(mutex_);
        if (stop_) return number;
        pending_ = Request{number, file, settings};
    }
    wake_.notify_one();
    if (file != shownFile_) {
        shown_.reset();
        shownFile_.clear();
        message_ = preview_text::kRendering;
        if (Changed) Changed();
    }
    return number;
}

void PreviewSession::Clear() {
    ++latest_;
    {
        const std::lock_guard lock(mutex_);
        pending_.reset();
    }
    shown_.reset();
    shownFile_.clear();
    message_ = preview_text::kNoDrawing;
    if (Changed) Changed();
}

const render::DisplayList* PreviewSession::CurrentList() const {
    return shown_ && shown_->Ok ? &shown_->List(View) : nullptr;
}

void PreviewSession::WorkerLoop() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
            if (stop_) return;
            request = std::move(*pending_);
            pending_.reset();
        }
        auto drawing = std::make_shared<const PreviewDrawing>(RenderPreview(request.File, request.Settings, imageFolder_));
        std::error_code ignored;
        fs::remove(imageFolder_, ignored);  // only when empty
        {
            const std::lock_guard lock(mutex_);
            if (stop_) return;
            // A newer request waits: this result would be dropped anyway.
            if (pending_) continue;
        }
        post_([this, alive = std::weak_ptr<int>(alive_), number = request.Number, file = std::move(request.File),
               drawing = std::move(drawing)]() mutable {
            if (!alive.expired()) Deliver(number, std::move(file), std::move(drawing));
        });
    }
}

void PreviewSession::Deliver(uint64_t request, fs::path file, std::shared_ptr<const PreviewDrawing> drawing) {
    if (request != latest_) return;
    shownFile_ = std::move(file);
    shown_ = std::move(drawing);
    message_ = shown_ && !shown_->Ok ? shown_->Message : std::string();
    if (Changed) Changed();
}

// --- Geometry ------------------------------------------------------------------------------

namespace {

// Views beyond these scales show nothing useful and run into the limits of a screen's
// coordinates.
constexpr double kMinPixelsPerMm = 1e-4;
constexpr double kMaxPixelsPerMm = 1e4;

}  // namespace

PaperView FitView(const render::Bounds& extent, double width, double height) {
    render::Bounds box = extent;
    if (box.Empty) box = {0, 0, 10, 10, false};
    const double paperWidth = std::max(box.MaxX - box.MinX, 1e-3), paperHeight = std::max(box.MaxY - box.MinY, 1e-3);
    const double margin = 0.04;
    PaperView view;
    view.PixelsPerMm = std::clamp(std::min(width / paperWidth, height / paperHeight) * (1 - 2 * margin), kMinPixelsPerMm,
                                  kMaxPixelsPerMm);
    view.OriginX = width / 2 - (box.MinX + box.MaxX) / 2 * view.PixelsPerMm;
    view.OriginY = height / 2 + (box.MinY + box.MaxY) / 2 * view.PixelsPerMm;
    return view;
}

PaperView ZoomAround(const PaperView& view, PixelPoint pixel, double factor) {
    const render::PaperPoint paper = view.ToPaper(pixel);
    PaperView zoomed = view;
    zoomed.PixelsPerMm = std::clamp(view.PixelsPerMm * factor, kMinPixelsPerMm, kMaxPixelsPerMm);
    zoomed.OriginX = pixel.X - paper.X * zoomed.PixelsPerMm;
    zoomed.OriginY = pixel.Y + paper.Y * zoomed.PixelsPerMm;
    return zoomed;
}

double WheelZoom(int angleDelta) {
    return std::pow(1.25, angleDelta / 120.0);
}

double StrokePixels(const render::DisplayItem& item, const PaperView& view) {
    return std::max(1.0, item.Width * view.PixelsPerMm);
}

std::vector<double> DashPixels(const render::DisplayList& list, const render::DisplayItem& item, const PaperView& view) {
    std::vector<double> dashes;
    if (item.Dash == 0 || item.Dash >= list.DashPatterns.size()) return dashes;
    const double width = StrokePixels(item, view);
    for (const double mm : list.DashPatterns[item.Dash]) dashes.push_back(std::max(0.1, mm * view.PixelsPerMm / width));
    // An odd pattern repeats once more, so that it comes in pairs.
    if (dashes.size() % 2 == 1) dashes.insert(dashes.end(), dashes.begin(), dashes.end());
    return dashes;
}

std::vector<PixelPoint> PointPixels(const render::DisplayList& list, uint32_t first, uint32_t count, const PaperView& view) {
    std::vector<PixelPoint> points;
    if (first > list.Points.size() || count > list.Points.size() - first) return points;
    points.reserve(count);
    for (uint32_t i = 0; i < count; ++i) points.push_back(view.ToPixels(list.Points[first + i].X, list.Points[first + i].Y));
    return points;
}

std::optional<ImageFrameLabel> ImageLabel(const render::DisplayList& list, const render::DisplayItem& item) {
    if (item.First > list.Points.size() || list.Points.size() - item.First < 4 || item.Count >= list.Texts.size())
        return std::nullopt;
    const render::PaperPoint& a = list.Points[item.First];
    const render::PaperPoint& c = list.Points[item.First + 2];
    ImageFrameLabel label;
    label.Size = std::clamp(std::hypot(c.X - a.X, c.Y - a.Y) / 20, 1.0, 10.0);
    label.Label = list.Texts[item.Count];
    label.Label.Text = "[" + label.Label.Text + "]";
    label.Label.Position = {a.X + label.Size / 2, a.Y + label.Size / 2};
    label.Label.Width = label.Size;
    return label;
}

std::vector<PixelPoint> ArcPixels(const render::ArcShape& arc, const PaperView& view) {
    const double radius =
        std::max(std::hypot(arc.AxisA.X, arc.AxisA.Y), std::hypot(arc.AxisB.X, arc.AxisB.Y)) * view.PixelsPerMm;
    const double segments = std::ceil(std::abs(arc.Sweep) * radius / 3);
    const int steps = std::isfinite(segments) ? static_cast<int>(std::clamp(segments, 4.0, 720.0)) : 4;
    std::vector<PixelPoint> points;
    points.reserve(static_cast<size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = arc.Start + arc.Sweep * i / steps;
        points.push_back(view.ToPixels(arc.Center.X + std::cos(t) * arc.AxisA.X + std::sin(t) * arc.AxisB.X,
                                       arc.Center.Y + std::cos(t) * arc.AxisA.Y + std::sin(t) * arc.AxisB.Y));
    }
    return points;
}

}  // namespace tolvane
