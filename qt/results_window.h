// The results of a conversion run, file by file, in the order of the selection: outcome and
// reason (the words of tolvane-cli convert), failures marked in red. The list can be copied
// as text or saved as a CSV file, and the destination folder opened in the file manager.
#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QString>

#include "qt/platform.h"
#include "conversion/conversion.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tolvane {

struct ResultRow {
    QString File;
    ConversionOutcome Outcome = ConversionOutcome::Converted;
    QString Reason;
};

QString OutcomeText(ConversionOutcome outcome);
// Tab-separated lines with a header line, for the clipboard.
QString ResultsText(const std::vector<ResultRow>& rows);
// The bytes of the CSV file: UTF-8 with a byte order mark, so that a spreadsheet on Windows
// reads the Japanese text right; CRLF line ends; fields quoted where they must be.
std::string ResultsCsv(const std::vector<ResultRow>& rows);

class ResultsWindow : public QDialog {
    Q_OBJECT

public:
    ResultsWindow(QWidget* parent, Platform& platform, std::vector<ResultRow> rows, const QString& summary,
                  const std::string& destFolder);

    QLabel* Summary = nullptr;
    QTableWidget* Table = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* OpenFolderButton = nullptr;
    QPushButton* CloseButton = nullptr;

    void CopyButtonClick();
    void SaveButtonClick();
    void OpenFolderButtonClick();

    const std::vector<ResultRow>& Rows() const { return rows_; }

private:
    Platform& platform_;
    std::vector<ResultRow> rows_;
    std::string destFolder_;
};

}  // namespace tolvane
