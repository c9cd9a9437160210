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

void DrawingData::Clear() {
    ClearEntities();
    Header = DrawingHeader{};
    Jws = JwsHeader{};
    std::vector<BlockDefinition>().swap(BlockDefinitions);
    std::vector<EmbeddedImage>().swap(EmbeddedImageList);
    Strings = StringForm::Bytes;
}

void DrawingData::Release() {
    for (BlockDefinition& definition : BlockDefinitions) definition.ClearEntities();
    Clear();
}

}  // namespace tolvane
