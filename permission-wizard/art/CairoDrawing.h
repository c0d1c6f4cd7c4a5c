#pragma once

#include "permission-wizard/art/Drawing.h"

#include <cairo.h>

namespace ikw::wizard::art {

// Draws into a cairo context. Each fill and stroke leaves the context's state as it found it.
class CairoDrawing final : public Drawing {
public:
    explicit CairoDrawing(cairo_t* context) : m_context(context) {}

    void fill(const Path& path, Color color) override;
    void stroke(const Path& path, Color color, const StrokeStyle& style) override;

private:
    void setPath(const Path& path);
    cairo_t* m_context;
};

}
