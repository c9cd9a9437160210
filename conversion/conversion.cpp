#include "conversion/conversion.h"

#include <system_error>

#include "formats/file_probes.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "formats/utf8_path.h"
#include "settings/rule_application.h"

namespace tolvane {

namespace {

namespace fs = std::filesystem;

enum class Format { Jww, Jws };

struct Pen {
    uint8_t Style;
    uint16_t Color;
    uint16_t Width;
};

// The pens that the rules may change, in a fixed order, so that a snapshot taken before the
// rules and the drawing after them compare entry by entry.
template <class Visit>
void ForEachPen(const EntityLists& lists, Visit&& visit) {
    for (const LineRecord& r : lists.Lines) visit(r);
    for (const ArcRecord& r : lists.Arcs) visit(r);
    for (const PointRecord& r : lists.Points) visit(r);
    for (const TextRecord& r : lists.Texts) visit(r);
    for (const DimensionRecord& r : lists.Dimensions) {
        for (const EntityBase* b : {static_cast<const EntityBase*>(&r.DimensionLine),
                                    static_cast<const EntityBase*>(&r.DimensionText),
                                    static_cast<const EntityBase*>(&r.AuxLine1), static_cast<const EntityBase*>(&r.AuxLine2),
                                    static_cast<const EntityBase*>(&r.Point1), static_cast<const EntityBase*>(&r.Point2),
                                    static_cast<const EntityBase*>(&r.AuxPoint1), static_cast<const EntityBase*>(&r.AuxPoint2)})
            visit(*b);
    }
    for (const SolidRecord& r : lists.Solids) visit(r);
}

template <class Visit>
void ForEachPen(const DrawingData& drawing, Visit&& visit) {
    ForEachPen(static_cast<const EntityLists&>(drawing), visit);
    for (const BlockDefinition& definition : drawing.BlockDefinitions)
        if (definition.HasMembers()) ForEachPen(definition.Members(), visit);
}

// Counted first, so that the snapshot is made at its size in one piece.
std::vector<Pen> PenSnapshot(const DrawingData& drawing) {
    size_t count = 0;
    ForEachPen(drawing, [&](const EntityBase&) { ++count; });
    std::vector<Pen> pens;
    pens.reserve(count);
    ForEachPen(drawing, [&](const EntityBase& b) { pens.push_back({b.PenStyle, b.PenColor, b.PenWidth}); });
    return pens;
}

void CountChanges(const std::vector<Pen>& before, const DrawingData& after, ConversionResult& result) {
    size_t i = 0;
    ForEachPen(after, [&](const EntityBase& b) {
        if (i >= before.size()) return;
        if (before[i].Color != b.PenColor) ++result.ChangedColors;
        if (before[i].Style != b.PenStyle) ++result.ChangedLineTypes;
        if (before[i].Width != b.PenWidth) ++result.ChangedWidths;
        ++i;
    });
}

ConversionResult ConvertFile(ConversionContext& context, const fs::path& source, const fs::path& destination,
                             Format format, bool combined) {
    ConversionResult result;
    result.DryRun = context.DryRun;
    DrawingData& drawing = context.Drawing;
    if (context.Progress) context.Progress(source, destination);

    std::string error;
    // The images are needed only to be written back.
    const fs::path imageFolder = context.DryRun ? fs::path() : context.ImageFolder;
    const bool read = format == Format::Jww ? ReadJww(source, drawing, imageFolder, &error)
                                            : ReadJws(source, drawing, &error);
    if (!read) {
        // Images already extracted by a failed read stay; nothing else was touched.
        drawing.Release();
        result.Outcome = ConversionOutcome::FailedRead;
        result.Problem = ConversionProblem::ReadFailed;
        result.Reason = error;
        return result;
    }

    result.VersionRead = drawing.Header.FileVersion;
    drawing.Header.FileVersion = RaiseVersion(context.Settings, drawing.Header.FileVersion);
    result.VersionWritten = drawing.Header.FileVersion;
    const std::vector<Pen> before = PenSnapshot(drawing);
    if (combined) ApplyRules(context.Settings, drawing);
    else ApplyTables(context.Settings, drawing, format == Format::Jww);
    CountChanges(before, drawing, result);

    if (context.DryRun) {
        const ReplaceResult planned = PlanReplacement(destination, context.Backups);
        result.Backup = planned.Backup;
        result.Reason = planned.Problem;
        result.Outcome = planned.Problem.empty() ? ConversionOutcome::Converted : ConversionOutcome::FailedWrite;
        if (planned.InTheWay) result.Problem = ConversionProblem::DestinationInTheWay;
        drawing.Release();
        return result;
    }

    // Written whole beside the destination first: the file there is backed up and replaced
    // only by a complete drawing.
    result.Outcome = ConversionOutcome::FailedWrite;
    try {
        AtomicFile output(destination);
        {
            FileSink sink(output.TemporaryPath());
            if (format == Format::Jww) WriteJwwTo(sink, drawing, drawing.Header.FileVersion, context.ImageFolder);
            else WriteJwsTo(sink, drawing, drawing.Header.FileVersion);
            sink.Close();
        }
        const ReplaceResult replaced = ReplaceKeepingBackup(output, context.Backups);
        result.Backup = replaced.Backup;
        result.Reason = replaced.Problem;
        if (replaced.Problem.empty()) result.Outcome = ConversionOutcome::Converted;
        else result.Problem = replaced.InTheWay ? ConversionProblem::DestinationInTheWay : ConversionProblem::WriteFailed;
    } catch (const std::exception& e) {
        result.Problem = ConversionProblem::WriteFailed;
        result.Reason = e.what();
    }
    if (format == Format::Jww) DeleteExtractedImages(drawing, context.ImageFolder);
    drawing.Release();
    return result;
}

}  // namespace

ConversionResult ConvertJwwIndividual(ConversionContext& context, const fs::path& source, const fs::path& destination) {
    return ConvertFile(context, source, destination, Format::Jww, false);
}

ConversionResult ConvertJwwCombined(ConversionContext& context, const fs::path& source, const fs::path& destination) {
    return ConvertFile(context, source, destination, Format::Jww, true);
}

ConversionResult ConvertJwsIndividual(ConversionContext& context, const fs::path& source, const fs::path& destination) {
    return ConvertFile(context, source, destination, Format::Jws, false);
}

ConversionResult ConvertJwsCombined(ConversionContext& context, const fs::path& source, const fs::path& destination) {
    return ConvertFile(context, source, destination, Format::Jws, true);
}

SelectedFile CheckSelectedFile(const fs::path& source, const fs::path& destination) {
    const std::string extension = UpperExtension(Utf8FromPath(source.filename()));
    SelectedFile file;
    const auto skipped = [&file](ConversionProblem problem, std::string reason) {
        file.Refused.Outcome = ConversionOutcome::SkippedNotADrawing;
        file.Refused.Problem = problem;
        file.Refused.Reason = std::move(reason);
        return file;
    };
    std::error_code error;
    if (extension != ".JWW" && extension != ".JWS")
        return skipped(ConversionProblem::NotDrawingExtension, "not a .JWW or .JWS file");
    const fs::file_status status = fs::status(source, error);
    if (!fs::exists(status)) return skipped(ConversionProblem::Missing, "the file no longer exists");
    // A pipe or a device would block the probe or never end.
    if (!fs::is_regular_file(status)) return skipped(ConversionProblem::NotRegularFile, "not a regular file");
    // Never write over the file being read, whatever path leads to it.
    if (fs::equivalent(source, destination, error)) {
        file.Refused.Outcome = ConversionOutcome::FailedWrite;
        file.Refused.Problem = ConversionProblem::DestinationIsSource;
        file.Refused.Reason = "the destination is the source file itself";
        return file;
    }
    file.Jws = extension == ".JWS";
    if (!file.Jws && !ProbeJww(source))
        return skipped(ConversionProblem::NotADrawing, "not a JWW drawing (it does not begin with \"JwwData.\")");
    if (file.Jws && !ProbeJws(source))
        return skipped(ConversionProblem::NotADrawing, "not a JWS figure file (it does not begin with \"JwsData\")");
    file.Readable = true;
    return file;
}

namespace {

ConversionResult ConvertByExtension(ConversionContext& context, const fs::path& source, const fs::path& destination) {
    const SelectedFile file = CheckSelectedFile(source, destination);
    if (!file.Readable) return file.Refused;
    const bool combined = IsCombinedMode(context.Settings);
    if (!file.Jws)
        return combined ? ConvertJwwCombined(context, source, destination) : ConvertJwwIndividual(context, source, destination);
    return combined ? ConvertJwsCombined(context, source, destination) : ConvertJwsIndividual(context, source, destination);
}

}  // namespace

ConversionResult ConvertSelectedFile(ConversionContext& context, const fs::path& source, const fs::path& destination) {
    ConversionResult result = ConvertByExtension(context, source, destination);
    result.DryRun = context.DryRun;
    return result;
}

RunRefusal CheckRunInputs(const ConversionSettings& settings, const std::string& destinationFolder,
                          const std::vector<fs::path>& sourceFolders) {
    std::error_code error;
    if (destinationFolder.empty()) return {RunCheckNumber::NoDestination, kNoDestinationMessage};
    const fs::path destination = PathFromUtf8(destinationFolder);
    if (!fs::is_directory(destination, error)) return {RunCheckNumber::DestinationMissing, kDestinationMissingMessage};
    for (const fs::path& folder : sourceFolders)
        if (IsSameFolder(destination, folder)) return {RunCheckNumber::SameFolder, kSameFolderMessage};
    if (IsCombinedMode(settings) && EnabledRuleCount(settings) == 0)
        return {RunCheckNumber::NoRule, kNoRuleMessage};
    return {};
}

}  // namespace tolvane
