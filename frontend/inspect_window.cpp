#include "frontend/inspect_window.h"

#include <system_error>
#include <utility>

#include "formats/atomic_file.h"
#include "formats/utf8_path.h"
#include "frontend/path_text.h"
#include "frontend/texts.h"
#include "settings/conversion_settings.h"
#include "settings/text_encoding.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

using inspect_text::kHeaders;

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// The cells of a row in the order of the headers; a file that cannot be read has no counts.
std::vector<std::string> Cells(const InspectRow& row, const FileTextFunction& fileText) {
    return {fileText(row.File), row.Ok ? std::to_string(row.Errors) : "", row.Ok ? std::to_string(row.Warnings) : "",
            row.Worst};
}

}  // namespace

std::string PenEntityText(PenEntity entity) {
    switch (entity) {
        case PenEntity::Line: return "線";
        case PenEntity::Arc: return "円弧";
        case PenEntity::Point: return "点";
        case PenEntity::Text: return "文字";
        case PenEntity::Solid: return "ソリッド";
        case PenEntity::Dimension: return "寸法";
        case PenEntity::Insert: return "ブロック挿入";
    }
    return "";
}

std::string ColorText(int color) {
    if (const std::optional<int> slot = ColorSlotOf(color))
        return ShiftJisToUtf8(ColorNames()[static_cast<size_t>(*slot - 1)]);
    return "線色番号 " + std::to_string(color);
}

std::string LineTypeText(int lineType) {
    if (const std::optional<int> slot = LineTypeSlotOf(lineType))
        return ShiftJisToUtf8(LineTypeNames()[static_cast<size_t>(*slot - 1)]);
    return "線種番号 " + std::to_string(lineType);
}

std::string FindingText(const Finding& f, const DeliveryStandard& standard) {
    std::string text = f.Grade == FindingGrade::Error ? "エラー：" : "警告：";
    const std::string entities = PenEntityText(f.Entity) + " " + std::to_string(f.Count) + "件";
    switch (f.Rule) {
        case DeliveryRule::Color: text += standard.Title + "にない線色「" + ColorText(f.Value) + "」：" + entities; break;
        case DeliveryRule::LineType:
            text += standard.Title + "にない線種「" + LineTypeText(f.Value) + "」：" + entities;
            break;
        case DeliveryRule::Width: text += "標準にない線幅 " + std::to_string(f.Value) + "：" + entities; break;
        case DeliveryRule::NoWidth: text += "線幅の指定なし：" + entities; break;
        case DeliveryRule::LayerName:
            return text + standard.Title + "の形式でないレイヤ名「" + LayerNumberText(f.Group, f.Layer) + " " +
                   ArchiveStringToUtf8(f.Name) + "」：" + std::to_string(f.Count) + "件";
        case DeliveryRule::UnnamedLayer:
            return text + "名前のないレイヤ「" + LayerNumberText(f.Group, f.Layer) + "」：" + std::to_string(f.Count) + "件";
    }
    if (f.InBlocks > 0) text += "（うちブロック内 " + std::to_string(f.InBlocks) + "件）";
    return text;
}

InspectRow InspectRowOf(const FileInspection& inspection, const DeliveryStandard& standard) {
    InspectRow row;
    row.File = inspection.File;
    row.Ok = inspection.Ok;
    if (!inspection.Ok) {
        row.WorstIsError = true;
        row.Worst = "読み込めません：" + inspection.Error;
        return row;
    }
    const DeliveryCheck check = CheckDelivery(inspection.Drawing, standard);
    row.Errors = check.Errors;
    row.Warnings = check.Warnings;
    if (const Finding* worst = WorstFinding(check)) {
        row.WorstIsError = worst->Grade == FindingGrade::Error;
        row.Worst = FindingText(*worst, standard);
    }
    return row;
}

std::vector<PenSummaryRow> PenSummaryRows(const std::vector<PenTotal>& totals) {
    std::vector<PenSummaryRow> rows;
    rows.reserve(totals.size());
    for (const PenTotal& t : totals)
        rows.push_back({PenEntityText(t.Pen.Entity), ColorText(t.Pen.Color), LineTypeText(t.Pen.LineType),
                        std::to_string(t.Pen.Width), t.Count, t.InBlocks, t.Files});
    return rows;
}

std::string FileNameText(const fs::path& file) { return Utf8FromPath(file.filename()); }

