#pragma once

#include "thumbnail-tool/ThumbnailRenderer.h"

#include <string>

namespace ikw::thumbnail {

// The first page on white, its longer edge `pixelEdge` pixels.
Pixbuf renderPdfFirstPage(const std::string& path, int pixelEdge);

void silencePdfDiagnostics();

}
