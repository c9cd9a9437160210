// A conversion run on a worker thread, watched from the main window's status bar: a progress
// bar (files done of files selected), the file being converted and a "中止" button (Esc). The
// window stays live meanwhile. At the end the status bar tells the counts; a results window
// lists every file when anything was not converted; a click on the status text then opens
// the destination folder.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

#include "qt/platform.h"
#include "qt/results_window.h"
#include "conversion/batch.h"
#include "settings/conversion_settings.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QWidget;

namespace tolvane {

// The status text at the end of a run, with its counts.
QString RunSummaryText(const BatchCounts& counts);

class RunController : public QObject {
    Q_OBJECT

public:
    RunController(QWidget* window, QStatusBar* statusBar, QLabel* statusPanel, Platform& platform);
    // Stops a run that still goes and waits for the files being converted.
    ~RunController() override;

    // Workers of the next run; 0 takes one per core.
    unsigned Jobs = 0;
    // Called when a run has ended and its results are shown.
    std::function<void()> Ended;
    // Widgets that cannot refuse a change after it was made (a combo box): disabled while a
    // run goes.
    std::vector<QWidget*> DisabledWhileRunning;
    // Called on the worker as each file starts (a place for tests to hold the run).
    std::function<void(size_t index)> WorkerStarted;

    QLabel* FileLabel = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* StopButton = nullptr;

    bool Running() const { return running_; }
    // Converts the files with a copy of the settings (their rule sources resolved).
    void Start(const ConversionSettings& settings, std::vector<BatchFile> files, const std::filesystem::path& imageFolder,
               const std::string& destFolder);
    // "中止": no further file starts; the files being converted finish.
    void StopButtonClick();
    // Waits for the run to end, letting window events through, until its end is shown.
    void Wait();

    // The results window of the last run, while it is open.
    ResultsWindow* Results() const { return results_; }
    const std::vector<ConversionResult>& LastResults() const { return lastResults_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FileStarted(size_t index, size_t finished);
    void RunEnded(std::vector<ConversionResult> results);

    QWidget* window_;
    QLabel* statusPanel_;
    Platform& platform_;
    std::thread worker_;
    std::atomic<bool> stop_ = false;
    bool running_ = false;
    ConversionSettings settings_;
    std::vector<BatchFile> files_;
    std::string destFolder_;
    QString summary_;
    std::vector<ConversionResult> lastResults_;
    QPointer<ResultsWindow> results_;
};

}  // namespace tolvane
