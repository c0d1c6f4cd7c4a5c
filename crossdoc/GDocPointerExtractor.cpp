#include "crossdoc/TextExtractors.h"

#include "crossdoc/RegularFile.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"

namespace ikw::crossdoc {

namespace {

// Where a document named only by its id opens in a browser.
constexpr std::string_view kDocumentsWebOrigin = "https://docs.google.com";
// A pointer file is a few hundred bytes of JSON; a larger one is not read.
constexpr std::size_t kMaxPointerBytes = 1 << 20;

std::string titleOf(const std::string& path)
{
    const std::string name = lastPathComponent(path);
    const std::string extension = pathExtension(name);
    return extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
}

std::string linkOf(const std::string& path)
{
    const auto bytes = readRegularFile(path, kMaxPointerBytes + 1);
    if (!bytes || bytes->size() > kMaxPointerBytes)
        return {};
    const auto json = parseJson(*bytes);
    if (!json || !json->is_object())
        return {};
    if (const auto url = json->find("url"); url != json->end() && url->is_string())
        return url->get<std::string>();
    if (const auto id = json->find("doc_id"); id != json->end() && id->is_string())
        return std::string(kDocumentsWebOrigin) + "/open?id=" + id->get<std::string>();
    return {};
}

}

std::vector<Chunk> extractGDocPointer(const std::string& path)
{
    std::string title = titleOf(path);
    if (title.empty())
        return {};
    return { Chunk { "glink", linkOf(path), 0, std::move(title) } };
}

}
