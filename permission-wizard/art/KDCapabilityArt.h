#pragma once

#include "permission-wizard/Color.h"
#include "permission-wizard/HeroDiagram.h"

// The catalogue of capability pictures a permission can show as its hero. Each factory keeps the
// colours and flags it is given, unchanged, and returns a hero that draws its diagram with them.
namespace ikw::wizard::KDCapabilityArt {

// A document's context menu whose first row is the product's; the row's label is
// `rowLabelWidth` points long.
HeroDiagram contextMenuRow(Color accent, Color ink, Color line, bool dark, double rowLabelWidth = 96);

}
