// Build step: writes the desktop entry template with its MimeType= list made from the declared
// document types. Usage: ikw_desktop_entry <template> <document_types.json> <output>
#include "finder/DeclaredTypes.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"

#include <cstdio>
#include <string>

namespace {

constexpr std::string_view kPlaceholder = "@IKW_MIME_TYPES@";

}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <template> <document_types.json> <output>\n", argv[0]);
        return 2;
    }
    auto& files = ikw::realFileSystem();
    auto text = files.readFile(argv[1]);
    const auto table = files.readFile(argv[2]);
    const auto declared = table ? ikw::parseJson(*table) : std::nullopt;
    if (!text || !declared) {
        std::fprintf(stderr, "%s: cannot read %s or %s\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    const auto at = text->find(kPlaceholder);
    if (at == std::string::npos) {
        std::fprintf(stderr, "%s: %s has no %s\n", argv[0], argv[1], std::string(kPlaceholder).c_str());
        return 1;
    }
    std::string list;
    for (const auto& mimeType : ikw::finder::announcedMimeTypes(ikw::finder::parseDeclaredTypes(*declared)))
        list += mimeType + ";";
    text->replace(at, kPlaceholder.size(), list);
    if (!files.replaceFile(argv[3], *text).ok()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
