// The preview beside the file list: the file under the list's cursor before and after a
// conversion with the current settings, or only what changes, with a legend of the colour
// numbers in use. The drawing is made by the frontend's PreviewSession on its worker.
#pragma once

#include <filesystem>

#include <QWidget>

#include "frontend/preview.h"

class QTabBar;
class QTableWidget;

namespace tolvane {

// The drawing area: the wheel zooms around the cursor, dragging pans, a double click fits.
class PreviewCanvas : public QWidget {
    Q_OBJECT

public:
    explicit PreviewCanvas(const PreviewSession& session, QWidget* parent = nullptr);
    const PaperView& View() const { return view_; }
    // Fits the drawing at the next paint.
    void FitAnew();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const PreviewSession& session_;
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

    PreviewSession Session;
    QTabBar* viewTabs = nullptr;
    PreviewCanvas* canvas = nullptr;
    QTableWidget* legend = nullptr;

private:
    void Changed();
};

}  // namespace tolvane
