#include "review/TrustedRoots.h"

#include "app/Globals.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "review/PageLink.h"

#include <glib.h>

#include <algorithm>
#include <filesystem>

namespace ikw {

namespace {

std::string canonical(const std::string& path)
{
    std::error_code error;
    auto resolved = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::path(path).lexically_normal().string() : resolved.string();
}

bool isInside(const std::string& path, const std::string& root)
{
    if (root.empty() || path.size() <= root.size() || path.compare(0, root.size(), root) != 0)
        return false;
    return root.back() == '/' || path[root.size()] == '/';
}

}

std::vector<std::string> defaultTrustedRoots()
{
    const auto& g = globals();
    const auto& resources = g.paths.resourcesDir;
    return {
        joinPath(g.home, kUserEngineFolder),
        joinPath(resources, "engine"),
        g.archive,
        resources,
    };
}

bool isTrustedPageUrl(std::string_view url, const std::vector<std::string>& roots)
{
    if (url.substr(0, 7) != "file://")
        return false;
    // The loading page reloads itself with a query; neither query nor fragment names another file.
    const auto end = url.find_first_of("?#");
    gchar* decoded = g_filename_from_uri(std::string(url.substr(0, end)).c_str(), nullptr, nullptr);
    if (!decoded)
        return false;
    const std::string path = canonical(decoded);
    g_free(decoded);
    for (const auto& root : roots) {
        if (isInside(path, canonical(root)))
            return true;
    }
    return false;
}

DocumentVerdict judgeDocument(const ui::DocumentResponse& document, const std::vector<std::string>& roots,
    const std::vector<std::string>& subframeSchemes)
{
    using ui::ResponsePolicy;
    const PageLink link = classifyPageLink(document.url);
    const ResponsePolicy showable = document.canShow ? ResponsePolicy::Show : ResponsePolicy::Download;
    if (link.kind == PageLink::Kind::File) {
        if (isTrustedPageUrl(document.url, roots))
            return { showable, std::nullopt };
        if (document.mainFrame && link.filePath)
            return { ResponsePolicy::Refuse, link.filePath };
        return { ResponsePolicy::Refuse, std::nullopt };
    }
    if (document.mainFrame || !document.canShow)
        return { showable, std::nullopt };
    const auto scheme = urlSchemeOf(document.url);
    const bool ours = scheme && (*scheme == "about" || std::find(subframeSchemes.begin(), subframeSchemes.end(), *scheme) != subframeSchemes.end());
    return { ours ? ResponsePolicy::Show : ResponsePolicy::Refuse, std::nullopt };
}

std::string guardScriptToRoots(std::string_view script, const std::vector<std::string>& roots)
{
    Json rootList = Json::array();
    for (const auto& root : roots)
        rootList.push_back(canonical(root));
    // The page cannot change its own location before document start, so this test is reliable
    // for what it decides: whether the bridge's globals are set up at all.
    std::string guarded = "if((function(){try{if(location.protocol!=='file:')return false;"
                          "var p=decodeURIComponent(location.pathname);if(p.indexOf('/../')>=0)return false;"
                          "return "
        + toJson(rootList) + ".some(function(r){return p.indexOf(r+'/')===0})}catch(e){return false}})()){\n";
    guarded.append(script);
    guarded.append("\n}");
    return guarded;
}

}
