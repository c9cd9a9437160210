// The preview beside the file list without the window: what it shows of one file (the
// drawing before, after the current settings, and only the changes, with the colour numbers
// in use), made on a worker thread where the newest request wins; and the geometry of
// showing paper millimetres on a screen.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "frontend/platform.h"
#include "render/compare.h"
#include "render/display_list.h"
#include "settings/conversion_settings.h"

namespace tolvane {

// A colour number with the shapes drawn in it before and after the conversion.
struct LegendRow {
    uint16_t ColorNumber = 0;
    size_t Before = 0;
    size_t After = 0;
    render::Color BeforePaint;  // of the first shape in this number, for the swatch
    render::Color AfterPaint;
};

struct PreviewDrawing {
    bool Ok = false;
    std::string Message;  // in Japanese with the reader's reason after it, when not Ok
    render::Views Lists;
    std::vector<LegendRow> Legend;
    const render::DisplayList& List(render::View view) const;
};

// Reads the file by its signature (not its name) and draws it. Embedded images are extracted
// into imageFolder only while the file is read, and deleted again: the lists show a frame
// with each image's name. Never throws; a file that cannot be read comes back with Ok false.
PreviewDrawing RenderPreview(const std::filesystem::path& file, const ConversionSettings& settings,
                             const std::filesystem::path& imageFolder);

// One row per colour number that a shape uses before or after, in increasing order.
std::vector<LegendRow> ColorLegend(const render::DisplayList& before, const render::DisplayList& after);

// Asks a worker thread for the preview of one file at a time. A request made while another
// renders waits and replaces any request that waits already; a result that arrives after a
// newer request was made is dropped.
class PreviewSession {
public:
    // Embedded images are extracted into imageFolder while a file is read.
    PreviewSession(std::filesystem::path imageFolder, Post post);
    // Ends the worker, waiting for a drawing being rendered.
    ~PreviewSession();
    PreviewSession(const PreviewSession&) = delete;
    PreviewSession& operator=(const PreviewSession&) = delete;

    // Called on the window's thread whenever what the pane shows changed.
    std::function<void()> Changed;

    // Asks for the file drawn with a copy of the settings; returns the request's number.
    uint64_t Show(const std::filesystem::path& file, const ConversionSettings& settings);
    // Nothing to show (an empty list); a pending request is dropped.
    void Clear();
    // Ends the worker. Later requests are ignored.
    void Stop();
    // Takes a result of the worker, unless a newer request was made since.
    void Deliver(uint64_t request, std::filesystem::path file, std::shared_ptr<const PreviewDrawing> drawing);

    render::View View = render::View::Before;
    // The file shown and its drawing once its result arrived.
    const std::filesystem::path& ShownFile() const { return shownFile_; }
    const PreviewDrawing* Shown() const { return shown_.get(); }
    // The list of the current view, or nothing: then the message is shown instead.
    const render::DisplayList* CurrentList() const;
    const std::string& MessageText() const { return message_; }

private:
    struct Request {
        uint64_t Number = 0;
        std::filesystem::path File;
        ConversionSettings Settings;
    };

    void WorkerLoop();

    std::filesystem::path imageFolder_;
    Post post_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    uint64_t latest_ = 0;  // the number of the newest request (window thread only)
    std::filesystem::path shownFile_;
    std::shared_ptr<const PreviewDrawing> shown_;
    std::string message_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Request> pending_;
    bool stop_ = false;
    std::thread worker_;
};

// Paper millimetres (y upwards) on a screen in pixels (y downwards).
struct PixelPoint {
    double X = 0, Y = 0;
};

struct PaperView {
    double PixelsPerMm = 1;
    double OriginX = 0, OriginY = 0;  // the pixel where the paper origin lies
    PixelPoint ToPixels(double x, double y) const { return {OriginX + x * PixelsPerMm, OriginY - y * PixelsPerMm}; }
    render::PaperPoint ToPaper(PixelPoint pixel) const {
        return {(pixel.X - OriginX) / PixelsPerMm, (OriginY - pixel.Y) / PixelsPerMm};
    }
};

// The view that shows the whole extent centred in an area of that many pixels, with a small
// margin.
PaperView FitView(const render::Bounds& extent, double width, double height);
// The view zoomed by factor, the paper point under the pixel staying where it is.
PaperView ZoomAround(const PaperView& view, PixelPoint pixel, double factor);
// The zoom of one turn of the wheel, in the steps of a mouse wheel (120 a notch).
double WheelZoom(int angleDelta);

// Strokes in pixels: never thinner than one pixel.
double StrokePixels(const render::DisplayItem& item, const PaperView& view);
// The dashes of a shape in units of its stroke width, in pairs of drawn and left out, so that
// they keep their length on paper whatever the zoom; empty for a solid line.
std::vector<double> DashPixels(const render::DisplayList& list, const render::DisplayItem& item, const PaperView& view);
// The points of a polyline or polygon in pixels; nothing when they lie outside the list.
std::vector<PixelPoint> PointPixels(const render::DisplayList& list, uint32_t first, uint32_t count, const PaperView& view);
// An arc as a polyline, about one segment for every three pixels of its curve.
std::vector<PixelPoint> ArcPixels(const render::ArcShape& arc, const PaperView& view);

// The display list names an embedded image but does not carry its bytes: its frame is drawn
// with the name in brackets at its lower left, in a size that follows the frame's (paper mm).
// Nothing when the item's points or name lie outside the list.
struct ImageFrameLabel {
    render::TextShape Label;
    double Size = 0;
};
std::optional<ImageFrameLabel> ImageLabel(const render::DisplayList& list, const render::DisplayItem& item);

}  // namespace tolvane
