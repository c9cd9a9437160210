// The decoded content of one drawing (JWW) or figure file (JWS).
//
// Entities are kept as flat records, one array per kind, plus an order list that remembers
// the order in which the file stored them, so that the writer can reproduce the file and the
// rule application can reach every pen field directly. Every field keeps the width that the
// file gives it, so that a value read and written again keeps its bytes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/text.h"

namespace tolvane {

// Kind numbers used in the order lists and by the writer's attribute check.
enum class EntityKind : uint32_t {
    Line = 1,            // CDataSen
    Arc = 2,             // CDataEnko
    Point = 3,           // CDataTen
    Text = 4,            // CDataMoji
    Dimension = 5,       // CDataSunpou
    Solid = 6,           // CDataSolid
    BlockInsert = 7,     // CDataBlock
    BlockDefinition = 8  // CDataList
};

// The widest line width a drawing holds, in 1/100 mm; a wider PenWidth reads as the base width.
inline constexpr uint16_t kMaxPenWidth = 30000;

// The attributes that begin every entity record and every block definition.
struct EntityBase {
    uint32_t Group = 0;
    uint8_t PenStyle = 0;   // line type; 100 on a point marks a point with extra fields
    uint16_t PenColor = 0;  // colour; 10 on a solid means its own RGB colour
    uint16_t PenWidth = 0;  // in the file only from version 351 on
    uint16_t Layer = 0;
    uint16_t LayerGroup = 0;
    uint16_t Flags = 0;
};

struct LineRecord : EntityBase {
    double StartX = 0, StartY = 0, EndX = 0, EndY = 0;
};

struct ArcRecord : EntityBase {
    double CenterX = 0, CenterY = 0, Radius = 0, StartAngle = 0, ArcAngle = 0, TiltAngle = 0,
           Flatness = 0;
    uint32_t FullCircle = 0;
};

struct PointRecord : EntityBase {
    double X = 0, Y = 0;
    uint32_t Temporary = 0;
    // Stored in the file only when PenStyle is 100; zero otherwise.
    uint32_t Code = 0;
    double Angle = 0, Scale = 0;
};

struct TextRecord : EntityBase {
    double StartX = 0, StartY = 0, EndX = 0, EndY = 0;
    uint32_t TextKind = 0;
    double SizeX = 0, SizeY = 0, Spacing = 0, Angle = 0;
    ArchiveString FontName;
    ArchiveString Text;  // "^@BM%temp%name,..." refers to an embedded image
};

struct DimensionRecord : EntityBase {
    LineRecord DimensionLine;
    TextRecord DimensionText;
    // The rest is stored only from version 420 on. For older files the reader gives each
    // sub-entity a copy of the dimension's own base, zero coordinates, and points PenStyle 0.
    uint16_t SxfMode = 0;
    LineRecord AuxLine1, AuxLine2;
    PointRecord Point1, Point2, AuxPoint1, AuxPoint2;
};

struct SolidRecord : EntityBase {
    double Corner1X = 0, Corner1Y = 0, Corner2X = 0, Corner2Y = 0, Corner3X = 0, Corner3Y = 0,
           Corner4X = 0, Corner4Y = 0;
    uint32_t Rgb = 0;  // stored only when PenColor is 10
};

struct BlockInsertRecord : EntityBase {
    double X = 0, Y = 0, ScaleX = 0, ScaleY = 0, Angle = 0;
    uint32_t BlockNumber = 0;
};

struct EntityRef {
    uint32_t Kind = 0;   // EntityKind 1..7
    uint32_t Index = 0;  // position in that kind's array
};

// The entity arrays with the order list; the drawing has one, and so has every block
// definition for its members.
struct EntityLists {
    std::vector<EntityRef> EntityOrder;
    std::vector<LineRecord> Lines;
    std::vector<ArcRecord> Arcs;
    std::vector<PointRecord> Points;
    std::vector<TextRecord> Texts;
    std::vector<DimensionRecord> Dimensions;
    std::vector<SolidRecord> Solids;
    std::vector<BlockInsertRecord> BlockInserts;

