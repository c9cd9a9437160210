// The settings file given to a command (--settings), read as every front end reads one.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "settings/conversion_settings.h"

namespace tolvane::cli {

// The settings of the file; nothing (with the reason on err, naming the file) when the file
// is not a settings file, or when keys hold values that are not integers or that the
// settings dialog would not accept (each named): the command then writes nothing.
std::optional<ConversionSettings> OpenSettingsArgument(const std::string& file, std::ostream& err);

}  // namespace tolvane::cli
