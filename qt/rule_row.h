// One rule row of the settings dialog's combined page: whether the rule is in force, the
// source colour and line type chosen from the name lists, and the three targets.
#pragma once

#include <QFrame>

#include "frontend/dialog_values.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tolvane {

class RuleRow : public QFrame {
    Q_OBJECT

public:
    explicit RuleRow(QWidget* parent = nullptr);

    RuleRowValues Values() const;
    // Selects the list positions (none when outside the list) and shows the texts.
    void ShowValues(const RuleRowValues& values);
    // The target fields 1..3: colour, line type, width.
    QLineEdit* TargetField(int field) const;

    QCheckBox* enabledBox;
    QComboBox* sourceColorList;
    QComboBox* sourceLineTypeList;
    QLineEdit* targetColorEdit;
    QLineEdit* targetLineTypeEdit;
    QLineEdit* targetWidthEdit;
};

}  // namespace tolvane
