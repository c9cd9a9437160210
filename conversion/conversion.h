// Converting drawing files: one file at a time (read, raise the version, apply the tables or
// the rules, write beside the destination, keep the file there as a backup and put the new one
// in its place, clean up the extracted images), and the walk over a selection of files. Shared
// by the desktop program and the command line.
#pragma once

#include <filesystem>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "conversion/backups.h"
#include "formats/drawing.h"
#include "settings/conversion_settings.h"

namespace tolvane {

enum class ConversionOutcome {
    Converted,
    SkippedNotADrawing,  // not ".JWW" or ".JWS", or its probe failed
    FailedRead,          // could not be read completely; nothing was written
    FailedWrite,         // could not be written; a file at the destination stays as it was
    Stopped,             // not started: the run was stopped before this file
};

struct ConversionContext {
    const ConversionSettings& Settings;
    // Where the images of JWW drawings are extracted while a file is converted.
    std::filesystem::path ImageFolder;
    // Called before each file is read, with its source and destination paths.
    std::function<void(const std::filesystem::path& source, const std::filesystem::path& destination)> Progress;
    // The backups of the run this file belongs to; without it every backup is NAME.BAK.
    RunBackups* Backups = nullptr;
    // The one drawing held while a file is converted.
    DrawingData Drawing;
    // Everything but the writing: the drawing is read without extracting its images, the
    // tables are applied in memory, the backup that the replacement would make is only
    // planned (Backups records the outputs the run would have written), and nothing is left
    // on disk.
    bool DryRun = false;
};

// Why a file was not converted, for a front end to word in its own language; the Reason of
// the result holds the technical detail in English.
enum class ConversionProblem {
    None,
    NotDrawingExtension,  // neither ".JWW" nor ".JWS"
    Missing,              // gone since it was listed
    NotRegularFile,
    NotADrawing,          // a drawing's extension, but not that format's signature
    DestinationIsSource,
    ReadFailed,
    DestinationInTheWay,  // the file or folder already at the destination could not be kept
    WriteFailed,
    Stopped,
    Unexpected,           // an error the conversion did not foresee
};

struct ConversionResult {
    ConversionOutcome Outcome = ConversionOutcome::SkippedNotADrawing;
    ConversionProblem Problem = ConversionProblem::None;
    std::string Reason;  // why a file was skipped or failed
    // How many pens (of entities, dimension parts and block members) the settings changed.
    size_t ChangedColors = 0;
    size_t ChangedLineTypes = 0;
    size_t ChangedWidths = 0;
    uint32_t VersionRead = 0;
    uint32_t VersionWritten = 0;
    // Where the file that was at the destination went (NAME.BAK, or NAME.n.BAK when this run
    // had already made NAME.BAK); empty when there was none. In a dry run, where it would go.
    std::filesystem::path Backup;
    // Nothing was written: the result is what a run would have done.
    bool DryRun = false;
};

ConversionResult ConvertJwwIndividual(ConversionContext& context, const std::filesystem::path& source,
                                      const std::filesystem::path& destination);
ConversionResult ConvertJwwCombined(ConversionContext& context, const std::filesystem::path& source,
                                    const std::filesystem::path& destination);
ConversionResult ConvertJwsIndividual(ConversionContext& context, const std::filesystem::path& source,
                                      const std::filesystem::path& destination);
ConversionResult ConvertJwsCombined(ConversionContext& context, const std::filesystem::path& source,
                                    const std::filesystem::path& destination);

// Whether a selected file is one to read, by its upper-cased extension, its status and the
// format's probe: the file's format, or the result that skips it (or refuses a destination
// that is the source itself).
struct SelectedFile {
    bool Readable = false;
    bool Jws = false;
    ConversionResult Refused;  // when not Readable
};
SelectedFile CheckSelectedFile(const std::filesystem::path& source, const std::filesystem::path& destination);

// One step of the selection walk: by the upper-cased extension and the format's probe, the
// conversion of the mode that the settings give (1 combined, anything else individual).
ConversionResult ConvertSelectedFile(ConversionContext& context, const std::filesystem::path& source,
                                     const std::filesystem::path& destination);

// True when the two paths name the same folder on disk (links and other spellings
// included, and on Windows other letter cases); false when either does not exist.
bool IsSameFolder(const std::filesystem::path& a, const std::filesystem::path& b);

// The message the conversion run shows when it must refuse to start, or empty: the checks of
// the destination folder and the rules that need no window.
// The checks before a run, in the order they are made.
enum class RunCheckNumber : int {
    Passed = 0,
    NoSearchFolder = 1,
    NoFileList = 2,
    NoDestination = 3,
    DestinationMissing = 4,
    SameFolder = 5,
    NoRule = 6,
};

inline constexpr const char* kNoDestinationMessage = "保存先フォルダを指定して下さい。";
inline constexpr const char* kDestinationMissingMessage = "指定された保存先フォルダが存在しません。再指定して下さい。";
inline constexpr const char* kSameFolderMessage = "保存先フォルダとファイルのフォルダが同じになっています。";
inline constexpr const char* kNoRuleMessage = "[線色線種・組合せ変換] 変換指定が行われていません。";

struct RunRefusal {
    RunCheckNumber Check = RunCheckNumber::Passed;
    std::string Message;  // the run's message, in UTF-8
};
// The destination folder is UTF-8 text on Windows.
RunRefusal CheckRunInputs(const ConversionSettings& settings, const std::string& destinationFolder,
                          const std::vector<std::filesystem::path>& sourceFolders);

}  // namespace tolvane
