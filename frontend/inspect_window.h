// The 点検 (inspect) window without the window: one row per selected file with its errors and
// warnings under a delivery standard and the worst finding in words, the pens in use over the
// selection, the texts of 一覧をコピー and CSVで保存, and the run that inspects the files on a
// worker and hands each result to the window thread. Texts are UTF-8.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "conversion/delivery_standard.h"
#include "conversion/inspect.h"
#include "frontend/platform.h"

namespace tolvane {

struct InspectRow {
    std::filesystem::path File;
    bool Ok = false;  // the file could be read
    size_t Errors = 0;
    size_t Warnings = 0;
    bool WorstIsError = false;
    std::string Worst;  // the worst finding in words, why the file cannot be read, or empty
};

// 線, 円弧, 点, 文字, ソリッド, 寸法, ブロック挿入.
std::string PenEntityText(PenEntity entity);
// A colour or line type by the name the settings dialog gives its slot ("線色 1",
// "SXF 1:black", "線種2:点線１"), or by its number when it has no slot ("線色番号 10").
std::string ColorText(int color);
std::string LineTypeText(int lineType);
// A finding in words, with its grade: "エラー：SXFにない線色「線色 1」：線 120件".
std::string FindingText(const Finding& finding, const DeliveryStandard& standard);

InspectRow InspectRowOf(const FileInspection& inspection, const DeliveryStandard& standard);

// One line of the pens in use over the selection.
struct PenSummaryRow {
    std::string Entity;
    std::string Color;
    std::string LineType;
    std::string Width;  // in 1/100 mm
    uint64_t Count = 0;
    uint64_t InBlocks = 0;
    uint64_t Files = 0;
};
std::vector<PenSummaryRow> PenSummaryRows(const std::vector<PenTotal>& totals);

// How a row names its file; by default the name as UTF-8 (the window passes the text it
// shows for file-system names).
using FileTextFunction = std::function<std::string(const std::filesystem::path&)>;
std::string FileNameText(const std::filesystem::path& file);

// Tab-separated lines with a header line, for the clipboard.
std::string InspectListText(const std::vector<InspectRow>& rows, const FileTextFunction& fileText = FileNameText);
// The bytes of the CSV file: UTF-8 with a byte order mark, CRLF line ends, fields quoted
// where they must be; the columns of the list.
std::string InspectListCsv(const std::vector<InspectRow>& rows, const FileTextFunction& fileText = FileNameText);
// Writes the CSV beside the file and renames it into place: a failed save leaves no half file
// and keeps a file that was there. False when it could not be written.
bool SaveInspectListCsv(const std::vector<InspectRow>& rows, const std::filesystem::path& file,
                        const FileTextFunction& fileText = FileNameText);
// The choice of the CSV file, in the folder of the inspected files.
FileChoice InspectFileChoice(const std::filesystem::path& folder);

struct InspectRunResult {
    std::vector<InspectRow> Rows;  // the files inspected, in order
    std::vector<PenSummaryRow> Pens;
    size_t Selected = 0;  // files asked for
    bool Stopped = false;
    std::string Standard;  // the title of the standard the files were checked against
};

// The status text at the end of a run: the files with errors, with warnings only, without
// findings and unreadable, and after a stop the files not inspected.
std::string InspectSummaryText(const InspectRunResult& result);
// The status text while a file is inspected, naming it as given (its name, or its path).
std::string InspectProgressText(const std::filesystem::path& file);

// Inspects files on a worker thread. Results reach the window only through post, which runs
// a task on the window's thread (Qt: QMetaObject::invokeMethod; Win32: PostMessage); the
// callbacks therefore run there too.
class InspectRun {
public:
    using Post = std::function<void(std::function<void()>)>;
    struct Callbacks {
        // A file is done, with the number of files done so far.
        std::function<void(size_t index, const InspectRow& row, size_t done)> FileDone;
        std::function<void(const InspectRunResult& result)> Ended;
    };

    explicit InspectRun(Post post);
    // Stops a run that still goes and waits for its worker.
    ~InspectRun();
    InspectRun(const InspectRun&) = delete;
    InspectRun& operator=(const InspectRun&) = delete;

    // False, doing nothing, while a run goes.
    bool Start(std::vector<std::filesystem::path> files, DeliveryStandard standard, Callbacks callbacks,
               unsigned jobs = 0);
    // No further file starts; the files being read finish and Ended follows.
    void Stop();
    // From Start until Ended has been handed to the window thread and run there.
    bool Running() const;

private:
    struct Shared;
    Post post_;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

}  // namespace tolvane
