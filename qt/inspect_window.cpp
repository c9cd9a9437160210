#include "qt/inspect_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "qt/qt_text.h"

namespace tolvane {

using namespace inspect_text;

namespace {

QTableWidget* MakeTable(QWidget* parent, int rows, const auto& headers) {
    auto* table = new QTableWidget(rows, static_cast<int>(headers.size()), parent);
    QStringList labels;
    for (const std::string_view header : headers) labels << ToQString(header);
    table->setHorizontalHeaderLabels(labels);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->verticalHeader()->setDefaultSectionSize(20);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem* NumberItem(uint64_t value) {
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, static_cast<qulonglong>(value));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// Files show as the list shows them (a name that is not UTF-8 read as Shift-JIS).
std::string FileText(const std::filesystem::path& file) { return DisplayPath(file.filename()); }

}  // namespace

InspectWindow::InspectWindow(QWidget* parent, Platform& platform, InspectRunResult result, std::filesystem::path saveFolder)
    : QDialog(parent), platform_(platform), result_(std::move(result)), saveFolder_(std::move(saveFolder)) {
    setObjectName("inspectWindow");
    setWindowTitle(ToQString(kCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(860, 560);

    summaryLabel = new QLabel(ToQString(InspectSummaryText(result_) + "\n" + std::string(kStandardLine) + result_.Standard), this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    filesTable = MakeTable(splitter, static_cast<int>(result_.Rows.size()), kHeaders);
    auto* pensPanel = new QWidget(splitter);
    auto* pensLayout = new QVBoxLayout(pensPanel);
    pensLayout->setContentsMargins(0, 4, 0, 0);
    pensTable = MakeTable(pensPanel, static_cast<int>(result_.Pens.size()), kPenHeaders);
    pensLayout->addWidget(new QLabel(ToQString(kPensLabel), pensPanel));
    pensLayout->addWidget(pensTable, 1);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    FillFiles();
    FillPens();

    copyButton = new QPushButton(ToQString(kCopyButton), this);
    saveButton = new QPushButton(ToQString(kSaveButton), this);
    closeButton = new QPushButton(ToQString(kCloseButton), this);
    connect(copyButton, &QPushButton::clicked, this, &InspectWindow::CopyButtonClick);
    connect(saveButton, &QPushButton::clicked, this, &InspectWindow::SaveButtonClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copyButton);
    buttons->addWidget(saveButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summaryLabel);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
}

// An unreadable file as the results window shows a failure, errors in red, warnings alone in
// brown.
void InspectWindow::FillFiles() {
    filesTable->setColumnWidth(0, 200);
    filesTable->setColumnWidth(1, 60);
    filesTable->setColumnWidth(2, 60);
    QFont bold = filesTable->font();
    bold.setBold(true);
    for (int r = 0; r < static_cast<int>(result_.Rows.size()); ++r) {
        const InspectRow& row = result_.Rows[static_cast<size_t>(r)];
        QTableWidgetItem* items[] = {new QTableWidgetItem(ToQString(FileText(row.File))),
                                     row.Ok ? NumberItem(row.Errors) : new QTableWidgetItem,
                                     row.Ok ? NumberItem(row.Warnings) : new QTableWidgetItem,
                                     new QTableWidgetItem(ToQString(row.Worst))};
        items[0]->setToolTip(PathToQString(row.File));
        items[3]->setToolTip(items[3]->text());
        for (int column = 0; column < 4; ++column) {
            QTableWidgetItem* item = items[column];
            if (!row.Ok) {
                item->setForeground(QColor(0xC0, 0x00, 0x00));
                item->setBackground(QColor(0xFF, 0xE8, 0xE8));
                item->setFont(bold);
            } else if (row.Errors > 0) {
                item->setForeground(QColor(0xC0, 0x00, 0x00));
            } else if (row.Warnings > 0) {
                item->setForeground(QColor(0x70, 0x50, 0x00));
            }
            filesTable->setItem(r, column, item);
        }
    }
    filesTable->setCurrentItem(nullptr);
}

// Sorted by a header click, numbers by their value: the most used pens first, say.
void InspectWindow::FillPens() {
    // The colour and line-type names take the room there is.
    const int widths[] = {90, 0, 0, 50, 70, 100, 80};
    pensTable->horizontalHeader()->setStretchLastSection(false);
    for (int column = 0; column < 7; ++column) {
        if (widths[column] > 0) pensTable->setColumnWidth(column, widths[column]);
        else pensTable->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Stretch);
    }
    for (int r = 0; r < static_cast<int>(result_.Pens.size()); ++r) {
        const PenSummaryRow& pen = result_.Pens[static_cast<size_t>(r)];
        pensTable->setItem(r, 0, new QTableWidgetItem(ToQString(pen.Entity)));
        pensTable->setItem(r, 1, new QTableWidgetItem(ToQString(pen.Color)));
        pensTable->setItem(r, 2, new QTableWidgetItem(ToQString(pen.LineType)));
        pensTable->setItem(r, 3, NumberItem(ToQString(pen.Width).toULongLong()));
        pensTable->setItem(r, 4, NumberItem(pen.Count));
        pensTable->setItem(r, 5, NumberItem(pen.InBlocks));
        pensTable->setItem(r, 6, NumberItem(pen.Files));
    }
    // In the order of the summary until a header is clicked.
    pensTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    pensTable->setSortingEnabled(true);
    pensTable->setCurrentItem(nullptr);
}

void InspectWindow::CopyButtonClick() {
    QApplication::clipboard()->setText(ToQString(InspectListText(result_.Rows, FileText)));
}

void InspectWindow::SaveButtonClick() {
    const std::optional<std::filesystem::path> file = platform_.ChooseSaveFile(InspectFileChoice(saveFolder_));
    if (!file || SaveInspectListCsv(result_.Rows, *file, FileText)) return;
    platform_.Beep();
    platform_.ShowMessage({MessageKind::Error, std::string(kNotSaved) + DisplayPath(*file), MessageButtons::Ok});
}

}  // namespace tolvane
