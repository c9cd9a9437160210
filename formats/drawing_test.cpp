#include "formats/drawing.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Each kind reaches its own array; an index past it, or a kind with no array, reaches nothing.
TEST(Drawing, BaseOfAReference) {
    EntityLists l;
    l.Lines.resize(1);
    l.Arcs.resize(1);
    l.Points.resize(1);
    l.Texts.resize(1);
    l.Dimensions.resize(1);
    l.Solids.resize(1);
    l.BlockInserts.resize(2);
    const std::pair<EntityKind, const EntityBase*> cases[] = {
        {EntityKind::Line, &l.Lines[0]},   {EntityKind::Arc, &l.Arcs[0]},     {EntityKind::Point, &l.Points[0]},
        {EntityKind::Text, &l.Texts[0]},   {EntityKind::Dimension, &l.Dimensions[0]},
        {EntityKind::Solid, &l.Solids[0]}, {EntityKind::BlockInsert, &l.BlockInserts[0]}};
    for (const auto& [kind, record] : cases) {
        EXPECT_EQ(BaseOf(l, {static_cast<uint32_t>(kind), 0}), record) << static_cast<int>(kind);
        EXPECT_EQ(BaseOf(l, {static_cast<uint32_t>(kind), 2}), nullptr) << static_cast<int>(kind);
    }
    EXPECT_EQ(BaseOf(l, {static_cast<uint32_t>(EntityKind::BlockInsert), 1}), &l.BlockInserts[1]);
    for (const uint32_t kind : {0u, static_cast<uint32_t>(EntityKind::BlockDefinition), 9u})
        EXPECT_EQ(BaseOf(l, {kind, 0}), nullptr) << kind;
}

}  // namespace
}  // namespace tolvane
