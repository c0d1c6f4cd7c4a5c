#pragma once

#include "platform/imaging/thumbnails/PixelBudget.h"
#include "platform/imaging/thumbnails/ThumbnailRenderer.h"

#include <optional>
#include <string>

namespace ikw::thumbnail {

// Thumbnails of everything but PDFs, chosen by the content type GIO detects: images through
// gdk-pixbuf, anything else through the desktop's thumbnailers, fitted to the box. PNG bytes, or
// nothing.
std::optional<std::string> imageThumbnailPng(const std::string& path, PixelBox box, PixelBudget& budget);

// The content type GIO guesses from the name and the first bytes (a MIME type), or empty when the
// file cannot be read.
std::string contentTypeOf(const std::string& path);

// The entry point of the loadable image module, looked up by name; C linkage so that the name is
// plain. Hands the PNG bytes to `sink` and answers true, or answers false.
extern "C" {
using ImageThumbnailSink = void (*)(void* context, const char* bytes, unsigned long size);
bool ikw_image_thumbnail_png_in_box(const char* path, int boxWidth, int boxHeight, ikw::thumbnail::PixelBudget* budget, ImageThumbnailSink sink, void* context);
}

}
