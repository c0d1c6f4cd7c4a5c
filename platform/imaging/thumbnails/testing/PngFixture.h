#pragma once

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

namespace ikw::testing {

// Writes a PNG of one RGB colour row by row, so that a test can make an image far larger than it
// could hold. Interlaced on request (such files are only complete after their last pass).
inline bool writeUniformPng(const std::string& path, int width, int height, unsigned rgb, bool interlaced = false)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    for (std::size_t x = 0; x < row.size(); x += 3) {
        row[x] = static_cast<png_byte>(rgb >> 16);
        row[x + 1] = static_cast<png_byte>(rgb >> 8);
        row[x + 2] = static_cast<png_byte>(rgb);
    }
    bool written = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_compression_level(png, 1);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
            interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        const int passes = interlaced ? png_set_interlace_handling(png) : 1;
        for (int pass = 0; pass < passes; ++pass) {
            for (int y = 0; y < height; ++y)
                png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return written;
}

}
