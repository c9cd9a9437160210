// The settings dialog's controls as plain values, and what the dialog does with them: the checks
// of OK and save, storing into the settings, the range setting, and the dialog's own settings
// files. The window only copies its controls into DialogValues and back, so that all of this
// runs in tests without a window.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "settings/conversion_settings.h"
#include "settings/settings_file.h"

namespace tolvane {

// One rule row of the combined page. Texts are UTF-8, as typed.
struct RuleRowValues {
    bool Enabled = false;
    int SourceColorIndex = 0;     // position in the colour list; -1 when no entry is selected
    int SourceLineTypeIndex = 0;  // position in the line-type list; -1 when no entry is selected
    std::string TargetColor = "0";
    std::string TargetLineType = "0";
    std::string TargetWidth = "-1";
};

// What the dialog's controls show. Cell texts are UTF-8, as typed, indexed by grid row (row 0,
// the header row, is unused), so that ColorCells[s] is the cell of colour slot s.
struct DialogValues {
    std::array<std::string, kColorSlots + 1> ColorCells;
    std::array<std::string, kColorSlots + 1> WidthCells;
    std::array<std::string, kLineTypeSlots + 1> LineTypeCells;
    std::array<bool, kOptionCount> Options{};
    int Page = 0;  // the page showing: 0 individual, 1 combined
    std::array<RuleRowValues, kRuleCount> Rules{};
};

// The first value that a check refused: the page to show and the control to focus.
struct BadValue {
    enum class Place { ColorGrid, LineTypeGrid, RuleField };
    Place Where;
    int Row;     // grid row 1.., or rule row 1..10
    int Column;  // grid column 1..2, or the rule row's edit field 1..3 (colour, line type, width)

    int Page() const { return Where == Place::RuleField ? 1 : 0; }
    bool operator==(const BadValue&) const = default;
};

// Why a value was refused, for the dialog's message line (UTF-8): which value, and the
// values it takes.
std::string BadValueReason(const BadValue& bad);

// The lenient reading of every cell and field: the integer that the whole text denotes, else 0.
int32_t ParseCell(const std::string& utf8);

// What the dialog shows for the keys of a settings file, read as a run reads them: a missing
// key shows its default, a value out of range as it stands (for OK to point at), an option or
// a mode as a run takes it, a list position outside its list no entry. The stored settings
// are shown through the same function, as the keys they would be saved as.
DialogValues DialogValuesOf(const SettingsFileKeys& keys);
DialogValues DialogValuesOf(const ConversionSettings& settings);

// The dialog's values for the settings they stand for, every text read leniently; the mode is
// the page showing. Used for saving, where no check decides what is stored.
ConversionSettings SettingsOfDialog(const DialogValues& values);

// The grid checks of OK and save: colour, then width, row by row, then the line types. Every
// accepted cell up to the first refused one is rewritten as the decimal text of its value.
std::optional<BadValue> CheckTables(DialogValues& values);
// The rule rows, enabled or not: colour, line type, width; the fields are not rewritten.
std::optional<BadValue> CheckRules(const DialogValues& values);

// OK: checks the grids, stores the tables and options, checks the rules, stores the rules and
// the mode and derives VersionRaise. A bad rule row therefore leaves the tables and options
// stored while the rules, the mode and VersionRaise keep their previous values.
std::optional<BadValue> ConfirmDialog(DialogValues& values, ConversionSettings& settings);

// The note shown after OK when converted files will get a newer data version (UTF-8); empty
// when the version is not raised.
std::string VersionRaiseMessage(VersionRaiseLevel versionRaise);

enum class RangeTarget { Color, Width, LineType };
std::string RangeReason(RangeTarget target);

// The range buttons: the input is read leniently; when the value is accepted, the input shows
// its decimal text and rows top..bottom of the target column get it. Answers false (and
// changes nothing) when the value is refused.
bool SetRange(DialogValues& values, RangeTarget target, std::string& input, int top, int bottom);

// The dialog's save: the same keys and values that saving the stored settings writes, taken
// from the controls. False when the file could not be written.
bool SaveDialogSettings(const DialogValues& values, const std::string& file);

// The dialog's open: the controls show the file's keys (DialogValuesOf). False, with the
// reason, and nothing changed, when the file is no settings file (OpenSettingsFile).
bool LoadSettingsIntoDialog(DialogValues& values, const std::filesystem::path& file, SettingsFileError* error = nullptr);

}  // namespace tolvane
