#pragma once

#include <string>
#include <vector>

namespace ikw::docops {

// Where the editor's page sits on its canvas, from the visible area (width × height) and the
// height of the laid-out text.
struct EditorPageLayout {
    double pageWidth = 0;
    double pageHeight = 0;
    double pageX = 0;
    double pageY = 0;
    double canvasWidth = 0;
    double canvasHeight = 0;
};

// The page is 360 to 760 wide with 28 of canvas each side when there is room, centred (never left
// of the canvas), and at least as tall as the visible canvas.
EditorPageLayout editorPageLayout(double visibleWidth, double visibleHeight, double textHeight);

// The probe's reasons for the notice: "format" and "unreadable" aside, joined as "a, b and c".
std::string plainWhy(const std::vector<std::string>& why);
// The notice's sentence for those reasons.
std::string editorNoticeText(const std::vector<std::string>& why);

}
