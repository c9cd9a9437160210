// The preview beside the file list: the file under the list's cursor before and after a
// conversion with the current settings, or only what changes, painted with GDI+, with a
// legend of the colour numbers in use. The drawing is made by the frontend's PreviewSession
// on its worker; the pane shows what the session holds.
#pragma once

#include <filesystem>
#include <vector>

#include "frontend/preview.h"
#include "win32/gdiplus_painter.h"
#include "win32/list_view.h"
#include "win32/window.h"

namespace tolvane::win32 {

// The drawing area: the wheel zooms around the pointer, dragging pans, a double click fits.
class PreviewCanvas : public Window {
public:
    explicit PreviewCanvas(const PreviewSession& session) : session_(session) {}
    bool Create(HWND parent, int id);
    const PaperView& View() const { return view_; }
    // Fits the drawing at the next paint.
    void FitAnew();
    // Paints into any device context of the canvas's size (the screen, a screenshot).
    void PaintTo(HDC dc);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const PreviewSession& session_;
    PaperView view_;
    bool fitted_ = false;
    bool dragging_ = false;
    POINT dragStart_{};
    PaperView viewAtDrag_;
};

class PreviewPane : public Window {
public:
    // Embedded images are extracted into imageFolder while a file is read.
    explicit PreviewPane(std::filesystem::path imageFolder);

    bool Create(HWND parent, int id);
    void Layout(UINT dpi);
    // The view tab: before, after, only the changes.
    void SetView(render::View view);

    PreviewSession Session;
    HWND Tabs = nullptr;
    PreviewCanvas Canvas{Session};
    ListView Legend;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Changed();
    bool LegendCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result) const;

    std::vector<LegendRow> legend_;
};

}  // namespace tolvane::win32
