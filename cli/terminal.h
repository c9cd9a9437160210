// Whether standard error is a terminal, for the progress line.
#pragma once

namespace tolvane::cli {

bool StandardErrorIsTerminal();

}  // namespace tolvane::cli
