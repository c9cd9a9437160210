#include "cli/settings_argument.h"

#include <variant>
#include <vector>

#include "formats/utf8_path.h"
#include "settings/settings_file.h"

namespace tolvane::cli {

namespace {

std::string Listed(const std::vector<std::string>& keys) {
    std::string text;
    for (const std::string& key : keys) text += (text.empty() ? "" : ", ") + key;
    return text;
}

}  // namespace

std::optional<ConversionSettings> OpenSettingsArgument(const std::string& file, std::ostream& err) {
    const std::variant<OpenedSettings, SettingsFileError> opened = OpenSettingsFile(PathFromUtf8(file));
    if (const auto* error = std::get_if<SettingsFileError>(&opened)) {
        err << "tolvane-cli: the settings file " << file << ' ' << DescribeSettingsFileError(*error) << '\n';
        return std::nullopt;
    }
    const OpenedSettings& settings = std::get<OpenedSettings>(opened);
    // Read leniently these would silently become 0 or the default: nothing the user meant.
    if (!settings.Keys.NotIntegers.empty())
        err << "tolvane-cli: the settings file " << file << " holds values that are not integers: "
            << Listed(settings.Keys.NotIntegers) << '\n';
    if (!settings.RefusedKeys.empty())
        err << "tolvane-cli: the settings file " << file << " holds values the settings dialog would not accept: "
            << Listed(settings.RefusedKeys) << '\n';
    if (!settings.Keys.NotIntegers.empty() || !settings.RefusedKeys.empty()) return std::nullopt;
    return settings.Settings;
}

}  // namespace tolvane::cli
