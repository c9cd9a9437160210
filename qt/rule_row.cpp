#include "qt/rule_row.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tolvane {

namespace {

// Target numbers are short: at most "-1", "356", "30000"; the field takes six characters.
constexpr int kTargetLength = 6;

QLineEdit* MakeTargetField(QWidget* parent, const char* name, int x) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaxLength(kTargetLength);
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->setGeometry(x, 1, 60, 22);
    return field;
}

QComboBox* MakeList(QWidget* parent, const char* name, int x, int width) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    list->setMaxVisibleItems(16);
    list->setGeometry(x, 1, width, 22);
    return list;
}

void SelectPosition(QComboBox* list, int position) {
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

}  // namespace

TFram::TFram(QWidget* parent) : QFrame(parent) {
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(4, 3, 18, 18);
    CB1 = MakeList(this, "CB1", 26, 184);
    CB2 = MakeList(this, "CB2", 214, 164);
    Label1 = new QLabel("→", this);
    Label1->setObjectName("Label1");
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(382, 1, 24, 22);
    Edit1 = MakeTargetField(this, "Edit1", 408);
    Edit2 = MakeTargetField(this, "Edit2", 476);
    Edit3 = MakeTargetField(this, "Edit3", 544);
}

RuleRowValues TFram::Values() const {
    RuleRowValues values;
    values.Enabled = CheckBox1->isChecked();
    values.SourceColorIndex = CB1->currentIndex();
    values.SourceLineTypeIndex = CB2->currentIndex();
    values.TargetColor = Edit1->text().toStdString();
    values.TargetLineType = Edit2->text().toStdString();
    values.TargetWidth = Edit3->text().toStdString();
    return values;
}

void TFram::ShowValues(const RuleRowValues& values) {
    CheckBox1->setChecked(values.Enabled);
    SelectPosition(CB1, values.SourceColorIndex);
    SelectPosition(CB2, values.SourceLineTypeIndex);
    Edit1->setText(QString::fromStdString(values.TargetColor));
    Edit2->setText(QString::fromStdString(values.TargetLineType));
    Edit3->setText(QString::fromStdString(values.TargetWidth));
}

QLineEdit* TFram::TargetField(int field) const {
    switch (field) {
        case 1: return Edit1;
        case 2: return Edit2;
        default: return Edit3;
    }
}

}  // namespace tolvane
