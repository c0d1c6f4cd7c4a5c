#include "platform/photos/PhotoDates.h"

#include <libexif/exif-data.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <memory>

namespace ikw::photos {

namespace {

struct ExifDataUnref {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

std::optional<std::string> dateTimeOriginal(const std::string& path)
{
    // The loader stops reading once it has the EXIF block, so this reads only the file's head.
    const std::unique_ptr<ExifData, ExifDataUnref> data(exif_data_new_from_file(path.c_str()));
    if (!data)
        return std::nullopt;
    ExifEntry* entry = exif_data_get_entry(data.get(), EXIF_TAG_DATE_TIME_ORIGINAL);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data || entry->size == 0)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(entry->data), entry->size);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

std::optional<std::int64_t> modificationTime(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return static_cast<std::int64_t>(status.st_mtim.tv_sec);
}

}

std::optional<std::int64_t> parseExifDateTime(std::string_view text)
{
    if (text.size() < 19)
        return std::nullopt;
    const std::string date(text.substr(0, 19));
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char end = 0;
    if (std::sscanf(date.c_str(), "%4d:%2d:%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second, &end) != 6)
        return std::nullopt;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60
        || hour < 0 || minute < 0 || second < 0)
        return std::nullopt;
    std::tm local {};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1; // cameras write the wall clock of the day
    return static_cast<std::int64_t>(std::mktime(&local));
}

std::int64_t photoCreationDate(const std::string& path)
{
    if (const auto taken = dateTimeOriginal(path)) {
        if (const auto seconds = parseExifDateTime(*taken))
            return *seconds;
    }
    return modificationTime(path).value_or(0);
}

}
