// What the command line asks of the system beyond the standard library.
#pragma once

namespace tolvane::cli {

// Whether standard error is a terminal, for the progress line.
bool StandardErrorIsTerminal();

// Makes a write past the process's file-size limit fail like a full disk, instead of ending
// the process with a signal and leaving a half-written drawing behind.
void IgnoreFileSizeSignal();

}  // namespace tolvane::cli
