#include "qt/rule_row.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "frontend/settings_dialog.h"
#include "frontend/texts.h"
#include "qt/qt_text.h"

namespace tolvane {

namespace {

// Target numbers are short: at most "-1", "356", "30000"; the field takes six characters.
constexpr int kTargetLength = 6;

QLineEdit* MakeTargetField(QWidget* parent, int x) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(kTargetLength);
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->setGeometry(x, 1, 60, 22);
    return field;
}

QComboBox* MakeList(QWidget* parent, const std::vector<std::string>& names, int x, int width) {
    auto* list = new QComboBox(parent);
    for (const std::string& name : names) list->addItem(ToQString(name));
    list->setMaxVisibleItems(16);
    list->setGeometry(x, 1, width, 22);
    return list;
}

void SelectPosition(QComboBox* list, int position) {
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

}  // namespace

RuleRow::RuleRow(QWidget* parent) : QFrame(parent) {
    enabledBox = new QCheckBox(this);
    enabledBox->setGeometry(4, 3, 18, 18);
    sourceColorList = MakeList(this, ColorNameTexts(), 26, 184);
    sourceLineTypeList = MakeList(this, LineTypeNameTexts(), 214, 164);
    auto* arrow = new QLabel(ToQString(dialog_text::kRuleArrow), this);
    QFont bold = arrow->font();
    bold.setBold(true);
    arrow->setFont(bold);
    arrow->setAlignment(Qt::AlignCenter);
    arrow->setGeometry(382, 1, 24, 22);
    targetColorEdit = MakeTargetField(this, 408);
    targetLineTypeEdit = MakeTargetField(this, 476);
    targetWidthEdit = MakeTargetField(this, 544);
}

RuleRowValues RuleRow::Values() const {
    return {enabledBox->isChecked(),
            sourceColorList->currentIndex(),
            sourceLineTypeList->currentIndex(),
            targetColorEdit->text().toStdString(),
            targetLineTypeEdit->text().toStdString(),
            targetWidthEdit->text().toStdString()};
}

void RuleRow::ShowValues(const RuleRowValues& values) {
    enabledBox->setChecked(values.Enabled);
    SelectPosition(sourceColorList, values.SourceColorIndex);
    SelectPosition(sourceLineTypeList, values.SourceLineTypeIndex);
    targetColorEdit->setText(ToQString(values.TargetColor));
    targetLineTypeEdit->setText(ToQString(values.TargetLineType));
    targetWidthEdit->setText(ToQString(values.TargetWidth));
}

QLineEdit* RuleRow::TargetField(int field) const {
    switch (field) {
        case 1: return targetColorEdit;
        case 2: return targetLineTypeEdit;
        default: return targetWidthEdit;
    }
}

}  // namespace tolvane
