// The settings dialog without the window: the name lists as the controls show them, the file
// a settings-file choice starts at, and the sequences of OK, save, open and the range buttons.
// The window reads its controls into DialogValues, calls one function per handler and shows
// the values and the refused place it gets back; beeps, boxes and file choices go through the
// Platform.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/dialog_values.h"
#include "frontend/platform.h"
#include "settings/conversion_settings.h"
#include "settings/settings_file.h"

namespace tolvane {

// The colour and line-type names of the grids and the rule rows, in UTF-8.
const std::vector<std::string>& ColorNameTexts();
const std::vector<std::string>& LineTypeNameTexts();

// The choice of a settings file, in the folder of the last one and under its name.
FileChoice SettingsFileChoice(std::string_view title, const std::string& lastSettingsFile);
// The message for a file that is no settings file: the file, then why, in Japanese with the
// system's reason after it.
std::string SettingsFileErrorText(std::string_view lead, const std::filesystem::path& file, const SettingsFileError& error);
// The status text after a settings file was read: the keys not taken, or nothing.
std::string OpenedSettingsStatus(const OpenedSettings& opened);

// What a handler leaves the window to show: whether a value was refused, with its reason and,
// for a grid cell or a rule field, its place (the page, the control to focus, the cell).
struct DialogStep {
    bool Refused = false;
    std::optional<BadValue> Bad;
    std::string Reason;
};

class SettingsDialogLogic {
public:
    SettingsDialogLogic(ConversionSettings& settings, Platform& platform) : settings_(settings), platform_(platform) {}

    // FormShow: the stored settings.
    DialogValues FormShow() const { return DialogValuesOf(settings_); }
    // OK: stores what passes (see ConfirmDialog) and tells of a raised version; the dialog
    // closes when nothing was refused. The cells that passed come back rewritten.
    DialogStep Button3Click(DialogValues& values);
    // Save: the checks of OK, then the file; only the last settings file is stored.
    DialogStep Button6Click(DialogValues& values);
    // Open: the values of a file, read as a run reads it; true when the values changed. The
    // file becomes the last settings file only once it has been read.
    bool Button7Click(DialogValues& values);
    // The range buttons: rows top..bottom of the target column, or a refusal.
    DialogStep SetRangeClick(DialogValues& values, RangeTarget target, std::string& input, int top, int bottom);

private:
    DialogStep Refuse(const BadValue& bad);

    ConversionSettings& settings_;
    Platform& platform_;
};

}  // namespace tolvane
