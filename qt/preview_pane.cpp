#include "qt/preview_pane.h"

#include <cmath>
#include <exception>
#include <utility>

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tolvane {

namespace {

const QString kNoDrawing = QStringLiteral("図面を選択して下さい。");
const QString kRendering = QStringLiteral("表示中…");
const QString kCannotRead = QStringLiteral("図面を読み込めません。");

}  // namespace

// --- Canvas --------------------------------------------------------------------------------

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent), message_(kNoDrawing) {
    setObjectName("PreviewCanvas");
    setMinimumSize(80, 80);
    setAutoFillBackground(false);
    setMouseTracking(false);
}

void PreviewCanvas::SetList(const render::DisplayList* list, bool fitAnew) {
    list_ = list;
    if (fitAnew) fitted_ = false;
    update();
}

void PreviewCanvas::SetMessage(const QString& text) {
    list_ = nullptr;
    message_ = text;
    update();
}

void PreviewCanvas::Fit() {
    if (list_) view_ = FitView(list_->Extent(), QRectF(rect()));
    fitted_ = list_ != nullptr && !rect().isEmpty();
    update();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!list_) {
        painter.setPen(Qt::darkGray);
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, message_);
        return;
    }
    // The first paint after a new drawing knows the canvas's size.
    if (!fitted_) {
        view_ = FitView(list_->Extent(), QRectF(rect()));
        fitted_ = true;
    }
    PaintDisplayList(painter, *list_, view_);
}

void PreviewCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitted_ = false;
}

void PreviewCanvas::wheelEvent(QWheelEvent* event) {
    if (!list_) return;
    view_ = ZoomAround(view_, event->position(), std::pow(1.25, event->angleDelta().y() / 120.0));
    fitted_ = true;
    update();
    event->accept();
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !list_) return;
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
    if (event->button() == Qt::LeftButton) Fit();
}

// --- Pane ----------------------------------------------------------------------------------

PreviewPane::PreviewPane(std::filesystem::path imageFolder, QWidget* parent)
    : QWidget(parent), imageFolder_(std::move(imageFolder)) {
    setObjectName("PreviewPane");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Tabs = new QTabBar(this);
    Tabs->setObjectName("PreviewTabs");
    Tabs->addTab(QStringLiteral("変換前"));
    Tabs->addTab(QStringLiteral("変換後"));
    Tabs->addTab(QStringLiteral("変更箇所"));
    Tabs->setExpanding(false);
    connect(Tabs, &QTabBar::currentChanged, this, [this] { ShowCurrentView(false); });
    Canvas = new PreviewCanvas(this);
    Legend = new QTableWidget(0, 3, this);
    Legend->setObjectName("PreviewLegend");
    Legend->setHorizontalHeaderLabels({QStringLiteral("色番号"), QStringLiteral("変換前"), QStringLiteral("変換後")});
    Legend->verticalHeader()->hide();
    Legend->verticalHeader()->setDefaultSectionSize(18);
    Legend->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Legend->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Legend->setSelectionMode(QAbstractItemView::NoSelection);
    Legend->setFocusPolicy(Qt::NoFocus);
    Legend->setMaximumHeight(130);
    layout->addWidget(Tabs);
    layout->addWidget(Canvas, 1);
    layout->addWidget(Legend);
    worker_ = std::thread([this] { WorkerLoop(); });
}

PreviewPane::~PreviewPane() {
    Stop();
}

void PreviewPane::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        pending_.reset();
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

uint64_t PreviewPane::ShowFile(const std::filesystem::path& file, const ConversionSettings& settings) {
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
        Legend->setRowCount(0);
        Canvas->SetMessage(kRendering);
    }
    return number;
}

void PreviewPane::Clear() {
    ++latest_;
    {
        const std::lock_guard lock(mutex_);
        pending_.reset();
    }
    shown_.reset();
    shownFile_.clear();
    Legend->setRowCount(0);
    Canvas->SetMessage(kNoDrawing);
}

void PreviewPane::SetView(render::View view) {
    Tabs->setCurrentIndex(static_cast<int>(view));
}

render::View PreviewPane::CurrentView() const {
    return static_cast<render::View>(Tabs->currentIndex());
}

void PreviewPane::WorkerLoop() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
            if (stop_) return;
            request = std::move(*pending_);
            pending_.reset();
        }
        std::shared_ptr<const PreviewDrawing> drawing;
        try {
            drawing = std::make_shared<const PreviewDrawing>(RenderPreview(request.File, request.Settings, imageFolder_));
        } catch (const std::exception& e) {
            auto failed = std::make_shared<PreviewDrawing>();
            failed->Error = e.what();
            drawing = std::move(failed);
        } catch (...) {
            drawing = nullptr;
        }
        std::error_code ignored;
        std::filesystem::remove(imageFolder_, ignored);  // only when empty
        {
            const std::lock_guard lock(mutex_);
            if (stop_) return;
            // A newer request waits: this result would be dropped anyway.
            if (pending_) continue;
        }
        // Queued to the pane: the call is discarded if the pane is gone by then, and the pane
        // joins this thread before it goes.
        QMetaObject::invokeMethod(
            this, [this, number = request.Number, file = std::move(request.File), drawing]() mutable {
                Deliver(number, std::move(file), std::move(drawing));
            },
            Qt::QueuedConnection);
    }
}

void PreviewPane::Deliver(uint64_t request, std::filesystem::path file, std::shared_ptr<const PreviewDrawing> drawing) {
    if (request != latest_) return;
    shownFile_ = std::move(file);
    shown_ = std::move(drawing);
    FillLegend();
    ShowCurrentView(true);
}

void PreviewPane::ShowCurrentView(bool fitAnew) {
    if (!shown_) {
        if (!shownFile_.empty()) Canvas->SetMessage(kCannotRead);
        return;
    }
    if (!shown_->Ok) {
        // The reader's reason, as tolvane-cli gives it, below the short message.
        Canvas->SetMessage(kCannotRead + QStringLiteral("\n") + QString::fromStdString(shown_->Error));
        return;
    }
    switch (CurrentView()) {
        case render::View::Before: Canvas->SetList(&shown_->Before, fitAnew); break;
        case render::View::After: Canvas->SetList(&shown_->After, fitAnew); break;
        case render::View::ChangesOnly: Canvas->SetList(&shown_->ChangesOnly, fitAnew); break;
    }
}

void PreviewPane::FillLegend() {
    const std::vector<LegendRow> rows = shown_ && shown_->Ok ? shown_->Legend : std::vector<LegendRow>{};
    Legend->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const LegendRow& row = rows[static_cast<size_t>(r)];
        const auto cell = [this, r](int column, const QString& text, render::Color paint) {
            auto* item = new QTableWidgetItem(text);
            item->setData(Qt::DecorationRole, QColor(paint.R, paint.G, paint.B));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Legend->setItem(r, column, item);
        };
        cell(0, QString::number(row.ColorNumber), row.BeforePaint);
        cell(1, QString::number(row.Before), row.BeforePaint);
        cell(2, QString::number(row.After), row.AfterPaint);
    }
}

}  // namespace tolvane
