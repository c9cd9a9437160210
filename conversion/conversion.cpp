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
    DrawingData& drawing = context.Drawing;
    if (context.Progress) context.Progress(source, destination);

    std::string error;
    const bool read = format == Format::Jww ? ReadJww(source, drawing, context.ImageFolder, &error)
                                            : ReadJws(source, drawing, &error);
    if (!read) {
        // Images already extracted by a failed read stay; nothing else was touched.
        drawing.Release();
        result.Outcome = ConversionOutcome::FailedRead;
        result.Reason = error;
        return result;
    }

    BackupDestination(destination);
    std::error_code ignored;
    const fs::file_status left = fs::symlink_status(destination, ignored);
    if (fs::exists(left)) {
        // Writing now would destroy what could not be kept as a backup.
        result.Outcome = ConversionOutcome::FailedWrite;
        result.Reason = fs::is_directory(left) ? "a folder of that name is at the destination"
                                               : "the file already at the destination could not be renamed to " +
                                                     Utf8FromPath(BackupPathOf(destination).filename());
    } else {
        result.VersionRead = drawing.Header.FileVersion;
        drawing.Header.FileVersion = RaiseVersion(context.Settings, drawing.Header.FileVersion);
        result.VersionWritten = drawing.Header.FileVersion;
        const std::vector<Pen> before = PenSnapshot(drawing);
        if (combined) ApplyRules(context.Settings, drawing);
        else ApplyTables(context.Settings, drawing, format == Format::Jww);
        CountChanges(before, drawing, result);

        const bool written = format == Format::Jww
                                 ? WriteJww(destination, drawing, drawing.Header.FileVersion, context.ImageFolder, &error)
                                 : WriteJws(destination, drawing, drawing.Header.FileVersion, &error);
        if (written) {
            result.Outcome = ConversionOutcome::Converted;
        } else {
            fs::remove(destination, ignored);
            result.Outcome = ConversionOutcome::FailedWrite;
            result.Reason = error;
        }
    }
    if (format == Format::Jww) DeleteExtractedImages(drawing, context.ImageFolder);
    drawing.Release();
    return result;
}

}  // namespace

fs::path BackupPathOf(const fs::path& destination) {
    // The extension runs from the last full stop of the name; a name without one gets ".BAK".
    fs::path::string_type name = destination.filename().native();
    const auto dot = name.rfind(fs::path::value_type('.'));
    if (dot != fs::path::string_type::npos) name.erase(dot);
    name += fs::path(".BAK").native();
    return destination.parent_path() / name;
}

// A folder of the destination's name is no file to keep: it is left alone, and the conversion
// then refuses to write.
void BackupDestination(const fs::path& destination) {
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(destination, ignored);
    if (!fs::exists(status) || fs::is_directory(status)) return;
    const fs::path backup = BackupPathOf(destination);
    if (fs::exists(fs::symlink_status(backup, ignored))) fs::remove(backup, ignored);
    fs::rename(destination, backup, ignored);
}

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

ConversionResult ConvertSelectedFile(ConversionContext& context, const fs::path& source, const fs::path& destination) {
    const std::string extension = UpperExtension(Utf8FromPath(source.filename()));
    const bool combined = IsCombinedMode(context.Settings);
    ConversionResult skipped;
    skipped.Outcome = ConversionOutcome::SkippedNotADrawing;
    std::error_code error;
    if (extension != ".JWW" && extension != ".JWS") {
        skipped.Reason = "not a .JWW or .JWS file";
        return skipped;
    }
    const fs::file_status status = fs::status(source, error);
    if (!fs::exists(status)) {
        skipped.Reason = "the file no longer exists";
        return skipped;
    }
    // A pipe or a device would block the probe or never end.
    if (!fs::is_regular_file(status)) {
        skipped.Reason = "not a regular file";
        return skipped;
    }
    // Never write over the file being read, whatever path leads to it.
    if (fs::equivalent(source, destination, error)) {
        ConversionResult refused;
        refused.Outcome = ConversionOutcome::FailedWrite;
        refused.Reason = "the destination is the source file itself";
        return refused;
    }
    if (extension == ".JWW") {
        if (!ProbeJww(source)) {
            skipped.Reason = "not a JWW drawing (it does not begin with \"JwwData.\")";
            return skipped;
        }
        return combined ? ConvertJwwCombined(context, source, destination) : ConvertJwwIndividual(context, source, destination);
    }
    if (!ProbeJws(source)) {
        skipped.Reason = "not a JWS figure file (it does not begin with \"JwsData\")";
        return skipped;
    }
    return combined ? ConvertJwsCombined(context, source, destination) : ConvertJwsIndividual(context, source, destination);
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
