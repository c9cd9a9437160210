// The preview beside the file list: three views of the file under the list's cursor (before,
// after the current settings, only the changes), painted with GDI+, and a legend of the colour
// numbers in use.
//
// This phase has the controls and the painting. Which file to read, the worker that reads and
// converts it, "newest request wins", and the legend's rows come from frontend/ in the next
// phase; until then Show takes finished display lists, and the legend stays empty.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "render/display_list.h"
#include "win32/gdiplus_painter.h"
#include "win32/list_view.h"
#include "win32/window.h"

namespace tolvane::win32 {

// The drawing area: the wheel zooms around the pointer, dragging pans, a double click fits.
class PreviewCanvas : public Window {
public:
    bool Create(HWND parent, int id);
    // The list stays owned by the pane; nullptr shows the message instead.
    void SetList(const render::DisplayList* list, bool fitAnew);
    void SetMessage(const std::wstring& text);
    const std::wstring& Message() const { return message_; }
    const PaperView& View() const { return view_; }
    void Fit();
    // Paints into any device context of the canvas's size (the screen, a screenshot).
    void PaintTo(HDC dc);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const render::DisplayList* list_ = nullptr;
    std::wstring message_;
    PaperView view_;
    bool fitted_ = false;
    bool dragging_ = false;
    POINT dragStart_{};
    PaperView viewAtDrag_;
};

class PreviewPane : public Window {
public:
    enum View { Before = 0, After = 1, ChangesOnly = 2 };

    bool Create(HWND parent, int id);
    void Layout(UINT dpi);

    // The three lists of one file, in the order of View.
    void Show(std::shared_ptr<const std::array<render::DisplayList, 3>> lists);
    void Clear();
    void SetView(View view);
    View CurrentView() const;

    HWND Tabs = nullptr;
    PreviewCanvas Canvas;
    ListView Legend;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowCurrentView(bool fitAnew);

    std::shared_ptr<const std::array<render::DisplayList, 3>> lists_;
};

}  // namespace tolvane::win32
