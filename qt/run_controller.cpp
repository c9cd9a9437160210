#include "qt/run_controller.h"

#include <chrono>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "qt/conversion_run.h"
#include "qt/path_text.h"
#include "qt/results_window.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

const QString kConverting = QStringLiteral("変換中です。（ESC：中止）");
const QString kStopping = QStringLiteral("変換を中止しています。変換中のファイルが終わるまでお待ち下さい。");
const QString kOpenDestination = QStringLiteral("クリックすると保存先フォルダを開きます。");

}  // namespace

QString RunSummaryText(const BatchCounts& counts) {
    QString text = QString::fromUtf8(counts.Stopped > 0 ? kConversionStopped : kConversionCompleted);
    text += QStringLiteral("（変換：%1件　スキップ：%2件　失敗：%3件").arg(counts.Converted).arg(counts.Skipped).arg(counts.Failed);
    if (counts.Stopped > 0) text += QStringLiteral("　未変換：%1件").arg(counts.Stopped);
    return text + QStringLiteral("）");
}

RunController::RunController(QWidget* window, QStatusBar* statusBar, QLabel* statusPanel, Platform& platform)
    : QObject(window), window_(window), statusPanel_(statusPanel), platform_(platform) {
    FileLabel = new QLabel(statusBar);
    FileLabel->setObjectName("RunFileLabel");
    FileLabel->setMinimumWidth(40);
    Progress = new QProgressBar(statusBar);
    Progress->setObjectName("RunProgress");
    Progress->setFixedWidth(150);
    Progress->setFormat(QStringLiteral("%v / %m"));
    StopButton = new QPushButton(QStringLiteral("中止"), statusBar);
    StopButton->setObjectName("RunStopButton");
    StopButton->setShortcut(Qt::Key_Escape);
    StopButton->setFocusPolicy(Qt::NoFocus);
    connect(StopButton, &QPushButton::clicked, this, [this] { StopButtonClick(); });
    statusBar->addWidget(FileLabel, 2);
    statusBar->addPermanentWidget(Progress);
    statusBar->addPermanentWidget(StopButton);
    FileLabel->hide();
    Progress->hide();
    StopButton->hide();
    statusPanel_->installEventFilter(this);
}

RunController::~RunController() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void RunController::Start(const ConversionSettings& settings, std::vector<BatchFile> files, const fs::path& imageFolder,
                          const std::string& destFolder) {
    if (running_) return;
    if (worker_.joinable()) worker_.join();
    running_ = true;
    stop_ = false;
    settings_ = settings;
    files_ = std::move(files);
    destFolder_ = destFolder;
    summary_.clear();
    lastResults_.clear();
    if (results_) results_->close();

    statusPanel_->setText(kConverting);
    statusPanel_->setToolTip(QString());
    Progress->setRange(0, static_cast<int>(files_.size()));
    Progress->setValue(0);
    FileLabel->clear();
    FileLabel->show();
    Progress->show();
    StopButton->setEnabled(true);
    StopButton->show();
    for (QWidget* widget : DisabledWhileRunning) widget->setEnabled(false);

    BatchOptions options;
    options.Jobs = Jobs;
    options.ImageFolder = imageFolder;
    options.Stop = &stop_;
    options.Started = [this](size_t index, size_t finished) {
        QMetaObject::invokeMethod(this, [this, index, finished] { FileStarted(index, finished); }, Qt::QueuedConnection);
        if (WorkerStarted) WorkerStarted(index);
    };
    options.Reported = [this](size_t, const ConversionResult&, size_t finished) {
        QMetaObject::invokeMethod(this, [this, finished] { Progress->setValue(static_cast<int>(finished)); },
                                  Qt::QueuedConnection);
    };
    worker_ = std::thread([this, options] {
        std::vector<ConversionResult> results;
        try {
            results = ConvertBatch(settings_, files_, options);
        } catch (const std::exception& e) {
            // Only a failure to set the run up lands here; every file counts as failed.
            ConversionResult failed;
            failed.Outcome = ConversionOutcome::FailedRead;
            failed.Reason = e.what();
            results.assign(files_.size(), failed);
        }
        QMetaObject::invokeMethod(this, [this, results = std::move(results)]() mutable { RunEnded(std::move(results)); },
                                  Qt::QueuedConnection);
    });
}

void RunController::FileStarted(size_t index, size_t finished) {
    if (!running_ || index >= files_.size()) return;
    if (static_cast<int>(finished) > Progress->value()) Progress->setValue(static_cast<int>(finished));
    const BatchFile& file = files_[index];
    FileLabel->setText(QStringLiteral("ファイル「") + DisplayText(file.Source.filename().string()) + QStringLiteral("」変換中です。"));
    FileLabel->setToolTip(ConversionProgressText(file.Source, file.Destination));
    platform_.RepaintNow(FileLabel);
}

void RunController::StopButtonClick() {
    if (!running_) return;
    stop_ = true;
    StopButton->setEnabled(false);
    statusPanel_->setText(kStopping);
}

void RunController::Wait() {
    while (running_) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (running_) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void RunController::RunEnded(std::vector<ConversionResult> results) {
    if (worker_.joinable()) worker_.join();
    running_ = false;
    for (QWidget* widget : DisabledWhileRunning) widget->setEnabled(true);
    FileLabel->hide();
    Progress->hide();
    StopButton->hide();
    const BatchCounts counts = CountOutcomes(results);
    summary_ = RunSummaryText(counts);
    statusPanel_->setText(summary_);
    statusPanel_->setToolTip(kOpenDestination);
    if (counts.Skipped + counts.Failed + counts.Stopped > 0) {
        std::vector<ResultRow> rows;
        rows.reserve(results.size());
        for (size_t i = 0; i < results.size(); ++i)
            rows.push_back({DisplayText(files_[i].Source.string()), results[i].Outcome,
                            QString::fromStdString(DescribeResult(results[i]))});
        auto* window = new ResultsWindow(window_, platform_, std::move(rows), summary_, destFolder_);
        results_ = window;
        window->show();
    }
    lastResults_ = std::move(results);
    if (Ended) Ended();
}

// A click on the text of a finished run opens its destination folder.
bool RunController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == statusPanel_ && event->type() == QEvent::MouseButtonPress && !running_ && !summary_.isEmpty() &&
        statusPanel_->text() == summary_) {
        platform_.OpenWithAssociatedApplication(QFile::decodeName(QByteArray::fromStdString(destFolder_)));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tolvane
