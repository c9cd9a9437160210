// The settings dialog: edits copies of the conversion settings in its controls and stores them
// back only on OK. Its handlers read the controls into DialogValues, hand them to the
// frontend's SettingsDialogLogic and show what comes back.
#pragma once

#include <array>
#include <filesystem>
#include <utility>
#include <vector>

#include <QDialog>
#include <QTableWidget>

#include "frontend/settings_dialog.h"
#include "frontend/usage_counts.h"
#include "qt/rule_row.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tolvane {

// A grid of the individual page: column 0 holds the names, then the columns of the titles,
// then 使用数; the names and the counts are not editable. Whole rows are selected, ranges with
// Shift and the arrow keys. Row s is slot s.
class SettingsGrid : public QTableWidget {
    Q_OBJECT

public:
    SettingsGrid(const std::vector<std::string>& names, std::initializer_list<std::string_view> titles,
                 std::initializer_list<int> columnWidths, QWidget* parent);

    int UsageColumn() const { return columnCount() - 1; }
    // The slot's count, the row dimmed when no selected drawing uses the slot.
    void ShowUsage(int slot, const UsageCell& cell);

    QString Text(int slot, int column) const;
    void SetText(int slot, int column, const std::string& utf8);
    // Ends an edit in progress and keeps what was typed, so that a button sees it.
    void CommitEdit();
    // The first and last slot of the current selection (the current row when nothing is
    // selected).
    std::pair<int, int> SelectedSlots() const;
    // Makes the cell current, selects its row and shows it.
    void GoToCell(int slot, int column);
};

class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(ConversionSettings& settings, Platform& platform, QWidget* parent = nullptr);

    // The handlers, named as the original program named them.
    void FormShow();      // fills the controls from the stored settings, at every show
    void Button1Click();  // colour of the selected rows
    void Button5Click();  // width of the selected rows
    void Button2Click();  // line type of the selected rows
    void Button3Click();  // OK
    void Button4Click();  // Cancel
    void Button6Click();  // save the controls to a settings file
    void Button7Click();  // fill the controls from a settings file

    DialogValues ReadValues() const;
    void ShowValues(const DialogValues& values);
    // The drawings selected in the main window, whose entities the 使用数 column counts each
    // time the dialog shows; none leaves the column empty.
    void SetUsageFiles(std::vector<std::filesystem::path> files);
    // The counts, or an empty column (null).
    void ShowUsage(const UsageCounts* counts);

    QTabWidget* pages;
    SettingsGrid* colorGrid;
    SettingsGrid* lineTypeGrid;
    QLineEdit* colorInput;
    QLineEdit* widthInput;
    QLineEdit* lineTypeInput;
    std::array<QCheckBox*, kOptionCount> optionBoxes;
    std::array<RuleRow*, kRuleCount> ruleRows;
    // Why the last value was refused: the beep alone is not heard on many machines.
    QLabel* reasonLabel;
    QPushButton* saveButton;
    QPushButton* openButton;
    QPushButton* okButton;
    QPushButton* cancelButton;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildIndividualPage();
    void BuildCombinedPage();
    void BuildCommonControls();
    // Only the cells of the two grids.
    void ShowTables(const DialogValues& values);
    DialogValues CommitAndRead();
    void ShowStep(const DialogStep& step);
    void SetRangeFrom(QLineEdit* input, SettingsGrid* grid, RangeTarget target);

    SettingsDialogLogic logic_;
    std::vector<std::filesystem::path> usageFiles_;
    UsageCountRun usageRun_;
};

}  // namespace tolvane
