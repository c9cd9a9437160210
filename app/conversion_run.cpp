#include "app/conversion_run.h"

#include <system_error>

#include "app/path_text.h"

namespace tolvane {

namespace fs = std::filesystem;

RunCheck CheckConversionRun(const ConversionSettings& settings, const RunInputs& inputs) {
    if (!inputs.TreeReady) return {1, "検索フォルダを指定して下さい。", MessageKind::Error, true};
    if (!inputs.ListReady || inputs.SourceFolder.empty())
        return {2, "ファイル一覧が表示されていません。", MessageKind::Error, false};
    const RunRefusal refusal = CheckRunInputs(settings, inputs.DestFolder, {fs::path(inputs.SourceFolder)});
    if (refusal.Check != 0) return {refusal.Check, refusal.Message, MessageKind::Confirmation, false};
    return {};
}

QString ConversionProgressText(const fs::path& source, const fs::path& destination) {
    return QStringLiteral("ファイル「") + DisplayText(source.string()) + QStringLiteral("」→「") +
           DisplayText(destination.string()) + QStringLiteral("」変換中です。");
}

std::vector<ConversionResult> ConvertSelection(ConversionSettings& settings, const std::string& sourceFolder,
                                               const std::string& destFolder, const std::vector<std::string>& names,
                                               const fs::path& imageFolder,
                                               const ConversionProgress& progress) {
    ResolveRuleSources(settings);
    // JWW drawings of version 7 and later extract their images here while they are converted.
    std::error_code ignored;
    fs::create_directories(imageFolder, ignored);
    ConversionContext context{settings, imageFolder, progress, {}};
    std::vector<ConversionResult> results;
    for (const std::string& name : names) {
        if (name.empty()) {
            results.push_back({});
            continue;
        }
        results.push_back(ConvertSelectedFile(context, fs::path(sourceFolder) / name, fs::path(destFolder) / name));
    }
    return results;
}

}  // namespace tolvane
