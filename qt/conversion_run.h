// The conversion run of the main window without the window: the checks before a run, in
// their order, and the files of the selection.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <QString>

#include "qt/platform.h"
#include "conversion/batch.h"
#include "conversion/conversion.h"
#include "settings/conversion_settings.h"

namespace tolvane {

struct RunInputs {
    bool TreeReady = false;
    bool ListReady = false;
    std::string DestFolder;    // as the destination field shows it
    std::string SourceFolder;  // the folder the list was filled from, ending with "/"
};

// The first check that refuses the run: its number (1 to 6), message and message kind, and
// whether the status bar shows the message too. Check 0 lets the run go on to its question.
struct RunCheck {
    RunCheckNumber Check = RunCheckNumber::Passed;
    std::string Message;  // UTF-8
    MessageKind Kind = MessageKind::Confirmation;
    bool StatusToo = false;
};
RunCheck CheckConversionRun(const ConversionSettings& settings, const RunInputs& inputs);

inline constexpr const char* kAskStartConversion = "変換を開始します。よろしいですか？";
inline constexpr const char* kConversionCancelled = "変換作業をキャンセルしました。";
inline constexpr const char* kConversionCompleted = "変換作業を完了しました。";
inline constexpr const char* kConversionStopped = "変換作業を中止しました。";

// The status text shown while one file is converted.
QString ConversionProgressText(const std::filesystem::path& source, const std::filesystem::path& destination);

// The files of the selected names: the source folder's file and the destination folder's
// file of the same name, in the order given. Empty names stand for no file.
std::vector<BatchFile> SelectionFiles(const std::string& sourceFolder, const std::string& destFolder,
                                      const std::vector<std::string>& names);

}  // namespace tolvane
