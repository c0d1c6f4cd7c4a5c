#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw::ui {

class Window;

// One page as it is printed: an opaque RGB bitmap, rows of width x 3 bytes, top row first.
struct PrintBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// A page's size as it is shown, in points.
struct PrintPageSize {
    double width = 0;
    double height = 0;
};

// What a print job prints. Pages are asked for one at a time, in order, so only one bitmap is
// held at once; `renderPage` gets the page's index and the scale (bitmap pixels per point) at
// which the page lands on the paper. A page that cannot be drawn prints blank.
struct PrintDocument {
    std::string jobName;
    std::vector<PrintPageSize> pages;
    std::function<std::optional<PrintBitmap>(int index, double scale)> renderPage;
};

// Where a page goes on the paper: turned a quarter when the page's orientation differs from the
// paper's, scaled down to fit (never up) and centred. The origin is the paper's top left corner;
// the page is drawn at (x, y), `rotated` pages turned clockwise about that corner.
struct PrintPlacement {
    bool rotated = false;
    double scale = 1;
    double x = 0;
    double y = 0;
};
PrintPlacement placePageOnPaper(PrintPageSize page, PrintPageSize paper);

// The resolution pages are printed at: the printer's, never above 300 dots per inch.
inline constexpr double kMaxPrintDotsPerInch = 300;

// The platform's printing. Main thread only.
class Printing {
public:
    virtual ~Printing() = default;
    // Shows the print dialog, modal to `parent`, and prints with its progress. With `exportFile`
    // the job is written to that PDF file instead, without a dialog.
    virtual void print(Window* parent, PrintDocument document, const std::string& exportFile = {}) = 0;
};

}
