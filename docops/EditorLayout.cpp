#include "docops/EditorLayout.h"

#include "app/Globals.h"

#include <algorithm>
#include <cmath>

namespace ikw::docops {

EditorPageLayout editorPageLayout(double visibleWidth, double visibleHeight, double textHeight)
{
    EditorPageLayout layout;
    layout.pageWidth = std::max(std::min(visibleWidth - 56, kPageWidthMax), 360.0);
    layout.pageHeight = std::max(textHeight + 2 * kPageMarginV, visibleHeight - 2 * kCanvasPad);
    layout.canvasWidth = visibleWidth;
    layout.canvasHeight = 2 * kCanvasPad + layout.pageHeight;
    layout.pageX = std::max(std::round((layout.canvasWidth - layout.pageWidth) * 0.5), 0.0);
    layout.pageY = kCanvasPad;
    return layout;
}

std::string plainWhy(const std::vector<std::string>& why)
{
    std::vector<std::string> named;
    std::copy_if(why.begin(), why.end(), std::back_inserter(named), [](const std::string& reason) { return reason != "format" && reason != "unreadable"; });
    if (named.empty())
        return {};
    std::string out = named.front();
    for (std::size_t i = 1; i < named.size(); ++i)
        out += (i + 1 == named.size() ? " and " : ", ") + named[i];
    return out;
}

std::string editorNoticeText(const std::vector<std::string>& why)
{
    const std::string reasons = plainWhy(why);
    if (reasons.empty())
        return globals().brand.name + " could not fully inspect this document. Saving a copy keeps the original intact.";
    return "This document's " + reasons + " can't be kept by the editor. Save a Copy to keep the original whole.";
}

}
