// The preview beside the file list: the file under the list's cursor as the CAD program
// shows it, before and after a conversion with the current settings, or only what changes,
// with a legend of the colour numbers in use.
//
// Reading a file and making its display lists take a worker thread. A request made while
// another renders waits and replaces any request that waits already; a result that arrives
// after a newer request was made is dropped. The list never waits for a big drawing.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <QWidget>

#include "qt/display_painter.h"
#include "qt/preview_render.h"
#include "render/compare.h"
#include "settings/conversion_settings.h"

class QLabel;
class QTabBar;
class QTableWidget;

namespace tolvane {

// The drawing area: wheel zooms around the cursor, dragging pans, a double click fits.
class PreviewCanvas : public QWidget {
    Q_OBJECT

public:
    explicit PreviewCanvas(QWidget* parent = nullptr);

    // The list stays owned by the pane; nullptr shows the message instead.
    void SetList(const render::DisplayList* list, bool fitAnew);
    void SetMessage(const QString& text);
    QString Message() const { return message_; }
    const render::DisplayList* List() const { return list_; }
    const PaperView& View() const { return view_; }
    void Fit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const render::DisplayList* list_ = nullptr;
    QString message_;
    PaperView view_;
    bool fitted_ = false;
    bool dragging_ = false;
    QPointF dragStart_;
    PaperView viewAtDrag_;
};

class PreviewPane : public QWidget {
    Q_OBJECT

public:
    // Embedded images are extracted into imageFolder while a file is read.
    explicit PreviewPane(std::filesystem::path imageFolder, QWidget* parent = nullptr);
    ~PreviewPane() override;

    // Asks for the file drawn with a copy of the settings; returns the request's number.
    uint64_t ShowFile(const std::filesystem::path& file, const ConversionSettings& settings);
    // Nothing to show (an empty list); a pending request is dropped.
    void Clear();
    // Ends the worker, waiting for a drawing being rendered. Later requests are ignored.
    void Stop();

    void SetView(render::View view);
    render::View CurrentView() const;

    // What the pane shows: the file and its drawing once its result arrived.
    const std::filesystem::path& ShownFile() const { return shownFile_; }
    const PreviewDrawing* Shown() const { return shown_.get(); }
    // Takes a result of the worker, unless a newer request was made since.
    void Deliver(uint64_t request, std::filesystem::path file, std::shared_ptr<const PreviewDrawing> drawing);

    QTabBar* Tabs = nullptr;
    PreviewCanvas* Canvas = nullptr;
    QTableWidget* Legend = nullptr;

private:
    struct Request {
        uint64_t Number = 0;
        std::filesystem::path File;
        ConversionSettings Settings;
    };

    void WorkerLoop();
    void ShowCurrentView(bool fitAnew);
    void FillLegend();

    std::filesystem::path imageFolder_;
    uint64_t latest_ = 0;  // the number of the newest request (user-interface thread only)
    std::filesystem::path shownFile_;
    std::shared_ptr<const PreviewDrawing> shown_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Request> pending_;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace tolvane
