// The results of a conversion run, file by file in the order of the selection, failures in
// red; the list is copied as text or saved as CSV, and the destination folder opened.
#pragma once

#include <functional>

#include <QDialog>

#include "frontend/conversion_run.h"
#include "frontend/platform.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tolvane {

class ResultsWindow : public QDialog {
    Q_OBJECT

public:
    // openFolder opens the destination folder (and says so when nothing can).
    ResultsWindow(QWidget* parent, Platform& platform, RunResults results, std::function<void()> openFolder);

    QLabel* summaryLabel = nullptr;
    QTableWidget* resultsTable = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* openFolderButton = nullptr;
    QPushButton* closeButton = nullptr;

    void CopyButtonClick();
    void SaveButtonClick();

    const RunResults& Results() const { return results_; }

private:
    Platform& platform_;
    RunResults results_;
};

}  // namespace tolvane
