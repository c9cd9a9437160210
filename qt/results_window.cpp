#include "qt/results_window.h"

#include <fstream>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "qt/path_text.h"

namespace tolvane {

namespace {

const QString kHeaders[] = {QStringLiteral("ファイル"), QStringLiteral("結果"), QStringLiteral("理由")};
const QString kSaveTitle = QStringLiteral("変換結果の保存");
const QString kNotSaved = QStringLiteral("変換結果を保存できませんでした。");

bool IsFailure(ConversionOutcome outcome) {
    return outcome == ConversionOutcome::FailedRead || outcome == ConversionOutcome::FailedWrite;
}

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString OutcomeText(ConversionOutcome outcome) {
    switch (outcome) {
        case ConversionOutcome::Converted: return QStringLiteral("変換");
        case ConversionOutcome::SkippedNotADrawing: return QStringLiteral("スキップ");
        case ConversionOutcome::FailedRead:
        case ConversionOutcome::FailedWrite: return QStringLiteral("失敗");
        case ConversionOutcome::Stopped: return QStringLiteral("未変換（中止）");
    }
    return QStringLiteral("失敗");
}

QString ResultsText(const std::vector<ResultRow>& rows) {
    QString text = kHeaders[0] + '\t' + kHeaders[1] + '\t' + kHeaders[2] + '\n';
    for (const ResultRow& row : rows) text += row.File + '\t' + OutcomeText(row.Outcome) + '\t' + row.Reason + '\n';
    return text;
}

std::string ResultsCsv(const std::vector<ResultRow>& rows) {
    QString text = kHeaders[0] + ',' + kHeaders[1] + ',' + kHeaders[2] + QStringLiteral("\r\n");
    for (const ResultRow& row : rows)
        text += CsvField(row.File) + ',' + CsvField(OutcomeText(row.Outcome)) + ',' + CsvField(row.Reason) + QStringLiteral("\r\n");
    return "\xEF\xBB\xBF" + text.toStdString();
}

ResultsWindow::ResultsWindow(QWidget* parent, Platform& platform, std::vector<ResultRow> rows, const QString& summary,
                             const std::string& destFolder)
    : QDialog(parent), platform_(platform), rows_(std::move(rows)), destFolder_(destFolder) {
    setObjectName("ResultsWindow");
    setWindowTitle(QStringLiteral("変換結果"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(720, 420);

    Summary = new QLabel(summary + QStringLiteral("\n保存先フォルダ：") + DisplayText(destFolder_), this);
    Summary->setObjectName("Summary");
    Table = new QTableWidget(static_cast<int>(rows_.size()), 3, this);
    Table->setObjectName("Table");
    Table->setHorizontalHeaderLabels({kHeaders[0], kHeaders[1], kHeaders[2]});
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setWordWrap(false);
    Table->verticalHeader()->setDefaultSectionSize(20);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setColumnWidth(0, 200);
    Table->setColumnWidth(1, 100);
    QFont bold = Table->font();
    bold.setBold(true);
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const ResultRow& row = rows_[static_cast<size_t>(r)];
        // The folder is the same for every file of a selection; the name is what tells them apart.
        const QString texts[] = {row.File.section(QLatin1Char('/'), -1), OutcomeText(row.Outcome), row.Reason};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setToolTip(column == 0 ? row.File : texts[column]);
            if (IsFailure(row.Outcome)) {
                item->setForeground(QColor(0xC0, 0x00, 0x00));
                item->setBackground(QColor(0xFF, 0xE8, 0xE8));
                item->setFont(bold);
            } else if (row.Outcome != ConversionOutcome::Converted) {
                item->setForeground(QColor(0x70, 0x50, 0x00));
            }
            Table->setItem(r, column, item);
        }
    }

    Table->setCurrentItem(nullptr);

    CopyButton = new QPushButton(QStringLiteral("一覧をコピー"), this);
    CopyButton->setObjectName("CopyButton");
    SaveButton = new QPushButton(QStringLiteral("CSVで保存..."), this);
    SaveButton->setObjectName("SaveButton");
    OpenFolderButton = new QPushButton(QStringLiteral("保存先フォルダを開く"), this);
    OpenFolderButton->setObjectName("OpenFolderButton");
    CloseButton = new QPushButton(QStringLiteral("閉じる"), this);
    CloseButton->setObjectName("CloseButton");
    connect(CopyButton, &QPushButton::clicked, this, [this] { CopyButtonClick(); });
    connect(SaveButton, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
    connect(OpenFolderButton, &QPushButton::clicked, this, [this] { OpenFolderButtonClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CopyButton);
    buttons->addWidget(SaveButton);
    buttons->addWidget(OpenFolderButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Summary);
    layout->addWidget(Table, 1);
    layout->addLayout(buttons);
}

void ResultsWindow::CopyButtonClick() {
    QApplication::clipboard()->setText(ResultsText(rows_));
}

void ResultsWindow::SaveButtonClick() {
    const std::optional<QString> file = platform_.ChooseSaveFile(
        this, {kSaveTitle, DisplayText(destFolder_), QStringLiteral("変換結果.csv"), QStringLiteral("CSVファイル(*.csv)"),
               QStringLiteral("csv")});
    if (!file) return;
    const std::string bytes = ResultsCsv(rows_);
    std::ofstream out(PathBytes(*file), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        platform_.Beep();
        platform_.ShowMessage(this, MessageKind::Error, kNotSaved, MessageButtons::Ok);
    }
}

void ResultsWindow::OpenFolderButtonClick() {
    platform_.OpenWithAssociatedApplication(QFile::decodeName(QByteArray::fromStdString(destFolder_)));
}

}  // namespace tolvane
