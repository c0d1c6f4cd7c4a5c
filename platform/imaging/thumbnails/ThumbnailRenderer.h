#pragma once

#include <optional>
#include <string>

namespace ikw::thumbnail {

// A box in pixels that a thumbnail must fit.
struct PixelBox {
    int width = 0;
    int height = 0;
};

// Makes a PNG thumbnail of a file that fits a square of `pixelEdge` pixels, keeping its aspect
// ratio. Called from several threads at once. Nothing means the file cannot be rendered.
class ThumbnailRenderer {
public:
    virtual ~ThumbnailRenderer() = default;
    virtual std::optional<std::string> render(const std::string& source, int pixelEdge) = 0;
    // The same within a box: the largest size of the file's proportions that fits it. A renderer
    // that only knows squares renders square boxes and nothing else.
    virtual std::optional<std::string> renderInBox(const std::string& source, PixelBox box)
    {
        if (box.width != box.height)
            return std::nullopt;
        return render(source, box.width);
    }
};

}
