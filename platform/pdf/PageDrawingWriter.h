#pragma once

#include "platform/pdf/Document.h"
#include "platform/pdf/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace ikw::pdf {

// Fonts every PDF reader has (the base-14 set); drawn with MuPDF's metric-compatible faces.
enum class StandardFont { helveticaBold };

// A line of text in a standard font at a size, in points: the sum of the glyph advances, and the
// font's ascender and descender (both positive: above and below the baseline).
struct TextExtent {
    double width = 0;
    double ascent = 0;
    double descent = 0;
};
TextExtent measureText(StandardFont font, std::string_view utf8, double size);

struct RgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;
};

// 8-bit RGBA pixels with straight (not premultiplied) alpha: rows of width x 4 bytes, top row first.
struct RgbaPixels {
    int width = 0;
    int height = 0;
    std::span<const std::uint8_t> pixels;
};

// Writes a new PDF page by page by drawing onto each page: pages of other documents, images and
// text. Drawn pages are new content, not copies of the source's objects: text stays text and
// annotations are drawn as they show, while links and form fields do not survive. Coordinates are
// PDF points from the lower left corner of the page, y growing upwards.
//
// Once a call fails, every later call fails too. A writer dropped before `close` leaves an
// incomplete file behind, which the caller removes. Used on one thread at a time.
class PageDrawingWriter {
public:
    // Creates or truncates the file at `path`; null when it cannot be written.
    static std::unique_ptr<PageDrawingWriter> create(const std::string& path);
    ~PageDrawingWriter();
    PageDrawingWriter(const PageDrawingWriter&) = delete;
    PageDrawingWriter& operator=(const PageDrawingWriter&) = delete;

    // Starts a page whose media box is (0, 0, width, height).
    bool beginPage(Size size);
    // Draws the source page's box upright (turned by the page's rotation) so that it fills a page
    // of the box's shown size exactly, whatever box the source's viewers show.
    bool drawPage(const Document& source, int index, PageBox box);
    bool drawImage(const RgbaPixels& image, Rect into);
    // One line of text with its baseline starting at (x, y), filled with the colour at the opacity.
    bool drawText(std::string_view utf8, StandardFont font, double size, double x, double y, RgbColor color,
        double alpha = 1);
    bool endPage();
    // Writes the end of the file. True when the whole file is written.
    bool close();

    bool failed() const { return m_failed; }

private:
    struct Parts;
    explicit PageDrawingWriter(std::unique_ptr<Parts> parts);

    std::unique_ptr<Parts> m_parts;
    bool m_failed = false;
};

}
