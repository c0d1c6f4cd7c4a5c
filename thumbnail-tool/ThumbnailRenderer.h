#pragma once

#include <optional>
#include <string>

namespace ikw::thumbnail {

// Makes a PNG thumbnail of a file that fits a square of `pixelEdge` pixels, keeping its aspect
// ratio. Called from several threads at once. Nothing means the file cannot be rendered.
class ThumbnailRenderer {
public:
    virtual ~ThumbnailRenderer() = default;
    virtual std::optional<std::string> render(const std::string& source, int pixelEdge) = 0;
};

}
