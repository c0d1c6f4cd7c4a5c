#include "platform/ui/Printing.h"

#include <algorithm>
#include <cmath>

namespace ikw::ui {

PrintPlacement placePageOnPaper(PrintPageSize page, PrintPageSize paper)
{
    const auto usable = [](double side) { return std::isfinite(side) && side > 0; };
    if (!usable(page.width) || !usable(page.height) || !usable(paper.width) || !usable(paper.height))
        return {};
    PrintPlacement placement;
    placement.rotated = (page.width > page.height) != (paper.width > paper.height);
    // The page's sides as they lie on the paper.
    const double across = placement.rotated ? page.height : page.width;
    const double down = placement.rotated ? page.width : page.height;
    placement.scale = std::min({ 1.0, paper.width / across, paper.height / down });
    placement.x = (paper.width - across * placement.scale) / 2;
    placement.y = (paper.height - down * placement.scale) / 2;
    if (placement.rotated)
        placement.x += across * placement.scale; // turned clockwise about its top left corner
    return placement;
}

}
