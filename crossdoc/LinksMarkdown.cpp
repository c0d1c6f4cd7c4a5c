#include "crossdoc/LinksMarkdown.h"

#include "crossdoc/LinksStore.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"

namespace ikw::crossdoc {

namespace {

// "**<file>, p.<page>** “<text>”", with "?" for a page that is not a whole number.
std::string endLine(const Json& link, const char* name)
{
    const auto found = link.is_object() ? link.find(name) : link.end();
    const Json end = found != link.end() && found->is_object() ? *found : Json::object();
    const auto page = integerField(end, "page");
    return "**" + lastPathComponent(stringField(end, "path").value_or("")) + ", p." + (page ? std::to_string(*page) : std::string("?"))
        + "** \u201C" + std::string(trim(stringField(end, "text").value_or(""))) + "\u201D\n";
}

}

std::string linksExportMarkdown(const std::vector<Json>& links)
{
    if (links.empty())
        return {};
    const std::size_t count = links.size();
    std::string markdown = "\n## Cross-document links\n\n_" + std::to_string(count) + " connection" + (count == 1 ? "" : "s")
        + " \u00B7 exported by Inkwarden_\n\n";
    for (const auto& link : links) {
        markdown += "- " + endLine(link, "a");
        markdown += "  \u27F6 " + endLine(link, "b");
        if (const auto note = stringField(link, "note"); note && !note->empty())
            markdown += "  _" + *note + "_\n";
        markdown += "\n";
    }
    return markdown;
}

std::string linksExportMarkdown(const std::string& document)
{
    return linksExportMarkdown(linksInvolving(document));
}

}
