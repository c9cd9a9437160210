// What the command line asks of the system beyond the standard library.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace tolvane::cli {

// Whether standard error is a terminal, for the progress line.
bool StandardErrorIsTerminal();

// Makes a write past the process's file-size limit fail like a full disk, instead of ending
// the process with a signal and leaving a half-written drawing behind. Windows has no such
// limit and no such signal.
void IgnoreFileSizeSignal();

// Makes SIGINT and SIGTERM (Ctrl-C, and Ctrl-Break on Windows) ask the command to stop after
// the files it is working on, instead of ending the process at once, so that it removes its
// temporary files and its image folder and prints its summary. The answer is set when a stop
// was asked for.
const std::atomic<bool>& CatchStopSignals();
// The exit status of a command stopped by a signal: 128 + SIGINT, as a shell reports Ctrl-C.
inline constexpr int kStoppedExitStatus = 130;

// The arguments in UTF-8. On Windows they are taken from the wide command line, because the
// narrow ones pass through the ANSI code page and lose every character outside it.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the console show the program's UTF-8 output as UTF-8 (a no-op where it always does).
void UseUtf8Console();
// The code page the console shows output in; 65001 for UTF-8 (always so outside Windows).
unsigned ConsoleOutputCodePage();

}  // namespace tolvane::cli
