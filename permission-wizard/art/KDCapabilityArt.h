#pragma once

#include "permission-wizard/Color.h"
#include "permission-wizard/HeroDiagram.h"

// The catalogue of capability pictures a permission can show as its hero. Each factory keeps the
// colours and flags it is given, unchanged, and returns a hero that draws its diagram with them:
// `accent` for what belongs to the product or moves, `ink` for strong foreground, `line` for muted
// outlines and scenery, `dark` for the wizard's dark colour scheme.
namespace ikw::wizard::KDCapabilityArt {

// Something crosses from one screen to another; `showsPointer` adds the pointer setting off.
HeroDiagram crossing(Color accent, Color ink, Color line, bool dark, bool showsPointer);
// Part of a screen is captured into the product.
HeroDiagram capture(Color accent, Color ink, Color line, bool dark);
// Files leave a folder for the product.
HeroDiagram files(Color accent, Color ink, Color line, bool dark);
// The product's item is lifted out of the menu bar.
HeroDiagram menuBar(Color accent, Color ink, Color line, bool dark);
// A window is placed into a tile of a screen.
HeroDiagram arranging(Color accent, Color ink, Color line, bool dark);
// A microphone hears.
HeroDiagram listening(Color accent, Color ink, Color line, bool dark);
// A pin on a map.
HeroDiagram location(Color accent, Color ink, Color line, bool dark);
// The product reaches a nearby device by radio.
HeroDiagram bluetooth(Color accent, Color ink, Color line, bool dark);
// A banner arrives on the screen.
HeroDiagram notifications(Color accent, Color ink, Color line, bool dark);
// Events pass from a calendar to the product.
HeroDiagram calendar(Color accent, Color ink, Color line, bool dark);
// A camera looks.
HeroDiagram camera(Color accent, Color ink, Color line, bool dark);
// Keystrokes reach the product.
HeroDiagram typing(Color accent, Color ink, Color line, bool dark);
// A document's context menu whose first row is the product's; the row's label is
// `rowLabelWidth` points long.
HeroDiagram contextMenuRow(Color accent, Color ink, Color line, bool dark, double rowLabelWidth = 96);

}
