#include "library/ReaderURL.h"

#include "app/AppDelegate.h"
#include "app/Appearance.h"
#include "app/Settings.h"
#include "review/EngineLocator.h"
#include "review/EnginePageURL.h"
#include "services/PairCode.h"

#include <utility>
#include <vector>

namespace ikw::library {

namespace {

// "1" unless the setting is the JSON false.
std::string switchItem(const Json& settings, const char* key)
{
    const auto it = settings.find(key);
    return it != settings.end() && it->is_boolean() && !it->get<bool>() ? "0" : "1";
}

std::string zoomItem(const Json& settings)
{
    const auto it = settings.find("reader_default_zoom");
    return it != settings.end() && it->is_string() ? it->get<std::string>() : "page-width";
}

}

std::optional<std::string> readerURL(const ReaderURLRequest& request, const Json& settings, const ReaderLook& look, const std::string& readerPage)
{
    const bool followsSystem = readingThemeFollowsSystem(settings);
    std::vector<PageQueryItem> items {
        { "pdf", request.pdf },
        { "orig", request.orig },
        { "theme", look.scheme },
    };
    if (request.docId && !request.docId->empty())
        items.emplace_back("docid", *request.docId);
    items.insert(items.end(), {
        { "sb", switchItem(settings, "reader_statusbar") },
        { "z", zoomItem(settings) },
        { "zw", switchItem(settings, "reader_zoom_with_window") },
        { "ptmode", followsSystem ? "system" : "perfile" },
    });
    if (followsSystem ? look.scheme == "dark" : look.nightPagesNow)
        items.emplace_back("ptheme", "night");
    // The phone pairs with the library of this code; none is made for a page.
    if (std::string code = services::storedPairCode(settings); !code.empty())
        items.emplace_back("pair", std::move(code));
    if (request.page && *request.page >= 1)
        items.emplace_back("page", std::to_string(*request.page));
    if (request.verb && !request.verb->empty())
        items.emplace_back("verb", *request.verb);
    if (request.run && request.run->total >= 2) {
        items.emplace_back("run", std::to_string(request.run->index + 1) + "/" + std::to_string(request.run->total));
        items.emplace_back("runname", request.run->name);
    }
    return enginePageURL(readerPage, items);
}

std::optional<std::string> readerDocId(const ReaderURLRequest& request, const services::IkwDocIdentity::AttributeCalls& calls)
{
    return services::IkwDocIdentity::ensure(request.orig.empty() ? request.pdf : request.orig, calls);
}

std::optional<std::string> readerURL(const ReaderURLRequest& request)
{
    auto settings = loadConfig();
    ReaderLook look;
    if (const auto* delegate = appDelegate())
        look.scheme = delegate->resolvedScheme();
    bool filled = false;
    const auto night = nightCfg(settings, filled);
    look.nightPagesNow = night.pages && IkwNight::isNightNow(night);
    auto identified = request;
    identified.docId = readerDocId(request);
    return readerURL(identified, settings, look, readerHTMLPath());
}

}
