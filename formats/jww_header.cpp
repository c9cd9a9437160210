// Each group of header items has its reader and its writer side by side, with the same
// version conditions.
#include "formats/jww_header.h"

namespace tolvane {

namespace {

template <size_t N>
void ReadDoubles(ArchiveReader& in, std::array<double, N>& values) {
    for (double& v : values) v = in.ReadDouble();
}

template <size_t N>
void WriteDoubles(ArchiveWriter& out, const std::array<double, N>& values) {
    for (double v : values) out.WriteDouble(v);
}

template <size_t N>
void ReadWords(ArchiveReader& in, std::array<uint32_t, N>& values) {
    for (uint32_t& v : values) v = in.ReadU32();
}

template <size_t N>
void WriteWords(ArchiveWriter& out, const std::array<uint32_t, N>& values) {
    for (uint32_t v : values) out.WriteU32(v);
}

// The layer-group states: per group its settings, then the state of its 16 layers (148 bytes
// a group).
void ReadLayerGroupStates(ArchiveReader& in, DrawingHeader& h) {
    for (LayerGroupInfo& g : h.LayerGroups) {
        g.State = in.ReadU32();
        g.WriteLayer = in.ReadU32();
        g.Scale = in.ReadDouble();
        g.Protect = in.ReadU32();
        for (LayerInfo& l : g.Layers) {
            l.State = in.ReadU32();
            l.Protect = in.ReadU32();
        }
    }
}

void WriteLayerGroupStates(ArchiveWriter& out, const DrawingHeader& h) {
    for (const LayerGroupInfo& g : h.LayerGroups) {
        out.WriteU32(g.State);
        out.WriteU32(g.WriteLayer);
        out.WriteDouble(g.Scale);
        out.WriteU32(g.Protect);
        for (const LayerInfo& l : g.Layers) {
            out.WriteU32(l.State);
            out.WriteU32(l.Protect);
        }
    }
}

// The layer names: 256 of them (group 0 layer 0 first), then the 16 group names.
void ReadLayerNames(ArchiveReader& in, DrawingHeader& h) {
    for (LayerGroupInfo& g : h.LayerGroups)
        for (LayerInfo& l : g.Layers) l.Name = in.ReadString();
    for (LayerGroupInfo& g : h.LayerGroups) g.Name = in.ReadString();
}

void WriteLayerNames(ArchiveWriter& out, const DrawingHeader& h) {
    for (const LayerGroupInfo& g : h.LayerGroups)
        for (const LayerInfo& l : g.Layers) out.WriteString(CleanArchiveText(l.Name));
    for (const LayerGroupInfo& g : h.LayerGroups) out.WriteString(CleanArchiveText(g.Name));
}

// The mark jumps: from 231 on, eight with their layer groups and a reserved block; before,
// four without layer groups (the others keep their cleared values).
void ReadMarkJumps(ArchiveReader& in, DrawingHeader& h, uint32_t version) {
    if (version >= 231) {
        for (MarkJump& m : h.MarkJumps) {
            m.Scale = in.ReadDouble();
            m.OriginX = in.ReadDouble();
            m.OriginY = in.ReadDouble();
            m.LayerGroup = in.ReadI32();
        }
        ReadDoubles(in, h.ReservedBlock.Reals1);
        h.ReservedBlock.Word1 = in.ReadU32();
        ReadDoubles(in, h.ReservedBlock.Reals2);
        h.ReservedBlock.Word2 = in.ReadU32();
    } else {
        for (size_t i = 0; i < 4; ++i) {
            h.MarkJumps[i].Scale = in.ReadDouble();
            h.MarkJumps[i].OriginX = in.ReadDouble();
            h.MarkJumps[i].OriginY = in.ReadDouble();
        }
    }
}

void WriteMarkJumps(ArchiveWriter& out, const DrawingHeader& h, uint32_t version) {
    if (version >= 231) {
        for (const MarkJump& m : h.MarkJumps) {
            out.WriteDouble(m.Scale);
            out.WriteDouble(m.OriginX);
            out.WriteDouble(m.OriginY);
            out.WriteI32(m.LayerGroup);
        }
        WriteDoubles(out, h.ReservedBlock.Reals1);
        out.WriteU32(h.ReservedBlock.Word1);
        WriteDoubles(out, h.ReservedBlock.Reals2);
        out.WriteU32(h.ReservedBlock.Word2);
    } else {
        for (size_t i = 0; i < 4; ++i) {
            out.WriteDouble(h.MarkJumps[i].Scale);
            out.WriteDouble(h.MarkJumps[i].OriginX);
            out.WriteDouble(h.MarkJumps[i].OriginY);
        }
    }
}

// The pens and line types: pens 0..9 (screen values of all ten first, then their printer values),
// line types 2..9, random lines 11..15, double-length types 16..19.
void ReadPensAndLineTypes(ArchiveReader& in, DrawingHeader& h) {
    for (PenEntry& p : h.Pens) {
        p.ScreenColor = in.ReadU32();
        p.ScreenWidth = in.ReadU32();
    }
    for (PenEntry& p : h.Pens) {
        p.PrinterColor = in.ReadU32();
        p.PrinterWidth = in.ReadU32();
        p.PointRadius = in.ReadDouble();
    }
    for (LineTypeEntry& t : h.LineTypes) {
        t.Pattern = in.ReadU32();
        t.UnitDots = in.ReadU32();
        t.Pitch = in.ReadU32();
        t.PrinterPitch = in.ReadU32();
    }
    for (RandomLineEntry& t : h.RandomLines) {
        t.Pattern = in.ReadU32();
        t.Amplitude = in.ReadU32();
        t.Pitch = in.ReadU32();
        t.PrinterAmplitude = in.ReadU32();
        t.PrinterPitch = in.ReadU32();
    }
    for (LineTypeEntry& t : h.DoubleLineTypes) {
        t.Pattern = in.ReadU32();
        t.UnitDots = in.ReadU32();
        t.Pitch = in.ReadU32();
        t.PrinterPitch = in.ReadU32();
    }
}

void WritePensAndLineTypes(ArchiveWriter& out, const DrawingHeader& h) {
    for (const PenEntry& p : h.Pens) {
        out.WriteU32(p.ScreenColor);
        out.WriteU32(p.ScreenWidth);
    }
    for (const PenEntry& p : h.Pens) {
        out.WriteU32(p.PrinterColor);
        out.WriteU32(p.PrinterWidth);
        out.WriteDouble(p.PointRadius);
    }
    for (const LineTypeEntry& t : h.LineTypes) {
        out.WriteU32(t.Pattern);
        out.WriteU32(t.UnitDots);
        out.WriteU32(t.Pitch);
        out.WriteU32(t.PrinterPitch);
    }
    for (const RandomLineEntry& t : h.RandomLines) {
        out.WriteU32(t.Pattern);
        out.WriteU32(t.Amplitude);
        out.WriteU32(t.Pitch);
        out.WriteU32(t.PrinterAmplitude);
        out.WriteU32(t.PrinterPitch);
    }
    for (const LineTypeEntry& t : h.DoubleLineTypes) {
        out.WriteU32(t.Pattern);
        out.WriteU32(t.UnitDots);
        out.WriteU32(t.Pitch);
        out.WriteU32(t.PrinterPitch);
    }
}

// The display options, the option word, the 2.5-D settings, the last values entered and the
// solid colour. The option word holds two settings as its units and its tens. From 600
// on its tens are at least 1, so a tens of 0 is written as 1; before 600 it has no tens.
void ReadOptions(ArchiveReader& in, DrawingHeader& h, uint32_t version) {
    ReadWords(in, h.DisplayOptions);
    const int32_t optionWord = in.ReadI32();
    h.PrintOptionUnits = optionWord % 10;
    h.PrintOptionTens = optionWord / 10;
    if (version >= 223) {
        h.DrawTime = in.ReadU32();
        h.EyeInit = in.ReadU32();
        ReadWords(in, h.EyeAngles);
        h.EyeHeight1 = in.ReadDouble();
        h.EyeDistance1 = in.ReadDouble();
        h.EyeHeight2 = in.ReadDouble();
        h.EyeDistance2 = in.ReadDouble();
        h.EyeVertical3 = in.ReadDouble();
    }
    if (version >= 225) {
        h.LastLineLength = in.ReadDouble();
        h.LastBoxWidth = in.ReadDouble();
        h.LastBoxHeight = in.ReadDouble();
        h.LastCircleRadius = in.ReadDouble();
    }
    if (version >= 230) {
        h.SolidAnyColor = in.ReadU32();
        h.SolidRgb = in.ReadU32();
    }
}

void WriteOptions(ArchiveWriter& out, const DrawingHeader& h, uint32_t version) {
    WriteWords(out, h.DisplayOptions);
    int32_t optionWord = h.PrintOptionUnits;
    if (version >= 600) optionWord = h.PrintOptionTens > 0 ? h.PrintOptionTens * 10 + h.PrintOptionUnits : h.PrintOptionUnits + 10;
    out.WriteI32(optionWord);
    if (version >= 223) {
        out.WriteU32(h.DrawTime);
        out.WriteU32(h.EyeInit);
        WriteWords(out, h.EyeAngles);
        out.WriteDouble(h.EyeHeight1);
        out.WriteDouble(h.EyeDistance1);
        out.WriteDouble(h.EyeHeight2);
        out.WriteDouble(h.EyeDistance2);
        out.WriteDouble(h.EyeVertical3);
    }
    if (version >= 225) {
        out.WriteDouble(h.LastLineLength);
        out.WriteDouble(h.LastBoxWidth);
        out.WriteDouble(h.LastBoxHeight);
        out.WriteDouble(h.LastCircleRadius);
    }
    if (version >= 230) {
        out.WriteU32(h.SolidAnyColor);
        out.WriteU32(h.SolidRgb);
    }
}

// The SXF tables, from 420 on: SXF colours 0..256 and SXF line types 0..32, each table as a
// run of fixed values and then a run with the names.
void ReadSxfTables(ArchiveReader& in, DrawingHeader& h) {
    for (SxfPenEntry& p : h.SxfPens) {
        p.ScreenColor = in.ReadU32();
        p.ScreenWidth = in.ReadU32();
    }
    for (SxfPenEntry& p : h.SxfPens) {
        p.Name = in.ReadString();
        p.PrinterColor = in.ReadU32();
        p.PrinterWidth = in.ReadU32();
        p.PointRadius = in.ReadDouble();
    }
    for (SxfLineTypeEntry& t : h.SxfLineTypes) {
        t.Pattern = in.ReadU32();
        t.UnitDots = in.ReadU32();
        t.Pitch = in.ReadU32();
        t.PrinterPitch = in.ReadU32();
    }
    for (SxfLineTypeEntry& t : h.SxfLineTypes) {
        t.Name = in.ReadString();
        t.SegmentCount = in.ReadU32();
        ReadDoubles(in, t.SegmentPitches);
    }
}

void WriteSxfTables(ArchiveWriter& out, const DrawingHeader& h) {
    for (const SxfPenEntry& p : h.SxfPens) {
        out.WriteU32(p.ScreenColor);
        out.WriteU32(p.ScreenWidth);
    }
    for (const SxfPenEntry& p : h.SxfPens) {
        out.WriteString(CleanArchiveText(p.Name));
        out.WriteU32(p.PrinterColor);
        out.WriteU32(p.PrinterWidth);
        out.WriteDouble(p.PointRadius);
    }
    for (const SxfLineTypeEntry& t : h.SxfLineTypes) {
        out.WriteU32(t.Pattern);
        out.WriteU32(t.UnitDots);
        out.WriteU32(t.Pitch);
        out.WriteU32(t.PrinterPitch);
    }
    for (const SxfLineTypeEntry& t : h.SxfLineTypes) {
        out.WriteString(CleanArchiveText(t.Name));
        out.WriteU32(t.SegmentCount);
        WriteDoubles(out, t.SegmentPitches);
    }
}

// The text settings: text kinds 1..10 and the current text settings.
void ReadTextSettings(ArchiveReader& in, DrawingHeader& h) {
    for (TextKindEntry& k : h.TextKinds) {
        k.Width = in.ReadDouble();
        k.Height = in.ReadDouble();
        k.Spacing = in.ReadDouble();
        k.Color = in.ReadU32();
    }
    h.CurrentTextWidth = in.ReadDouble();
    h.CurrentTextHeight = in.ReadDouble();
    h.CurrentTextSpacing = in.ReadDouble();
    h.CurrentTextColor = in.ReadU32();
    h.CurrentTextKind = in.ReadU32();
    h.TextLineSpacing = in.ReadDouble();
    h.TextLineCount = in.ReadDouble();
    h.TextOffsetOn = in.ReadU32();
    ReadDoubles(in, h.TextOffsetX);
    ReadDoubles(in, h.TextOffsetY);
}

void WriteTextSettings(ArchiveWriter& out, const DrawingHeader& h) {
    for (const TextKindEntry& k : h.TextKinds) {
        out.WriteDouble(k.Width);
        out.WriteDouble(k.Height);
        out.WriteDouble(k.Spacing);
        out.WriteU32(k.Color);
    }
    out.WriteDouble(h.CurrentTextWidth);
    out.WriteDouble(h.CurrentTextHeight);
    out.WriteDouble(h.CurrentTextSpacing);
    out.WriteU32(h.CurrentTextColor);
    out.WriteU32(h.CurrentTextKind);
    out.WriteDouble(h.TextLineSpacing);
    out.WriteDouble(h.TextLineCount);
    out.WriteU32(h.TextOffsetOn);
    WriteDoubles(out, h.TextOffsetX);
    WriteDoubles(out, h.TextOffsetY);
}

}  // namespace

// From the memo to the solid colour. The sky-map values are in the file from 231 on and are kept from there; the
// writer writes them from 231 on too, so that every version reads back what was written.
void ReadHeaderThroughOptions(ArchiveReader& in, DrawingHeader& h, uint32_t version) {
    h.Memo = in.ReadString();
    h.PaperSize = in.ReadU32();
    h.WriteLayerGroup = in.ReadU32();
    ReadLayerGroupStates(in, h);
    ReadWords(in, h.ReservedWords);
    ReadWords(in, h.DimensionSettings);
    h.ReservedWord15 = in.ReadU32();
    h.MaxDrawWidth = in.ReadI32();
    h.PrinterOriginX = in.ReadDouble();
    h.PrinterOriginY = in.ReadDouble();
    h.PrinterScale = in.ReadDouble();
    h.PrinterRotate90 = in.ReadU32();
    h.GridMode = in.ReadU32();
    h.GridMinSpacing = in.ReadDouble();
    h.GridSpacingX = in.ReadDouble();
    h.GridSpacingY = in.ReadDouble();
    h.GridOriginX = in.ReadDouble();
    h.GridOriginY = in.ReadDouble();
    ReadLayerNames(in, h);
    h.ShadowLevel = in.ReadDouble();
    h.ShadowLatitude = in.ReadDouble();
    h.Shadow9To15 = in.ReadU32();
    h.WallShadowLevel = in.ReadDouble();
    if (version >= 231) {
        h.SkyMapLevel = in.ReadDouble();
        h.SkyMapRadius = in.ReadDouble();
    }
    h.Units3D = in.ReadU32();
    h.ViewScale = in.ReadDouble();
    h.ViewOriginX = in.ReadDouble();
    h.ViewOriginY = in.ReadDouble();
    h.RangeScale = in.ReadDouble();
    h.RangeOriginX = in.ReadDouble();
    h.RangeOriginY = in.ReadDouble();
    ReadMarkJumps(in, h, version);
    ReadDoubles(in, h.ParallelSpacings);
    h.BothSideParallelStop = in.ReadDouble();
    ReadPensAndLineTypes(in, h);
    ReadOptions(in, h, version);
}

// The memo is written as stored, without clean-up. Up to 420 the line-drawing width cannot
// go below -101.
void WriteHeaderThroughOptions(ArchiveWriter& out, const DrawingHeader& h, uint32_t version) {
    out.WriteString(h.Memo);
    out.WriteU32(h.PaperSize);
    out.WriteU32(h.WriteLayerGroup);
    WriteLayerGroupStates(out, h);
    WriteWords(out, h.ReservedWords);
    WriteWords(out, h.DimensionSettings);
    out.WriteU32(h.ReservedWord15);
    out.WriteI32(version <= 420 && h.MaxDrawWidth < -101 ? -101 : h.MaxDrawWidth);
    out.WriteDouble(h.PrinterOriginX);
    out.WriteDouble(h.PrinterOriginY);
    out.WriteDouble(h.PrinterScale);
    out.WriteU32(h.PrinterRotate90);
    out.WriteU32(h.GridMode);
    out.WriteDouble(h.GridMinSpacing);
    out.WriteDouble(h.GridSpacingX);
    out.WriteDouble(h.GridSpacingY);
    out.WriteDouble(h.GridOriginX);
    out.WriteDouble(h.GridOriginY);
    WriteLayerNames(out, h);
    out.WriteDouble(h.ShadowLevel);
    out.WriteDouble(h.ShadowLatitude);
    out.WriteU32(h.Shadow9To15);
    out.WriteDouble(h.WallShadowLevel);
    if (version >= 231) {
        out.WriteDouble(h.SkyMapLevel);
        out.WriteDouble(h.SkyMapRadius);
    }
    out.WriteU32(h.Units3D);
    out.WriteDouble(h.ViewScale);
    out.WriteDouble(h.ViewOriginX);
    out.WriteDouble(h.ViewOriginY);
    out.WriteDouble(h.RangeScale);
    out.WriteDouble(h.RangeOriginX);
    out.WriteDouble(h.RangeOriginY);
    WriteMarkJumps(out, h, version);
    WriteDoubles(out, h.ParallelSpacings);
    out.WriteDouble(h.BothSideParallelStop);
    WritePensAndLineTypes(out, h);
    WriteOptions(out, h, version);
}

void ReadHeaderTables(ArchiveReader& in, DrawingHeader& h, uint32_t version) {
    if (version >= 420) ReadSxfTables(in, h);
    ReadTextSettings(in, h);
}

void WriteHeaderTables(ArchiveWriter& out, const DrawingHeader& h, uint32_t version) {
    if (version >= 420) WriteSxfTables(out, h);
    WriteTextSettings(out, h);
}

}  // namespace tolvane
