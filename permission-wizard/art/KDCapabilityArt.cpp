#include "permission-wizard/art/KDCapabilityArt.h"

#include "permission-wizard/art/ArrangingDiagram.h"
#include "permission-wizard/art/BluetoothDiagram.h"
#include "permission-wizard/art/CairoDrawing.h"
#include "permission-wizard/art/CalendarDiagram.h"
#include "permission-wizard/art/CameraDiagram.h"
#include "permission-wizard/art/CaptureDiagram.h"
#include "permission-wizard/art/ContextMenuRowDiagram.h"
#include "permission-wizard/art/CrossingDiagram.h"
#include "permission-wizard/art/FilesDiagram.h"
#include "permission-wizard/art/ListeningDiagram.h"
#include "permission-wizard/art/LocationDiagram.h"
#include "permission-wizard/art/MenuBarDiagram.h"
#include "permission-wizard/art/NotificationsDiagram.h"
#include "permission-wizard/art/TypingDiagram.h"

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

HeroDiagram crossing(Color accent, Color ink, Color line, bool dark, bool showsPointer)
{
    return heroOf(art::CrossingDiagram { .colors = { accent, ink, line, dark }, .showsPointer = showsPointer });
}

HeroDiagram capture(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::CaptureDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram files(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::FilesDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram menuBar(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::MenuBarDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram arranging(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::ArrangingDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram listening(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::ListeningDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram location(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::LocationDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram bluetooth(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::BluetoothDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram notifications(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::NotificationsDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram calendar(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::CalendarDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram camera(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::CameraDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram typing(Color accent, Color ink, Color line, bool dark)
{
    return heroOf(art::TypingDiagram { .colors = { accent, ink, line, dark } });
}

HeroDiagram contextMenuRow(Color accent, Color ink, Color line, bool dark, double rowLabelWidth)
{
    return heroOf(art::ContextMenuRowDiagram { .colors = { accent, ink, line, dark }, .rowLabelWidth = rowLabelWidth });
}

}
