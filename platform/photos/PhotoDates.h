#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ikw::photos {

// The EXIF "YYYY:MM:DD HH:MM:SS" text read as local time, in seconds since 1970; nothing for a
// malformed or blank date ("0000:00:00 00:00:00").
std::optional<std::int64_t> parseExifDateTime(std::string_view text);

// When the photo was taken: its EXIF DateTimeOriginal, else the file's modification time; 0 when
// neither can be read.
std::int64_t photoCreationDate(const std::string& path);

}
