#include "formats/drawing.h"

namespace tolvane {

void EntityLists::ClearEntities() {
    // Swapping with empty vectors returns the memory, so that one big drawing does not keep
    // its arrays for the rest of a batch.
    std::vector<EntityRef>().swap(EntityOrder);
    std::vector<LineRecord>().swap(Lines);
    std::vector<ArcRecord>().swap(Arcs);
    std::vector<PointRecord>().swap(Points);
    std::vector<TextRecord>().swap(Texts);
    std::vector<DimensionRecord>().swap(Dimensions);
    std::vector<SolidRecord>().swap(Solids);
    std::vector<BlockInsertRecord>().swap(BlockInserts);
}

const EntityBase* BaseOf(const EntityLists& lists, const EntityRef& ref) {
    auto at = [&](const auto& records) -> const EntityBase* {
        return ref.Index < records.size() ? &records[ref.Index] : nullptr;
    };
    switch (static_cast<EntityKind>(ref.Kind)) {
        case EntityKind::Line: return at(lists.Lines);
        case EntityKind::Arc: return at(lists.Arcs);
        case EntityKind::Point: return at(lists.Points);
        case EntityKind::Text: return at(lists.Texts);
        case EntityKind::Dimension: return at(lists.Dimensions);
        case EntityKind::Solid: return at(lists.Solids);
        case EntityKind::BlockInsert: return at(lists.BlockInserts);
        case EntityKind::BlockDefinition: break;
    }
    return nullptr;
}

void DrawingData::Clear() {
    ClearEntities();
    Header = DrawingHeader{};
    Jws = JwsHeader{};
    std::vector<BlockDefinition>().swap(BlockDefinitions);
    std::vector<EmbeddedImage>().swap(EmbeddedImageList);
    Strings = StringForm::Bytes;
}

void DrawingData::Release() { Clear(); }

BlockDefinition::BlockDefinition(const BlockDefinition& other)
    : EntityBase(other),
      Number(other.Number),
      Referenced(other.Referenced),
      Time(other.Time),
      Name(other.Name),
      members_(other.members_ ? std::make_unique<EntityLists>(*other.members_) : nullptr) {}

BlockDefinition& BlockDefinition::operator=(const BlockDefinition& other) {
    if (this != &other) *this = BlockDefinition(other);
    return *this;
}

EntityLists& BlockDefinition::Members() {
    if (!members_) members_ = std::make_unique<EntityLists>();
    return *members_;
}

const EntityLists& BlockDefinition::Members() const {
    static const EntityLists kNone;
    return members_ ? *members_ : kNone;
}

}  // namespace tolvane
