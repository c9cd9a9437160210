#include "qt/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>

#include "settings/text_encoding.h"

namespace tolvane {

namespace {

constexpr int kRowHeight = 24;

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

// The name lists are Shift-JIS; the lists and grids show them as Unicode.
QStringList DisplayNames(const std::vector<std::string>& shiftJisNames) {
    QStringList names;
    names.reserve(static_cast<qsizetype>(shiftJisNames.size()));
    for (const std::string& name : shiftJisNames) names.append(FromUtf8(ShiftJisToUtf8(name)));
    return names;
}

const QStringList& ColorNameList() {
    static const QStringList names = DisplayNames(ColorNames());
    return names;
}

const QStringList& LineTypeNameList() {
    static const QStringList names = DisplayNames(LineTypeNames());
    return names;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int width, int height = 16) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(x, y, width, height);
    return label;
}

QLabel* MakeHint(QWidget* parent, const char* name, const QString& text, int y) {
    QLabel* label = MakeLabel(parent, name, text, 8, y, 640, 15);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* MakeRangeInput(QWidget* parent, const char* name, int x, int y) {
    auto* input = new QLineEdit(parent);
    input->setObjectName(name);
    input->setAttribute(Qt::WA_InputMethodEnabled, false);
    input->setGeometry(x, y, 52, 22);
    return input;
}

}  // namespace

SettingsGrid::SettingsGrid(int rows, std::initializer_list<int> columnWidths, QWidget* parent)
    : QTableWidget(rows, static_cast<int>(columnWidths.size()), parent) {
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(kRowHeight);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setFixedHeight(kRowHeight);
    int column = 0;
    for (int width : columnWidths) setColumnWidth(column++, width);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    const QBrush fixedBackground = palette().button();
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < columnCount(); ++c) {
            auto* item = new QTableWidgetItem;
            if (row == 0) {
                item->setFlags(Qt::ItemIsEnabled);
            } else if (c == 0) {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                item->setBackground(fixedBackground);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            }
            setItem(row, c, item);
        }
    }
    // Row 0 carries the titles; the header shows them so that they stay in view while the
    // rows scroll.
    setRowHidden(0, true);
}

QString SettingsGrid::Text(int row, int column) const { return item(row, column)->text(); }

void SettingsGrid::SetText(int row, int column, const QString& text) {
    item(row, column)->setText(text);
    if (row == 0) {
        auto* title = new QTableWidgetItem(text);
        setHorizontalHeaderItem(column, title);
    }
}