    void ClearEntities();
};

// The record a reference names, or none when its kind or index names no record of the lists.
const EntityBase* BaseOf(const EntityLists& lists, const EntityRef& ref);

struct BlockDefinition : EntityBase {
    uint32_t Number = 0;
    uint32_t Referenced = 0;
    uint32_t Time = 0;  // 32-bit time stamp; the position of the definition for the 64-bit form
    ArchiveString Name;

    BlockDefinition() = default;
    BlockDefinition(const BlockDefinition& other);
    BlockDefinition& operator=(const BlockDefinition& other);
    BlockDefinition(BlockDefinition&&) noexcept = default;
    BlockDefinition& operator=(BlockDefinition&&) noexcept = default;
    ~BlockDefinition() = default;

    // The members, in an order list and arrays of their own. A definition without members
    // holds no arrays at all (a file can hold a million definitions in 32 bytes each): the
    // first call of Members on it makes them.
    bool HasMembers() const { return members_ != nullptr; }
    EntityLists& Members();
    const EntityLists& Members() const;

private:
    std::unique_ptr<EntityLists> members_;
};

struct LayerInfo {
    uint32_t State = 0;
    uint32_t Protect = 0;
    ArchiveString Name;
};

struct LayerGroupInfo {
    uint32_t State = 0;
    uint32_t WriteLayer = 0;
    double Scale = 0;
    uint32_t Protect = 0;
    ArchiveString Name;
    std::array<LayerInfo, 16> Layers;
};

struct MarkJump {
    double Scale = 1.0;
    double OriginX = 0;
    double OriginY = 0;
    int32_t LayerGroup = -1;  // not stored before version 231
};

// Eight words of unknown meaning after the mark jumps; kept and written back.
struct ReservedBlockData {
    std::array<double, 3> Reals1{};
    uint32_t Word1 = 0;
    std::array<double, 3> Reals2{};
    uint32_t Word2 = 0;
};

struct PenEntry {
    uint32_t ScreenColor = 0;
    uint32_t ScreenWidth = 0;
    uint32_t PrinterColor = 0;
    uint32_t PrinterWidth = 0;
    double PointRadius = 0;
};

struct LineTypeEntry {
    uint32_t Pattern = 0;
    uint32_t UnitDots = 0;
    uint32_t Pitch = 0;
    uint32_t PrinterPitch = 0;
};

struct RandomLineEntry {
    uint32_t Pattern = 0;
    uint32_t Amplitude = 0;
    uint32_t Pitch = 0;
    uint32_t PrinterAmplitude = 0;
    uint32_t PrinterPitch = 0;
};

struct SxfPenEntry {
    uint32_t ScreenColor = 0;
    uint32_t ScreenWidth = 0;
    ArchiveString Name;
    uint32_t PrinterColor = 0;
    uint32_t PrinterWidth = 0;
    double PointRadius = 0;
};

struct SxfLineTypeEntry {
    uint32_t Pattern = 0;
    uint32_t UnitDots = 0;
    uint32_t Pitch = 0;
    uint32_t PrinterPitch = 0;
    ArchiveString Name;
    uint32_t SegmentCount = 0;
    std::array<double, 10> SegmentPitches{};
};

struct TextKindEntry {
    double Width = 0;
    double Height = 0;
    double Spacing = 0;
    uint32_t Color = 0;  // a colour number
};

// The header of a JWW drawing, in file order. Defaults are the values after clearing.
struct DrawingHeader {
    std::string Signature;  // "JwwData." as read
    uint32_t FileVersion = 0;  // 351 = version 3.51; also the version of a JWS file
    ArchiveString Memo;
    uint32_t PaperSize = 0;
    uint32_t WriteLayerGroup = 0;
    std::array<LayerGroupInfo, 16> LayerGroups;
    std::array<uint32_t, 14> ReservedWords{};
    // First word: three colour numbers as its units, tens and hundreds digits.
    std::array<uint32_t, 5> DimensionSettings{};
    uint32_t ReservedWord15 = 0;
    int32_t MaxDrawWidth = 0;
    double PrinterOriginX = 0, PrinterOriginY = 0;
    double PrinterScale = 1.0;
    uint32_t PrinterRotate90 = 0;
    uint32_t GridMode = 0;
    double GridMinSpacing = 1.0;
    double GridSpacingX = 1.0, GridSpacingY = 1.0;
    double GridOriginX = 0, GridOriginY = 0;
    double ShadowLevel = 0, ShadowLatitude = 0;
    uint32_t Shadow9To15 = 0;
    double WallShadowLevel = 0;
    double SkyMapLevel = 0, SkyMapRadius = 0;
    uint32_t Units3D = 0;
    double ViewScale = 1.0;
    double ViewOriginX = 0, ViewOriginY = 0;
    double RangeScale = 1.0;
    double RangeOriginX = 0, RangeOriginY = 0;
    std::array<MarkJump, 8> MarkJumps{};
    ReservedBlockData ReservedBlock;
    std::array<double, 10> ParallelSpacings{};
    double BothSideParallelStop = 0;
    std::array<PenEntry, 10> Pens{};
    std::array<LineTypeEntry, 8> LineTypes{};      // line types 2..9
    std::array<RandomLineEntry, 5> RandomLines{};  // line types 11..15
    std::array<LineTypeEntry, 4> DoubleLineTypes{};  // line types 16..19
    std::array<uint32_t, 10> DisplayOptions{};
    int32_t PrintOptionUnits = 0;  // one file word: its value modulo 10 ...
    int32_t PrintOptionTens = 0;   // ... and its value divided by 10
    uint32_t DrawTime = 0;
    uint32_t EyeInit = 0;
    std::array<uint32_t, 3> EyeAngles{};
    double EyeHeight1 = 0, EyeDistance1 = 0, EyeHeight2 = 0, EyeDistance2 = 0, EyeVertical3 = 0;
    double LastLineLength = 0, LastBoxWidth = 0, LastBoxHeight = 0, LastCircleRadius = 0;
    uint32_t SolidAnyColor = 0;
    uint32_t SolidRgb = 0;
    std::array<SxfPenEntry, 257> SxfPens;
    std::array<SxfLineTypeEntry, 33> SxfLineTypes;
    std::array<TextKindEntry, 10> TextKinds{};
    double CurrentTextWidth = 0, CurrentTextHeight = 0, CurrentTextSpacing = 0;
    uint32_t CurrentTextColor = 0, CurrentTextKind = 0;
    double TextLineSpacing = 0, TextLineCount = 0;
    uint32_t TextOffsetOn = 0;
    std::array<double, 3> TextOffsetX{};
    std::array<double, 3> TextOffsetY{};
};

// The fixed header of a JWS figure file. Its data version is kept in
// DrawingHeader::FileVersion, which the rule application raises for both formats.
struct JwsHeader {
    std::string Signature;  // the first 7 bytes as read ("JwsData")
    std::array<double, 2> HeaderReals1{};
    std::array<double, 16> LayerGroupScales{};
    std::array<uint32_t, 6> HeaderWords{};
    std::array<double, 10> HeaderReals2{};
};

struct EmbeddedImage {
    ArchiveString Name;  // as stored; never used as a file name
    uint32_t Size = 0;
    // The file the reader extracted the image into, inside the image folder, under a name the
    // program makes; empty when nothing was extracted (no name, or no bytes).
    std::string FileName;

    friend bool operator==(const EmbeddedImage&, const EmbeddedImage&) = default;
};

struct DrawingData : EntityLists {
    DrawingHeader Header;
    JwsHeader Jws;
    std::vector<BlockDefinition> BlockDefinitions;
    std::vector<EmbeddedImage> EmbeddedImageList;
    // The form of the drawing's strings (that of the first string read); strings the program
    // adds are written in it.
    StringForm Strings = StringForm::Bytes;

    // Empties every array and the image list, resets every header value; the memory of the
    // arrays is returned.
    void Clear();
    // The same, for the callers that let go of a drawing after its use.
    void Release();
};

}  // namespace tolvane
