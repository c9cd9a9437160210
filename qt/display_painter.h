// Paints a display list with QPainter: the shapes and the geometry come from render/ and
// frontend/, nothing here decides what the drawing holds.
#pragma once

#include "frontend/preview.h"
#include "render/display_list.h"

class QPainter;

namespace tolvane {

void PaintDisplayList(QPainter& painter, const render::DisplayList& list, const PaperView& view);

}  // namespace tolvane
