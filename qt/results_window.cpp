#include "qt/results_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "qt/qt_text.h"

namespace tolvane {

using namespace results_text;

ResultsWindow::ResultsWindow(QWidget* parent, Platform& platform, RunResults results, std::function<void()> openFolder)
    : QDialog(parent), platform_(platform), results_(std::move(results)) {
    setObjectName("resultsWindow");
    setWindowTitle(ToQString(kCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 420);

    summaryLabel = new QLabel(ToQString(results_.Summary + "\n" + std::string(kDestinationLine) + FolderText(results_.Destination)), this);
    resultsTable = new QTableWidget(static_cast<int>(results_.Rows.size()), 3, this);
    resultsTable->setHorizontalHeaderLabels({ToQString(kHeaders[0]), ToQString(kHeaders[1]), ToQString(kHeaders[2])});
    resultsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultsTable->setWordWrap(false);
    resultsTable->verticalHeader()->setDefaultSectionSize(20);
    resultsTable->horizontalHeader()->setStretchLastSection(true);
    resultsTable->setColumnWidth(0, 200);
    resultsTable->setColumnWidth(1, 100);
    QFont bold = resultsTable->font();
    bold.setBold(true);
    for (int r = 0; r < static_cast<int>(results_.Rows.size()); ++r) {
        const ResultRow& row = results_.Rows[static_cast<size_t>(r)];
        // The folder is the same for every file of a selection; the name tells them apart.
        const QString texts[] = {PathToQString(row.File.filename()), ToQString(row.Outcome), ToQString(row.Reason)};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setToolTip(column == 0 ? PathToQString(row.File) : texts[column]);
            if (row.Kind == ResultKind::Failed) {
                item->setForeground(QColor(0xC0, 0x00, 0x00));
                item->setBackground(QColor(0xFF, 0xE8, 0xE8));
                item->setFont(bold);
            } else if (row.Kind != ResultKind::Converted) {
                item->setForeground(QColor(0x70, 0x50, 0x00));
            }
            resultsTable->setItem(r, column, item);
        }
    }
    resultsTable->setCurrentItem(nullptr);

    copyButton = new QPushButton(ToQString(kCopyButton), this);
    saveButton = new QPushButton(ToQString(kSaveButton), this);
    openFolderButton = new QPushButton(ToQString(kOpenFolderButton), this);
    closeButton = new QPushButton(ToQString(kCloseButton), this);
    connect(copyButton, &QPushButton::clicked, this, &ResultsWindow::CopyButtonClick);
    connect(saveButton, &QPushButton::clicked, this, &ResultsWindow::SaveButtonClick);
    connect(openFolderButton, &QPushButton::clicked, this, [openFolder = std::move(openFolder)] { openFolder(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {copyButton, saveButton, openFolderButton}) buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summaryLabel);
    layout->addWidget(resultsTable, 1);
    layout->addLayout(buttons);
}

void ResultsWindow::CopyButtonClick() {
    QApplication::clipboard()->setText(ToQString(ResultsText(results_.Rows)));
}

void ResultsWindow::SaveButtonClick() {
    const std::optional<std::filesystem::path> file = platform_.ChooseSaveFile(ResultsFileChoice(results_.Destination));
    if (!file || SaveResultsCsv(results_.Rows, *file)) return;
    platform_.Beep();
    platform_.ShowMessage({MessageKind::Error, std::string(kNotSaved) + DisplayPath(*file), MessageButtons::Ok});
}

}  // namespace tolvane
