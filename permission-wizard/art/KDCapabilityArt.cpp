#include "permission-wizard/art/KDCapabilityArt.h"

#include "permission-wizard/art/CairoDrawing.h"
#include "permission-wizard/art/ContextMenuRowDiagram.h"

namespace ikw::wizard::KDCapabilityArt {

namespace {

// A hero that draws the diagram into the cairo context it is handed.
template<typename Diagram>
HeroDiagram heroOf(Diagram diagram)
{
    return { [diagram = std::move(diagram)](cairo_t* context, double width, double height, double seconds) {
        art::CairoDrawing drawing(context);
        diagram.draw(drawing, width, height, seconds);
    } };
}

}

HeroDiagram contextMenuRow(Color accent, Color ink, Color line, bool dark, double rowLabelWidth)
{
    return heroOf(art::ContextMenuRowDiagram { .colors = { accent, ink, line, dark }, .rowLabelWidth = rowLabelWidth });
}

}
