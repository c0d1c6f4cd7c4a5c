#include "platform/photos/testing/PhotoFixtures.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <libexif/exif-data.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace ikw::photos::testing {

namespace {

GdkPixbuf* gradient(int width, int height)
{
    GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    guchar* pixels = gdk_pixbuf_get_pixels(image);
    const int stride = gdk_pixbuf_get_rowstride(image);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            guchar* pixel = pixels + y * stride + x * 3;
            pixel[0] = static_cast<guchar>(255 * x / std::max(1, width - 1));
            pixel[1] = static_cast<guchar>(255 * y / std::max(1, height - 1));
            pixel[2] = static_cast<guchar>((x + y) % 256);
        }
    }
    return image;
}

// The EXIF block ("Exif\0\0" and the TIFF structure) holding the spec's tags.
std::string exifBlock(const PhotoSpec& spec)
{
    ExifData* exif = exif_data_new();
    exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
    if (spec.dateTaken) {
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(exif->ifd[EXIF_IFD_EXIF], entry);
        exif_entry_initialize(entry, EXIF_TAG_DATE_TIME_ORIGINAL);
        if (entry->size >= 20)
            std::memcpy(entry->data, spec.dateTaken->c_str(), std::min<std::size_t>(spec.dateTaken->size() + 1, entry->size));
        exif_entry_unref(entry);
    }
    if (spec.orientation > 0) {
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
        exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
        exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, static_cast<ExifShort>(spec.orientation));
        exif_entry_unref(entry);
    }
    unsigned char* data = nullptr;
    unsigned int size = 0;
    exif_data_save_data(exif, &data, &size);
    std::string block(reinterpret_cast<const char*>(data), size);
    std::free(data);
    exif_data_unref(exif);
    return block;
}

}

std::string photoJpeg(const PhotoSpec& spec)
{
    GdkPixbuf* image = gradient(spec.width, spec.height);
    gchar* buffer = nullptr;
    gsize size = 0;
    const gboolean saved = gdk_pixbuf_save_to_buffer(image, &buffer, &size, "jpeg", nullptr, "quality", "85", nullptr);
    g_object_unref(image);
    if (!saved)
        throw std::runtime_error("could not encode the test JPEG");
    std::string jpeg(buffer, size);
    g_free(buffer);
    if (!spec.dateTaken && spec.orientation == 0)
        return jpeg;
    // An APP1 segment right after the start-of-image marker, where readers look for EXIF.
    const std::string block = exifBlock(spec);
    const std::size_t length = block.size() + 2;
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    segment += block;
    return jpeg.insert(2, segment);
}

std::string writePhoto(const std::string& path, const PhotoSpec& spec)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << photoJpeg(spec);
    return path;
}

void setModificationTime(const std::string& path, std::int64_t seconds)
{
    const struct timespec times[2] = { { static_cast<time_t>(seconds), 0 }, { static_cast<time_t>(seconds), 0 } };
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("could not set the time of " + path);
}

ImageSize imageFileSize(const std::string& path)
{
    ImageSize size;
    if (!gdk_pixbuf_get_file_info(path.c_str(), &size.width, &size.height))
        return {};
    return size;
}

}
