#include "qt/conversion_run.h"

#include "qt/path_text.h"

namespace tolvane {

namespace fs = std::filesystem;

RunCheck CheckConversionRun(const ConversionSettings& settings, const RunInputs& inputs) {
    if (!inputs.TreeReady) return {RunCheckNumber::NoSearchFolder, "検索フォルダを指定して下さい。", MessageKind::Error, true};
    if (!inputs.ListReady || inputs.SourceFolder.empty())
        return {RunCheckNumber::NoFileList, "ファイル一覧が表示されていません。", MessageKind::Error, false};
    const RunRefusal refusal = CheckRunInputs(settings, inputs.DestFolder, {fs::path(inputs.SourceFolder)});
    if (refusal.Check != RunCheckNumber::Passed) return {refusal.Check, refusal.Message, MessageKind::Confirmation, false};
    return {};
}

QString ConversionProgressText(const fs::path& source, const fs::path& destination) {
    return QStringLiteral("ファイル「") + DisplayText(source.string()) + QStringLiteral("」→「") +
           DisplayText(destination.string()) + QStringLiteral("」変換中です。");
}

std::vector<BatchFile> SelectionFiles(const std::string& sourceFolder, const std::string& destFolder,
                                      const std::vector<std::string>& names) {
    std::vector<BatchFile> files;
    files.reserve(names.size());
    for (const std::string& name : names)
        if (!name.empty()) files.push_back({fs::path(sourceFolder) / name, fs::path(destFolder) / name});
    return files;
}

}  // namespace tolvane
