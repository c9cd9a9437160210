// The settings dialog: edits copies of the conversion settings in its controls and stores them
// back only on OK. Its handlers read the controls into DialogValues, call the plain functions
// of dialog_values.h and show the outcome; beeps, message boxes and file choices go through
// the Platform.
#pragma once

#include <array>
#include <utility>

#include <QDialog>
#include <QTableWidget>

#include "frontend/dialog_values.h"
#include "qt/platform.h"
#include "qt/rule_row.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tolvane {

// A grid of the individual page: row 0 holds the column titles and column 0 the names, neither
// editable; the titles stay in view as the grid's header. Whole rows are selected, ranges with
// Shift and the arrow keys.
class SettingsGrid : public QTableWidget {
    Q_OBJECT

public:
    SettingsGrid(int rows, std::initializer_list<int> columnWidths, QWidget* parent);

    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    // Ends an edit in progress and keeps what was typed, so that a button sees it.
    void CommitEdit();
    // The first and last row of the current selection (the current row when nothing is
    // selected); the header row is never part of it.
    std::pair<int, int> SelectedRows() const;
    // Makes the cell current, selects its row and shows it.
    void GoToCell(int row, int column);
};

class TForm3 : public QDialog {
    Q_OBJECT

public:
    TForm3(ConversionSettings& settings, Platform& platform, QWidget* parent = nullptr);

    // Fills the controls from the stored settings; runs every time the dialog is shown.
    void FormShow();
    void Button1Click();  // colour of the selected rows
    void Button5Click();  // width of the selected rows
    void Button2Click();  // line type of the selected rows
    void Button3Click();  // OK
    void Button4Click();  // Cancel
    void Button6Click();  // save the controls to a settings file
    void Button7Click();  // fill the controls from a settings file
    // Fills the two name lists of a rule row and shows a rule that changes nothing.
    void ResetRuleRow(TFram& row);

    DialogValues ReadValues() const;
    void ShowValues(const DialogValues& values);
    // Only the cells of the two grids.
    void ShowTables(const DialogValues& values);

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label15;
    QLabel* Label16;
    QLabel* Label17;
    // Why the last value was refused: the beep alone is not heard on many machines.
    QLabel* Label18;
    SettingsGrid* StringGrid1;
    SettingsGrid* StringGrid2;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* Button7;
    std::array<QCheckBox*, kOptionCount> CheckBox;  // CheckBox1 .. CheckBox8
    std::array<TFram*, kRuleCount> Fram;            // Fram1 .. Fram10

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildIndividualPage();
    void BuildCombinedPage();
    void BuildCommonControls();
    void SetRangeFrom(QLineEdit* input, SettingsGrid* grid, RangeTarget target);
    void ShowBadValue(const BadValue& bad);
    FileChoice SettingsFileChoice(const QString& title) const;

    ConversionSettings& settings_;
    Platform& platform_;
};

}  // namespace tolvane
