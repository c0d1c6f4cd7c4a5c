#include "platform/pdf/PageImage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace ikw::pdf {

namespace {

// libjpeg reports errors through a callback that must not return: it jumps back to the encoder.
struct JpegErrors {
    jpeg_error_mgr manager {};
    std::jmp_buf failed {};
};

[[noreturn]] void jumpOut(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->failed, 1);
}

void silently(j_common_ptr, int) { }

struct MemoryOutput {
    unsigned char* data = nullptr;
    unsigned long size = 0;
    ~MemoryOutput() { std::free(data); }
};

// Nothing with a destructor may live in this frame: a failure jumps back into it.
bool compress(const PageImage& image, int quality, jpeg_compress_struct& info, JpegErrors& errors, MemoryOutput& output)
{
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpOut;
    errors.manager.emit_message = silently;
    if (setjmp(errors.failed)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &output.data, &output.size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = image.channels();
    info.in_color_space = image.format == PixelFormat::Rgb ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.channels());
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.pixels.data() + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}

std::optional<std::string> encodeJpeg(const PageImage& image, int quality)
{
    if (!image.isWhole() || image.width > JPEG_MAX_DIMENSION || image.height > JPEG_MAX_DIMENSION)
        return std::nullopt;
    jpeg_compress_struct info {};
    JpegErrors errors;
    MemoryOutput output;
    if (!compress(image, std::clamp(quality, 1, 100), info, errors, output) || !output.data)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(output.data), output.size);
}

}
