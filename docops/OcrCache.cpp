#include "docops/OcrCache.h"

#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Json.h"

#include <sys/stat.h>

#include <limits>

namespace ikw::docops {

namespace {

// Seconds since 1970 truncated toward zero (tv_sec alone is the floor for dates before 1970).
long long wholeSeconds(const timespec& time)
{
    return time.tv_sec < 0 && time.tv_nsec > 0 ? static_cast<long long>(time.tv_sec) + 1 : static_cast<long long>(time.tv_sec);
}

std::optional<int> pageNumberOf(const Json& entry)
{
    const auto found = entry.find("page");
    if (found == entry.end() || !found->is_number_integer())
        return std::nullopt;
    if (found->is_number_unsigned())
        return found->get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<int>::max())
            ? std::optional<int>(static_cast<int>(found->get<std::uint64_t>()))
            : std::nullopt;
    const auto number = found->get<std::int64_t>();
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(number);
}

}

std::string ocrCacheFolder()
{
    return globals().paths.mapLibraryPath("~/Library/Application Support/Inkwarden/ocr");
}

std::optional<std::string> ocrCacheDir(FileSystem& files)
{
    const std::string folder = ocrCacheFolder();
    if (!files.createDirectories(folder).ok())
        return std::nullopt;
    return folder;
}

bool ocrCacheWrite(const std::string& path, const std::vector<OcrPageRecord>& pages, FileSystem& files)
{
    const auto key = ocrCacheKey(path);
    const auto folder = key ? ocrCacheDir(files) : std::nullopt;
    if (!folder)
        return false;
    Json records = Json::array();
    for (const OcrPageRecord& record : pages)
        records.push_back({ { "page", record.page }, { "text", record.text } });
    const Json contents { { "path", path }, { "pages", std::move(records) } };
    return files.replaceFile(*folder + "/" + *key + ".json", toPlainJson(contents)).ok();
}

std::optional<std::string> ocrCacheKey(const std::string& path)
{
    // The file's own date and size: a link is looked through, so that a change of its target
    // makes a new key.
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return sha256Hex(path + "|" + std::to_string(wholeSeconds(info.st_mtim)) + "|" + std::to_string(info.st_size));
}

std::optional<OcrPageTexts> ocrCacheRead(const std::string& path)
{
    const auto key = ocrCacheKey(path);
    if (!key)
        return std::nullopt;
    const auto contents = realFileSystem().readFile(ocrCacheFolder() + "/" + *key + ".json");
    const auto parsed = contents ? parseJson(*contents) : std::nullopt;
    if (!parsed || !parsed->is_object())
        return std::nullopt;
    const auto pages = parsed->find("pages");
    if (pages == parsed->end() || !pages->is_array())
        return std::nullopt;
    OcrPageTexts texts;
    for (const Json& entry : *pages) {
        if (!entry.is_object())
            return std::nullopt;
        const auto page = pageNumberOf(entry);
        const auto text = entry.find("text");
        if (!page || text == entry.end() || !text->is_string() || text->get_ref<const std::string&>().empty())
            continue;
        texts[*page] = text->get<std::string>();
    }
    if (texts.empty())
        return std::nullopt;
    return texts;
}

}
