#pragma once

#include <cstdint>
#include <string>

namespace ikw::imaging::testing {

struct Rgba {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
};

// An image of one colour, its left half in `left` and its right half in `right`, saved by
// gdk-pixbuf as `type` ("png", "jpeg", "bmp", "tiff"). Aborts the test program when it cannot.
void writeImage(const std::string& path, int width, int height, Rgba left, Rgba right, const std::string& type = "png");

// The same as a HEIC file, through heif-enc from a PNG beside it; false when heif-enc is missing or
// fails.
bool writeHeic(const std::string& path, int width, int height, Rgba left, Rgba right);

}
