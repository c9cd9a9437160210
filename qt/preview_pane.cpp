#include "qt/preview_pane.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "frontend/texts.h"
#include "qt/display_painter.h"
#include "qt/qt_text.h"

namespace tolvane {

PreviewCanvas::PreviewCanvas(const PreviewSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName("previewCanvas");
    setMinimumSize(80, 80);
}

void PreviewCanvas::FitAnew() {
    fitted_ = false;
    update();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const render::DisplayList* list = session_.CurrentList();
    if (!list) {
        painter.setPen(Qt::darkGray);
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, ToQString(session_.MessageText()));
        return;
    }
    // The first paint after a new drawing knows the canvas's size.
    if (!fitted_) {
        view_ = FitView(list->Extent(), width(), height());
        fitted_ = true;
    }
    PaintDisplayList(painter, *list, view_);
}

void PreviewCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitted_ = false;
}

void PreviewCanvas::wheelEvent(QWheelEvent* event) {
    if (!session_.CurrentList()) return;
    view_ = ZoomAround(view_, {event->position().x(), event->position().y()}, WheelZoom(event->angleDelta().y()));
    fitted_ = true;
    update();
    event->accept();
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !session_.CurrentList()) return;
    dragging_ = true;
    dragStart_ = event->position();
    viewAtDrag_ = view_;
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const QPointF moved = event->position() - dragStart_;
    view_ = viewAtDrag_;
    view_.OriginX += moved.x();
    view_.OriginY += moved.y();
    fitted_ = true;
    update();
}

void PreviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

void PreviewCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) FitAnew();
}

PreviewPane::PreviewPane(std::filesystem::path imageFolder, QWidget* parent)
    : QWidget(parent), Session(std::move(imageFolder), [this](std::function<void()> function) {
          QMetaObject::invokeMethod(this, std::move(function), Qt::QueuedConnection);
      }) {
    setObjectName("previewPane");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    viewTabs = new QTabBar(this);
    for (const std::string_view view : preview_text::kViews) viewTabs->addTab(ToQString(view));
    viewTabs->setExpanding(false);
    connect(viewTabs, &QTabBar::currentChanged, this, [this](int view) {
        Session.View = static_cast<render::View>(view);
        canvas->update();
    });
    canvas = new PreviewCanvas(Session, this);
    legend = new QTableWidget(0, 3, this);
    legend->setObjectName("previewLegend");
    const auto& headers = preview_text::kLegendHeaders;
    legend->setHorizontalHeaderLabels({ToQString(headers[0]), ToQString(headers[1]), ToQString(headers[2])});
    legend->verticalHeader()->hide();
    legend->verticalHeader()->setDefaultSectionSize(18);
    legend->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    legend->setEditTriggers(QAbstractItemView::NoEditTriggers);
    legend->setSelectionMode(QAbstractItemView::NoSelection);
    legend->setFocusPolicy(Qt::NoFocus);
    legend->setMaximumHeight(130);
    layout->addWidget(viewTabs);
    layout->addWidget(canvas, 1);
    layout->addWidget(legend);
    Session.Changed = [this] { Changed(); };
}

void PreviewPane::Changed() {
    const PreviewDrawing* shown = Session.Shown();
    const std::vector<LegendRow> rows = shown && shown->Ok ? shown->Legend : std::vector<LegendRow>{};
    legend->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const LegendRow& row = rows[static_cast<size_t>(r)];
        const auto cell = [this, r](int column, size_t number, render::Color paint) {
            auto* item = new QTableWidgetItem(QString::number(number));
            item->setData(Qt::DecorationRole, QColor(paint.R, paint.G, paint.B));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            legend->setItem(r, column, item);
        };
        cell(0, row.ColorNumber, row.BeforePaint);
        cell(1, row.Before, row.BeforePaint);
        cell(2, row.After, row.AfterPaint);
    }
    canvas->FitAnew();
}

}  // namespace tolvane
