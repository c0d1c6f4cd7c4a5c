#pragma once

#include "platform/pdf/Document.h"

namespace ikw::pdf {

// How images are rewritten for reading on screen.
struct ScreenImageOptions {
    // Images finer than this at the largest size a page draws them are scaled down to it.
    double maxPixelsPerInch = 150;
    int jpegQuality = 75;
};

// Rewrites the document's images, in memory, for reading on screen: each image a page (or one of
// its forms or annotation appearances) draws is decoded, scaled down where it is finer than the
// options allow, and stored as a baseline JPEG, in its own colour space where JPEG can hold that
// (grey or RGB), else in device RGB or grey. An image keeps its old data where the JPEG would not
// be smaller. Left as they are: one-bit images and image masks, JPEG 2000 images, images with a
// colour-key mask, images only patterns, glyphs or soft masks draw, and inline images. Soft masks
// stay separate objects; text and drawings are untouched. Write the document with
// `dropUnusedObjects` afterwards so that the replaced data leaves the file. The number of images
// rewritten.
int rewriteImagesForScreen(Document& document, const ScreenImageOptions& options = {});

}
