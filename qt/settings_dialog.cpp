#include "qt/settings_dialog.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>

#include "frontend/texts.h"
#include "qt/qt_text.h"

namespace tolvane {

using namespace dialog_text;

namespace {

constexpr int kRowHeight = 24;
// The 使用数 column beside each grid; the dialog is wider by both.
constexpr int kUsageWidth = 56;
constexpr int kUsageWidths = 2 * kUsageWidth;

QLabel* MakeLabel(QWidget* parent, std::string_view text, QRect geometry, QColor color = {}) {
    auto* label = new QLabel(ToQString(text), parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(geometry.height() > 20);
    if (color.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    }
    return label;
}

// Only OK answers Enter; the other buttons never become the default by being clicked.
QPushButton* MakeButton(QWidget* parent, std::string_view text, QRect geometry) {
    auto* button = new QPushButton(ToQString(text), parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeRangeInput(QWidget* parent, int x, int y) {
    auto* input = new QLineEdit(parent);
    input->setAttribute(Qt::WA_InputMethodEnabled, false);
    input->setGeometry(x, y, 52, 22);
    return input;
}

}  // namespace

SettingsGrid::SettingsGrid(const std::vector<std::string>& names, std::initializer_list<std::string_view> titles,
                           std::initializer_list<int> columnWidths, QWidget* parent)
    : QTableWidget(static_cast<int>(names.size()), static_cast<int>(columnWidths.size()) + 1, parent) {
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(kRowHeight);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setFixedHeight(kRowHeight);
    QStringList headers;
    for (const std::string_view title : titles) headers << ToQString(title);
    headers << ToQString(kUsageHeader);
    setHorizontalHeaderLabels(headers);
    int column = 0;
    for (const int width : columnWidths) setColumnWidth(column++, width);
    setColumnWidth(column, kUsageWidth);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabKeyNavigation(false);
    setWordWrap(false);
    const QBrush fixedBackground = palette().button();
    for (int row = 0; row < rowCount(); ++row) {
        for (int c = 0; c < columnCount(); ++c) {
            auto* item = new QTableWidgetItem(c == 0 ? ToQString(names[static_cast<size_t>(row)]) : QString());
            const bool fixed = c == 0 || c == UsageColumn();
            item->setFlags(fixed ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                 : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            if (c == 0) item->setBackground(fixedBackground);
            if (c == UsageColumn()) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            setItem(row, c, item);
        }
    }
}

QString SettingsGrid::Text(int slot, int column) const { return item(slot - 1, column)->text(); }

void SettingsGrid::ShowUsage(int slot, const UsageCell& cell) {
    item(slot - 1, UsageColumn())->setText(ToQString(cell.Text));
    const QVariant dimmed = cell.Dimmed ? QVariant(palette().brush(QPalette::Disabled, QPalette::Text)) : QVariant();
    for (int c = 0; c < columnCount(); ++c) item(slot - 1, c)->setData(Qt::ForegroundRole, dimmed);
}

void SettingsGrid::SetText(int slot, int column, const std::string& utf8) { item(slot - 1, column)->setText(ToQString(utf8)); }

void SettingsGrid::CommitEdit() {
    if (state() != QAbstractItemView::EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

std::pair<int, int> SettingsGrid::SelectedSlots() const {
    int top = rowCount(), bottom = -1;
    for (const QTableWidgetSelectionRange& range : selectedRanges()) {
        top = std::min(top, range.topRow());
        bottom = std::max(bottom, range.bottomRow());
    }
    if (top > bottom) top = bottom = currentRow();
    return {top + 1, bottom + 1};
}

void SettingsGrid::GoToCell(int slot, int column) {
    setCurrentCell(slot - 1, column);
    scrollToItem(item(slot - 1, column));
}

SettingsDialog::SettingsDialog(ConversionSettings& settings, Platform& platform, QWidget* parent)
    : QDialog(parent),
      logic_(settings, platform),
      usageRun_([this](std::function<void()> function) {
          QMetaObject::invokeMethod(this, std::move(function), Qt::QueuedConnection);
      }) {
    setObjectName("settingsDialog");
    setWindowTitle(ToQString(kCaption));
    setModal(true);
    setFont(GothicFont(12, false));
    setFixedSize(656 + kUsageWidths, 526);
    pages = new QTabWidget(this);
    pages->setGeometry(4, 4, 648 + kUsageWidths, 326);
    BuildIndividualPage();
    BuildCombinedPage();
    BuildCommonControls();
}

void SettingsDialog::BuildIndividualPage() {
    auto* page = new QWidget;
    pages->addTab(page, ToQString(kIndividualPage));
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    MakeLabel(page, kColorGridLabel, {8, 4, 200, 16});
    colorGrid = new SettingsGrid(ColorNameTexts(), {kColorGridHeaders[0], kColorGridHeaders[1], kColorGridHeaders[2]},
                                 {140, 106, 72}, page);
    colorGrid->setGeometry(8, 22, 318 + kUsageWidth + 2 * colorGrid->frameWidth() + scrollBar,
                           11 * kRowHeight + 2 * colorGrid->frameWidth());
    const int right = 8 + colorGrid->width() + 14;
    MakeLabel(page, kLineTypeGridLabel, {right, 4, 200, 16});
    lineTypeGrid = new SettingsGrid(LineTypeNameTexts(), {kLineTypeGridHeaders[0], kLineTypeGridHeaders[1]}, {140, 118}, page);
    lineTypeGrid->setGeometry(right, 22, 258 + kUsageWidth + 2 * lineTypeGrid->frameWidth() + scrollBar,
                              5 * kRowHeight + 2 * lineTypeGrid->frameWidth());

    // The line-type row sits under its grid; the colour and width rows act on the colour grid.
    const auto rangeRow = [&](std::string_view text, int y, QLineEdit*& input, void (SettingsDialog::*handler)()) {
        MakeLabel(page, text, {right, y + 3, 124, 16});
        input = MakeRangeInput(page, right + 124, y);
        MakeLabel(page, kRangeAfter, {right + 180, y + 3, 40, 16});
        connect(MakeButton(page, kRangeButton, {right + 222, y - 1, 56, 24}), &QPushButton::clicked, this, handler);
    };
    rangeRow(kRangeLineType, 156, lineTypeInput, &SettingsDialog::Button2Click);
    rangeRow(kRangeColor, 190, colorInput, &SettingsDialog::Button1Click);
    rangeRow(kRangeWidth, 218, widthInput, &SettingsDialog::Button5Click);
    MakeLabel(page, kRangeHint, {right, 250, 278, 40});
}

void SettingsDialog::BuildCombinedPage() {
    auto* page = new QWidget;
    pages->addTab(page, ToQString(kCombinedPage));
    MakeLabel(page, kRuleSourceHeading, {12, 2, 370, 16});
    MakeLabel(page, kRuleTargetHeading, {374, 2, 260, 16});
    for (int r = 0; r < kRuleCount; ++r) {
        ruleRows[r] = new RuleRow(page);
        ruleRows[r]->setGeometry(8, 20 + r * 24, 628, 24);
    }
    MakeLabel(page, kRuleNote1, {12, 264, 620, 16});
    MakeLabel(page, kRuleNote2, {12, 280, 620, 16});
}

void SettingsDialog::BuildCommonControls() {
    MakeLabel(this, kColorHint, {8, 334, 640, 15}, Qt::blue);
    MakeLabel(this, kLineTypeHint, {8, 349, 640, 15}, Qt::blue);
    MakeLabel(this, kWidthHint, {8, 364, 640, 15}, Qt::blue);
    for (int i = 0; i < kOptionCount; ++i) {
        optionBoxes[i] = new QCheckBox(ToQString(kOptions[static_cast<size_t>(i)]), this);
        optionBoxes[i]->setGeometry(8, 384 + i * 17, 436, 17);
    }
    // The buttons keep to the right edge.
    const int x = 456 + kUsageWidths;
    reasonLabel = MakeLabel(this, {}, {x, 448, 192, 34}, Qt::red);
    saveButton = MakeButton(this, kSaveButton, {x, 386, 192, 26});
    openButton = MakeButton(this, kOpenButton, {x, 418, 192, 26});
    okButton = MakeButton(this, kOkButton, {x, 486, 92, 28});
    cancelButton = MakeButton(this, kCancelButton, {x + 100, 486, 92, 28});
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &SettingsDialog::Button3Click);
    connect(cancelButton, &QPushButton::clicked, this, &SettingsDialog::Button4Click);
    connect(saveButton, &QPushButton::clicked, this, &SettingsDialog::Button6Click);
    connect(openButton, &QPushButton::clicked, this, &SettingsDialog::Button7Click);
}

void SettingsDialog::showEvent(QShowEvent* event) {
    // A window system that maps the dialog again (after minimising, say) does not refill it.
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void SettingsDialog::hideEvent(QHideEvent* event) {
    usageRun_.Stop();
    QDialog::hideEvent(event);
}

void SettingsDialog::FormShow() {
    // An edit left open when the dialog was last closed must not write into the new values.
    colorGrid->CommitEdit();
    lineTypeGrid->CommitEdit();
    reasonLabel->clear();
    ShowValues(logic_.FormShow());
    // The counts fill in when the worker has read the files; the dialog does not wait.
    ShowUsage(nullptr);
    if (!usageFiles_.empty()) usageRun_.Start(usageFiles_, [this](const UsageCounts& counts) { ShowUsage(&counts); });
}

void SettingsDialog::SetUsageFiles(std::vector<std::filesystem::path> files) { usageFiles_ = std::move(files); }

void SettingsDialog::ShowUsage(const UsageCounts* counts) {
    for (int s = 1; s <= kColorSlots; ++s) colorGrid->ShowUsage(s, ColorUsageCell(counts, s));
    for (int s = 1; s <= kLineTypeSlots; ++s) lineTypeGrid->ShowUsage(s, LineTypeUsageCell(counts, s));
}

DialogValues SettingsDialog::ReadValues() const {
    DialogValues values;
    for (int s = 1; s <= kColorSlots; ++s) {
        values.ColorCells[s] = colorGrid->Text(s, 1).toStdString();
        values.WidthCells[s] = colorGrid->Text(s, 2).toStdString();
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) values.LineTypeCells[s] = lineTypeGrid->Text(s, 1).toStdString();
    for (int i = 0; i < kOptionCount; ++i) values.Options[i] = optionBoxes[i]->isChecked();
    values.Page = pages->currentIndex();
    for (int r = 0; r < kRuleCount; ++r) values.Rules[r] = ruleRows[r]->Values();
    return values;
}

void SettingsDialog::ShowTables(const DialogValues& values) {
    for (int s = 1; s <= kColorSlots; ++s) {
        colorGrid->SetText(s, 1, values.ColorCells[s]);
        colorGrid->SetText(s, 2, values.WidthCells[s]);
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) lineTypeGrid->SetText(s, 1, values.LineTypeCells[s]);
}

void SettingsDialog::ShowValues(const DialogValues& values) {
    ShowTables(values);
    for (int i = 0; i < kOptionCount; ++i) optionBoxes[i]->setChecked(values.Options[i]);
    pages->setCurrentIndex(values.Page);
    for (int r = 0; r < kRuleCount; ++r) ruleRows[r]->ShowValues(values.Rules[r]);
}

DialogValues SettingsDialog::CommitAndRead() {
    colorGrid->CommitEdit();
    lineTypeGrid->CommitEdit();
    return ReadValues();
}

void SettingsDialog::ShowStep(const DialogStep& step) {
    reasonLabel->setText(ToQString(step.Reason));
    if (!step.Bad) return;
    const BadValue& bad = *step.Bad;
    pages->setCurrentIndex(bad.Page());
    if (bad.Where == BadValue::Place::RuleField) {
        ruleRows[bad.Row - 1]->TargetField(bad.Column)->setFocus();
        return;
    }
    SettingsGrid* grid = bad.Where == BadValue::Place::ColorGrid ? colorGrid : lineTypeGrid;
    grid->setFocus();
    grid->GoToCell(bad.Row, bad.Column);
}

void SettingsDialog::SetRangeFrom(QLineEdit* input, SettingsGrid* grid, RangeTarget target) {
    DialogValues values = CommitAndRead();
    std::string text = input->text().toStdString();
    const auto [top, bottom] = grid->SelectedSlots();
    const DialogStep step = logic_.SetRangeClick(values, target, text, top, bottom);
    ShowStep(step);
    if (step.Refused) {
        input->setFocus();
        return;
    }
    input->setText(ToQString(text));
    ShowTables(values);
}

void SettingsDialog::Button1Click() { SetRangeFrom(colorInput, colorGrid, RangeTarget::Color); }
void SettingsDialog::Button5Click() { SetRangeFrom(widthInput, colorGrid, RangeTarget::Width); }
void SettingsDialog::Button2Click() { SetRangeFrom(lineTypeInput, lineTypeGrid, RangeTarget::LineType); }

void SettingsDialog::Button3Click() {
    DialogValues values = CommitAndRead();
    const DialogStep step = logic_.Button3Click(values);
    ShowTables(values);
    ShowStep(step);
    if (!step.Refused) accept();
}

void SettingsDialog::Button4Click() { reject(); }

void SettingsDialog::Button6Click() {
    DialogValues values = CommitAndRead();
    const DialogStep step = logic_.Button6Click(values);
    ShowTables(values);
    ShowStep(step);
}

void SettingsDialog::Button7Click() {
    DialogValues values = CommitAndRead();
    if (logic_.Button7Click(values)) ShowValues(values);
}

}  // namespace tolvane
