#include "frontend/settings_dialog.h"

#include "formats/utf8_path.h"
#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "settings/text_encoding.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// The name lists are Shift-JIS, as the original program held them.
std::vector<std::string> Texts(const std::vector<std::string>& shiftJisNames) {
    std::vector<std::string> names;
    names.reserve(shiftJisNames.size());
    for (const std::string& name : shiftJisNames) names.push_back(ShiftJisToUtf8(name));
    return names;
}

}  // namespace

const std::vector<std::string>& ColorNameTexts() {
    static const std::vector<std::string> names = Texts(ColorNames());
    return names;
}

const std::vector<std::string>& LineTypeNameTexts() {
    static const std::vector<std::string> names = Texts(LineTypeNames());
    return names;
}

FileChoice SettingsFileChoice(std::string_view title, const std::string& lastSettingsFile) {
    const fs::path last = PathFromUtf8(lastSettingsFile);
    const fs::path folder = last.has_parent_path() ? AsFolder(last.parent_path()) : fs::path();
    return {std::string(title), folder, last.filename(), std::string(dialog_text::kSettingsFilterName), "*.set", "set"};
}

std::string SettingsFileErrorText(std::string_view lead, const fs::path& file, const SettingsFileError& error) {
    using namespace main_text;
    std::string_view why = kSettingsUnreadable;
    switch (error.Problem) {
        case SettingsFileProblem::Missing: why = kSettingsMissing; break;
        case SettingsFileProblem::Folder: why = kSettingsFolder; break;
        case SettingsFileProblem::Fifo: why = kSettingsFifo; break;
        case SettingsFileProblem::Device: why = kSettingsDevice; break;
        case SettingsFileProblem::NotRegular: why = kSettingsNotRegular; break;
        case SettingsFileProblem::Unreadable: why = kSettingsUnreadable; break;
        case SettingsFileProblem::TooLarge: why = kSettingsTooLarge; break;
        case SettingsFileProblem::Empty: why = kSettingsEmpty; break;
        case SettingsFileProblem::Drawing: why = kSettingsDrawing; break;
        case SettingsFileProblem::NotText: why = kSettingsNotText; break;
        case SettingsFileProblem::Utf16: why = kSettingsUtf16; break;
        case SettingsFileProblem::NoSettings: why = kSettingsNoKeys; break;
    }
    std::string text = std::string(lead) + DisplayPath(file) + "\n" + std::string(why);
    if (!error.Detail.empty() && error.Problem == SettingsFileProblem::Unreadable) text += "（" + error.Detail + "）";
    return text;
}

std::string OpenedSettingsStatus(const OpenedSettings& opened) {
    const auto list = [](const std::vector<std::string>& keys) {
        std::string text;
        for (const std::string& key : keys) text += (text.empty() ? "" : ", ") + key;
        return text;
    };
    std::string status;
    if (!opened.RefusedKeys.empty()) status = std::string(main_text::kSettingsKeysRefused) + list(opened.RefusedKeys);
    if (!opened.Keys.NotIntegers.empty())
        status += (status.empty() ? "" : "　") + std::string(main_text::kSettingsKeysNotIntegers) + list(opened.Keys.NotIntegers);
    return status;
}

DialogStep SettingsDialogLogic::Refuse(const BadValue& bad) {
    platform_.Beep();
    return {true, bad, BadValueReason(bad)};
}

DialogStep SettingsDialogLogic::Button3Click(DialogValues& values) {
    if (const std::optional<BadValue> bad = ConfirmDialog(values, settings_)) return Refuse(*bad);
    const std::string message = VersionRaiseMessage(settings_.VersionRaise);
    if (!message.empty()) platform_.ShowMessage({MessageKind::Information, message, MessageButtons::Ok});
    return {};
}

DialogStep SettingsDialogLogic::Button6Click(DialogValues& values) {
    std::optional<BadValue> bad = CheckTables(values);
    if (!bad) bad = CheckRules(values);
    if (bad) return Refuse(*bad);
    const std::optional<fs::path> file =
        platform_.ChooseSaveFile(SettingsFileChoice(dialog_text::kSaveTitle, settings_.LastSettingsFile));
    if (!file) return {};
    settings_.LastSettingsFile = Utf8FromPath(*file);
    if (!SaveDialogSettings(values, settings_.LastSettingsFile)) {
        platform_.Beep();
        platform_.ShowMessage({MessageKind::Error, std::string(dialog_text::kNotSaved) + DisplayPath(*file), MessageButtons::Ok});
    }
    return {};
}

bool SettingsDialogLogic::Button7Click(DialogValues& values) {
    const std::optional<fs::path> file =
        platform_.ChooseOpenFile(SettingsFileChoice(dialog_text::kOpenTitle, settings_.LastSettingsFile));
    if (!file) return false;
    SettingsFileError error;
    if (!LoadSettingsIntoDialog(values, *file, &error)) {
        platform_.Beep();
        platform_.ShowMessage({MessageKind::Error, SettingsFileErrorText(dialog_text::kNotRead, *file, error), MessageButtons::Ok});
        return false;
    }
    settings_.LastSettingsFile = Utf8FromPath(*file);
    return true;
}

DialogStep SettingsDialogLogic::SetRangeClick(DialogValues& values, RangeTarget target, std::string& input, int top,
                                              int bottom) {
    if (SetRange(values, target, input, top, bottom)) return {};
    platform_.Beep();
    return {true, std::nullopt, RangeReason(target)};
}

}  // namespace tolvane