void SettingsGrid::CommitEdit() {
    if (state() != QAbstractItemView::EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

std::pair<int, int> SettingsGrid::SelectedRows() const {
    int top = rowCount();
    int bottom = 0;
    for (const QTableWidgetSelectionRange& range : selectedRanges()) {
        top = std::min(top, range.topRow());
        bottom = std::max(bottom, range.bottomRow());
    }
    if (top > bottom) top = bottom = currentRow();
    return {std::max(top, 1), bottom};
}

void SettingsGrid::GoToCell(int row, int column) {
    setCurrentCell(row, column);
    scrollToItem(item(row, column));
}

TForm3::TForm3(ConversionSettings& settings, Platform& platform, QWidget* parent)
    : QDialog(parent), settings_(settings), platform_(platform) {
    setObjectName("TForm3");
    setWindowTitle("JWW/JWS設定");
    setModal(true);
    QFont font;
    font.setFamilies({"ＭＳ ゴシック", "IPAGothic"});
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(656, 526);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(4, 4, 648, 326);
    BuildIndividualPage();
    BuildCombinedPage();
    BuildCommonControls();
}

void TForm3::BuildIndividualPage() {
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    PageControl1->addTab(TabSheet1, "線色線種・個別変換(&1)");

    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Label1 = MakeLabel(TabSheet1, "Label1", "線色・線幅設定", 8, 4, 200);
    StringGrid1 = new SettingsGrid(kColorSlots + 1, {140, 106, 72}, TabSheet1);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setGeometry(8, 22, 318 + 2 * StringGrid1->frameWidth() + scrollBar, 11 * kRowHeight + 2 * StringGrid1->frameWidth());

    const int right = 8 + StringGrid1->width() + 14;
    Label2 = MakeLabel(TabSheet1, "Label2", "線種設定", right, 4, 200);
    StringGrid2 = new SettingsGrid(kLineTypeSlots + 1, {140, 118}, TabSheet1);
    StringGrid2->setObjectName("StringGrid2");
    StringGrid2->setGeometry(right, 22, 258 + 2 * StringGrid2->frameWidth() + scrollBar, 5 * kRowHeight + 2 * StringGrid2->frameWidth());

    // The line-type row sits under its grid; the colour and width rows act on the colour grid.
    const auto rangeRow = [&](const char* labelName, const char* text, const char* inputName, const char* afterName,
                              const char* buttonName, int y, QLabel*& label, QLineEdit*& input, QLabel*& after,
                              QPushButton*& button) {
        label = MakeLabel(TabSheet1, labelName, text, right, y + 3, 124);
        input = MakeRangeInput(TabSheet1, inputName, right + 124, y);
        after = MakeLabel(TabSheet1, afterName, "にする", right + 180, y + 3, 40);
        button = MakeButton(TabSheet1, buttonName, "設定", QRect(right + 222, y - 1, 56, 24));
    };
    rangeRow("Label5", "◆範囲選択した線種を", "Edit2", "Label6", "Button2", 156, Label5, Edit2, Label6, Button2);
    rangeRow("Label3", "◆範囲選択した線色を", "Edit1", "Label4", "Button1", 190, Label3, Edit1, Label4, Button1);
    rangeRow("Label11", "◆範囲選択した線幅を", "Edit3", "Label12", "Button5", 218, Label11, Edit3, Label12, Button5);
    Label8 = MakeLabel(TabSheet1, "Label8",
                       "※範囲選択は、[Shift]＋[↑][↓]で行う事が出来ます。[Shift]＋マウス選択は出来ませんので注意。",
                       right, 250, 278, 40);
    Label8->setWordWrap(true);
    Label8->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button5, &QPushButton::clicked, this, &TForm3::Button5Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
}

void TForm3::BuildCombinedPage() {
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet2, "線色線種・組合せ変換(&2)");

    Label13 = MakeLabel(TabSheet2, "Label13", "変換元　　　　線色　　　　　　　　　　　　線種", 12, 2, 370);
    Label15 = MakeLabel(TabSheet2, "Label15", "変換先　線色番号　　線種番号　　　線幅", 374, 2, 260);
    for (int r = 0; r < kRuleCount; ++r) {
        Fram[r] = new TFram(TabSheet2);
        Fram[r]->setObjectName(QString("Fram%1").arg(r + 1));
        Fram[r]->setGeometry(8, 20 + r * 24, 628, 24);
        ResetRuleRow(*Fram[r]);
    }
    Label16 = MakeLabel(TabSheet2, "Label16",
                        "指定した変換元の線色及び線種の線・円弧データを　変換先線色・線種・線幅に変更します。", 12, 264,
                        620);
    Label17 = MakeLabel(TabSheet2, "Label17",
                        "設定、点・文字・寸法図形・ソリッド図形は変更しません。ブロック図形は下記チェックに依存します。",
                        12, 280, 620);
}

void TForm3::BuildCommonControls() {
    Label7 = MakeHint(this, "Label7", "※線色番号は、0:無変換、1～9、101(SXF-1)～356(SXF-256)　で入力して下さい。", 334);
    Label10 = MakeHint(this, "Label10",
                       "※線種番号は、0:無変換、1～9、11～19、31(SXF-1)～62(SXF-32)　で入力して下さい。", 349);
    Label9 = MakeHint(this, "Label9",
                      "※線幅は、-1:無変換、0:基本幅、1～30000[1/100mm単位]の整数値　で入力して下さい。", 364);

    static const char* const captions[kOptionCount] = {
        "文字設定の線色番号も変更する　（※SXF対応線色指定時は変更しません）",
        "寸法設定の線色番号も変更する　（※SXF対応線色指定時は変更しません）",
        "線色指定のソリッド図形の線色番号を変更する",
        "寸法図形の線色番号・線幅を変更する",
        "ブロック図形の線色番号・線幅を変更する",
        "寸法図形の線種番号を変更する",
        "ブロック図形の線種番号を変更する",
        "既に指定されている線幅を変更する",
    };
    for (int i = 0; i < kOptionCount; ++i) {
        CheckBox[i] = new QCheckBox(captions[i], this);
        CheckBox[i]->setObjectName(QString("CheckBox%1").arg(i + 1));
        CheckBox[i]->setGeometry(8, 384 + i * 17, 436, 17);
    }

    Label18 = MakeLabel(this, "Label18", QString(), 456, 448, 192, 34);
    Label18->setWordWrap(true);
    Label18->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette reasonPalette = Label18->palette();
    reasonPalette.setColor(QPalette::WindowText, Qt::red);
    Label18->setPalette(reasonPalette);
    Button6 = MakeButton(this, "Button6", "現在の設定を保存(&S)", QRect(456, 386, 192, 26));
    Button7 = MakeButton(this, "Button7", "保存した設定を開く(O)", QRect(456, 418, 192, 26));
    Button3 = MakeButton(this, "Button3", "ＯＫ (&Y)", QRect(456, 486, 92, 28));
    Button4 = MakeButton(this, "Button4", "キャンセル (&N)", QRect(556, 486, 92, 28));
    Button3->setDefault(true);

    connect(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm3::Button4Click);
    connect(Button6, &QPushButton::clicked, this, &TForm3::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm3::Button7Click);
}

void TForm3::showEvent(QShowEvent* event) {
    // A window system that maps the dialog again (after minimising, say) does not refill it.
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TForm3::ResetRuleRow(TFram& row) {
    row.CB1->clear();
    row.CB1->addItems(ColorNameList());
    row.CB2->clear();
    row.CB2->addItems(LineTypeNameList());
    row.ShowValues(RuleRowValues{});
}

void TForm3::FormShow() {
    // An edit left open when the dialog was last closed must not write into the new values.
    StringGrid1->CommitEdit();
    StringGrid2->CommitEdit();
    Label18->clear();
    StringGrid1->SetText(0, 0, "変換前");
    StringGrid1->SetText(0, 1, "変換後線色番号");
    StringGrid1->SetText(0, 2, "線幅");
    for (int s = 1; s <= kColorSlots; ++s) StringGrid1->SetText(s, 0, ColorNameList()[s - 1]);
    StringGrid2->SetText(0, 0, "変換前");
    StringGrid2->SetText(0, 1, "変換後線種番号");
    for (int s = 1; s <= kLineTypeSlots; ++s) StringGrid2->SetText(s, 0, LineTypeNameList()[s - 1]);
    for (TFram* row : Fram) ResetRuleRow(*row);
    ShowValues(DialogValuesOf(settings_));
}

DialogValues TForm3::ReadValues() const {
    DialogValues values;
    for (int s = 1; s <= kColorSlots; ++s) {
        values.ColorCells[s] = StringGrid1->Text(s, 1).toStdString();
        values.WidthCells[s] = StringGrid1->Text(s, 2).toStdString();
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) values.LineTypeCells[s] = StringGrid2->Text(s, 1).toStdString();
    for (int i = 0; i < kOptionCount; ++i) values.Options[i] = CheckBox[i]->isChecked();
    values.Page = PageControl1->currentIndex();
    for (int r = 0; r < kRuleCount; ++r) values.Rules[r] = Fram[r]->Values();
    return values;
}

void TForm3::ShowTables(const DialogValues& values) {
    for (int s = 1; s <= kColorSlots; ++s) {
        StringGrid1->SetText(s, 1, FromUtf8(values.ColorCells[s]));
        StringGrid1->SetText(s, 2, FromUtf8(values.WidthCells[s]));
    }
    for (int s = 1; s <= kLineTypeSlots; ++s) StringGrid2->SetText(s, 1, FromUtf8(values.LineTypeCells[s]));
}

void TForm3::ShowValues(const DialogValues& values) {
    ShowTables(values);
    for (int i = 0; i < kOptionCount; ++i) CheckBox[i]->setChecked(values.Options[i]);
    PageControl1->setCurrentIndex(values.Page);
    for (int r = 0; r < kRuleCount; ++r) Fram[r]->ShowValues(values.Rules[r]);
}

void TForm3::SetRangeFrom(QLineEdit* input, SettingsGrid* grid, RangeTarget target) {
    grid->CommitEdit();
    DialogValues values = ReadValues();
    std::string text = input->text().toStdString();
    const auto [top, bottom] = grid->SelectedRows();
    if (!SetRange(values, target, text, top, bottom)) {
        platform_.Beep();
        Label18->setText(FromUtf8(RangeReason(target)));
        input->setFocus();
        return;
    }
    Label18->clear();
    input->setText(FromUtf8(text));
    ShowTables(values);
}

void TForm3::Button1Click() { SetRangeFrom(Edit1, StringGrid1, RangeTarget::Color); }
void TForm3::Button5Click() { SetRangeFrom(Edit3, StringGrid1, RangeTarget::Width); }
void TForm3::Button2Click() { SetRangeFrom(Edit2, StringGrid2, RangeTarget::LineType); }

void TForm3::ShowBadValue(const BadValue& bad) {
    platform_.Beep();
    Label18->setText(FromUtf8(BadValueReason(bad)));
    PageControl1->setCurrentIndex(bad.Page());
    switch (bad.Where) {
        case BadValue::Place::ColorGrid:
            StringGrid1->setFocus();
            StringGrid1->GoToCell(bad.Row, bad.Column);
            break;
        case BadValue::Place::LineTypeGrid:
            StringGrid2->setFocus();
            StringGrid2->GoToCell(bad.Row, bad.Column);
            break;
        case BadValue::Place::RuleField:
            Fram[bad.Row - 1]->TargetField(bad.Column)->setFocus();
            break;
    }
}

void TForm3::Button3Click() {
    StringGrid1->CommitEdit();
    StringGrid2->CommitEdit();
    DialogValues values = ReadValues();
    const std::optional<BadValue> bad = ConfirmDialog(values, settings_);
    ShowTables(values);
    if (bad) {
        ShowBadValue(*bad);
        return;
    }
    const std::string message = VersionRaiseMessage(settings_.VersionRaise);
    if (!message.empty()) platform_.ShowMessage(this, MessageKind::Information, FromUtf8(message), MessageButtons::Ok);
    accept();
}

void TForm3::Button4Click() { reject(); }

FileChoice TForm3::SettingsFileChoice(const QString& title) const {
    const QString last = QFile::decodeName(QByteArray::fromStdString(settings_.LastSettingsFile));
    const qsizetype cut = last.lastIndexOf('/') + 1;
    return FileChoice{title, last.left(cut), last.mid(cut), "設定ファイル(*.set)", "set"};
}

void TForm3::Button6Click() {
    StringGrid1->CommitEdit();
    StringGrid2->CommitEdit();
    DialogValues values = ReadValues();
    std::optional<BadValue> bad = CheckTables(values);
    ShowTables(values);
    if (!bad) bad = CheckRules(values);
    if (bad) {
        ShowBadValue(*bad);
        return;
    }
    const std::optional<QString> file = platform_.ChooseSaveFile(this, SettingsFileChoice("現在の設定を保存"));
    if (!file) return;
    settings_.LastSettingsFile = QFile::encodeName(*file).toStdString();
    if (!SaveDialogSettings(values, settings_.LastSettingsFile)) {
        platform_.Beep();
        platform_.ShowMessage(this, MessageKind::Error, "設定ファイルを保存できませんでした。\n" + *file,
                              MessageButtons::Ok);
    }
}

void TForm3::Button7Click() {
    const std::optional<QString> file = platform_.ChooseOpenFile(this, SettingsFileChoice("保存した設定ファイルを開く"));
    if (!file) return;
    settings_.LastSettingsFile = QFile::encodeName(*file).toStdString();
    StringGrid1->CommitEdit();
    StringGrid2->CommitEdit();
    DialogValues values = ReadValues();
    if (!LoadSettingsIntoDialog(values, settings_.LastSettingsFile)) {
        platform_.Beep();
        platform_.ShowMessage(this, MessageKind::Error, "設定ファイルを読み込めませんでした。\n" + *file,
                              MessageButtons::Ok);
        return;
    }
    ShowValues(values);
}

}  // namespace tolvane