std::string InspectListText(const std::vector<InspectRow>& rows, const FileTextFunction& fileText) {
    std::string text = std::string(kHeaders[0]) + '\t' + std::string(kHeaders[1]) + '\t' + std::string(kHeaders[2]) + '\t' +
                       std::string(kHeaders[3]) + '\n';
    for (const InspectRow& row : rows) {
        const std::vector<std::string> cells = Cells(row, fileText);
        text += cells[0] + '\t' + cells[1] + '\t' + cells[2] + '\t' + cells[3] + '\n';
    }
    return text;
}

std::string InspectListCsv(const std::vector<InspectRow>& rows, const FileTextFunction& fileText) {
    std::string text = "\xEF\xBB\xBF" + std::string(kHeaders[0]) + ',' + std::string(kHeaders[1]) + ',' +
                       std::string(kHeaders[2]) + ',' + std::string(kHeaders[3]) + "\r\n";
    for (const InspectRow& row : rows) {
        const std::vector<std::string> cells = Cells(row, fileText);
        text += CsvField(cells[0]) + ',' + cells[1] + ',' + cells[2] + ',' + CsvField(cells[3]) + "\r\n";
    }
    return text;
}

bool SaveInspectListCsv(const std::vector<InspectRow>& rows, const fs::path& file, const FileTextFunction& fileText) {
    const std::string bytes = InspectListCsv(rows, fileText);
    return WriteStreamAtomically(
        file, [&](std::ostream& out) { out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())); }, nullptr);
}

FileChoice InspectFileChoice(const fs::path& folder) {
    return {std::string(inspect_text::kSaveTitle), folder, PathFromUtf8(inspect_text::kSaveName),
            std::string(inspect_text::kCsvFilterName), "*.csv", "csv"};
}

std::string InspectSummaryText(const InspectRunResult& result) {
    size_t errors = 0, warnings = 0, clean = 0, unreadable = 0;
    for (const InspectRow& row : result.Rows) {
        if (!row.Ok) ++unreadable;
        else if (row.Errors > 0) ++errors;
        else if (row.Warnings > 0) ++warnings;
        else ++clean;
    }
    std::string text(result.Stopped ? inspect_text::kStopped : inspect_text::kCompleted);
    text += "（エラー：" + std::to_string(errors) + "件　警告のみ：" + std::to_string(warnings) + "件　問題なし：" +
            std::to_string(clean) + "件　読み込めない：" + std::to_string(unreadable) + "件";
    if (result.Stopped) text += "　未点検：" + std::to_string(result.Selected - result.Rows.size()) + "件";
    return text + "）";
}

std::string InspectProgressText(const fs::path& file) {
    return "ファイル「" + DisplayPath(file) + "」点検中です。";
}

struct InspectRun::Shared {
    std::atomic<bool> Stop{false};
    std::atomic<bool> Running{false};
};

InspectRun::InspectRun(Post post) : post_(std::move(post)), shared_(std::make_shared<Shared>()) {}

InspectRun::~InspectRun() {
    shared_->Stop = true;
    if (worker_.joinable()) worker_.join();
}

bool InspectRun::Start(std::vector<fs::path> files, DeliveryStandard standard, Callbacks callbacks, unsigned jobs) {
    if (shared_->Running) return false;
    if (worker_.joinable()) worker_.join();
    shared_->Stop = false;
    shared_->Running = true;
    try {
        worker_ = std::thread([shared = shared_, post = post_, files = std::move(files), standard = std::move(standard),
                               callbacks = std::move(callbacks), jobs] {
            InspectRunResult result;
            result.Selected = files.size();
            result.Standard = standard.Title;
            PenSummary pens;
            InspectOptions options;
            options.Jobs = jobs;
            options.Stop = &shared->Stop;
            options.Reported = [&](size_t index, FileInspection& inspection) {
                if (inspection.Ok) pens.Add(inspection.Drawing);
                result.Rows.push_back(InspectRowOf(inspection, standard));
                post([fileDone = callbacks.FileDone, index, row = result.Rows.back(), done = result.Rows.size()] {
                    if (fileDone) fileDone(index, row, done);
                });
            };
            InspectFiles(files, options);
            result.Pens = PenSummaryRows(pens.Totals());
            result.Stopped = result.Rows.size() < files.size();
            post([shared, ended = callbacks.Ended, result = std::move(result)] {
                shared->Running = false;
                if (ended) ended(result);
            });
        });
    } catch (const std::system_error&) {
        shared_->Running = false;
        return false;
    }
    return true;
}

void InspectRun::Stop() { shared_->Stop = true; }

bool InspectRun::Running() const { return shared_->Running; }

}  // namespace tolvane
