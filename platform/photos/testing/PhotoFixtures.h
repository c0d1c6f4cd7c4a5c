#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ikw::photos::testing {

struct PhotoSpec {
    int width = 40;
    int height = 30;
    // EXIF DateTimeOriginal, "YYYY:MM:DD HH:MM:SS"; none: no EXIF block.
    std::optional<std::string> dateTaken {};
    // EXIF orientation (1-8); 0: no tag.
    int orientation = 0;
};

// The bytes of a JPEG of a colour gradient as described.
std::string photoJpeg(const PhotoSpec& spec);

// Writes the JPEG (folders made) and returns its path.
std::string writePhoto(const std::string& path, const PhotoSpec& spec);

// Sets a file's modification time, in seconds since 1970.
void setModificationTime(const std::string& path, std::int64_t seconds);

// The width and height of an image file; 0 x 0 when it cannot be read.
struct ImageSize {
    int width = 0;
    int height = 0;
    bool operator==(const ImageSize&) const = default;
};
ImageSize imageFileSize(const std::string& path);

}
