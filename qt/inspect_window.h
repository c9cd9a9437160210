// The 点検 (inspect) window: one row per inspected drawing with its errors and warnings under
// the SXF rules and the worst finding, files with errors in red; below, the pens in use over
// the selection. The list is copied as text or saved as CSV.
#pragma once

#include <filesystem>

#include <QDialog>

#include "frontend/inspect_window.h"
#include "frontend/platform.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tolvane {

class InspectWindow : public QDialog {
    Q_OBJECT

public:
    // saveFolder is where the CSV choice starts: the folder of the inspected files.
    InspectWindow(QWidget* parent, Platform& platform, InspectRunResult result, std::filesystem::path saveFolder);

    QLabel* summaryLabel = nullptr;
    QTableWidget* filesTable = nullptr;
    QTableWidget* pensTable = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* closeButton = nullptr;

    void CopyButtonClick();
    void SaveButtonClick();

    const InspectRunResult& Result() const { return result_; }

private:
    void FillFiles();
    void FillPens();

    Platform& platform_;
    InspectRunResult result_;
    std::filesystem::path saveFolder_;
};

}  // namespace tolvane
