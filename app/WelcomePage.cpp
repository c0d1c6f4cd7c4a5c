#include "app/WelcomePage.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "app/TemplateFill.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <charconv>
#include <chrono>
#include <cstdlib>

namespace ikw {

namespace {

constexpr const char* kThemeScript =
    "document.documentElement.dataset.theme=(window.matchMedia&&matchMedia('(prefers-color-scheme:dark)').matches)?'dark':'light';"
    "try{matchMedia('(prefers-color-scheme:dark)').addEventListener('change',function(e){document.documentElement.dataset.theme=e.matches?'dark':'light'})}catch(_e){}";

// The font sheet loads as "print" and switches itself on: offline, the page neither waits for it
// nor delays its load event's drawing.
constexpr const char* kFontLinks =
    "<link rel=\"preconnect\" href=\"https://fonts.googleapis.com\">"
    "<link rel=\"stylesheet\" href=\"https://fonts.googleapis.com/css2?family=Inter:wght@300;400;500;600&amp;display=swap\""
    " media=\"print\" onload=\"this.media='all'\">";

constexpr const char* kBackgroundStyle =
    "html,body{height:100%;margin:0;background:linear-gradient(165deg,var(--bg1,#fff),var(--bg2,#f3eee4))}";

// Any "</script" (in any letter case) would end the inline element early.
std::string inlineScriptText(std::string_view script)
{
    std::string text;
    text.reserve(script.size());
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] == '<' && i + 8 <= script.size() && script[i + 1] == '/') {
            std::string word(script.substr(i + 2, 6));
            for (auto& c : word)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (word == "script") {
                text += "<\\/";
                ++i;
                continue;
            }
        }
        text += script[i];
    }
    return text;
}

Json brandJson(const Brand& brand)
{
    Json modules = Json::object();
    for (const auto& [name, on] : brand.modules)
        modules[name] = on;
    return { { "name", brand.name }, { "tagline", brand.tagline }, { "modules", modules } };
}

Json pinsJson(const std::vector<std::string>& pinned)
{
    Json pins = Json::array();
    for (const auto& path : pinned)
        pins.push_back({ { "name", lastPathComponent(path) }, { "path", path } });
    return pins;
}

Json recentsJson(const std::vector<RecentItem>& items, const FileSystem& fileSystem)
{
    Json recents = Json::array();
    for (std::size_t i = 0; i < items.size() && i < kWelcomeRecentCount; ++i) {
        const auto& item = items[i];
        recents.push_back({
            { "name", lastPathComponent(item.path) },
            { "path", item.path },
            { "kind", item.isDir ? "folder" : "file" },
            { "ts", welcomeTimestamp(item.ts) },
            { "missing", fileSystem.exists(item.path) ? "" : "1" },
        });
    }
    return recents;
}

}

std::string welcomeDemoMode(const std::optional<std::string>& demo, const std::vector<std::string>& arguments)
{
    if (demo && !demo->empty())
        return *demo;
    if (const char* environment = std::getenv("IKW_DEMO"); environment && *environment)
        return environment;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != "--demo")
            continue;
        if (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0)
            return arguments[i + 1];
        return "qa";
    }
    return "";
}

std::string welcomeTimestamp(double seconds)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed);
    std::string text = error == std::errc() ? std::string(buffer, end) : "0";
    if (text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

std::string welcomeGlobals(const WelcomeContent& content, const FileSystem& fileSystem)
{
    const Json shape = content.welcomeShape.is_string() ? content.welcomeShape : Json("folded");
    std::string text;
    text += "window.IKW_SHELL='mac';window.IKW_DESKTOP=true;\n";
    text += "window.IKW_BRAND=" + toJson(brandJson(content.brand)) + ";\n";
    text += "window.IKW_PINS=" + toJson(pinsJson(content.pinnedFolders)) + ";\n";
    text += "window.IKW_RECENTS=" + toJson(recentsJson(content.recentItems, fileSystem)) + ";\n";
    text += std::string("window.IKW_FDA_TIP=") + (content.hasFullDiskAccess ? "false" : "true") + ";\n";
    text += "window.IKW_ACCEL_OPEN='Ctrl+O';\n";
    text += "window.IKW_WELCOME_SHAPE=" + toJson(shape) + ";\n";
    text += "window.IKW_NOTE=" + toJson(content.note) + ";\n";
    text += "window.IKW_DEMO=" + toJson(content.demo) + ";";
    return text;
}

std::string welcomeDocument(const WelcomeContent& content, const FileSystem& fileSystem)
{
    std::string page;
    page += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n";
    page += std::string("<script>") + kThemeScript + "</script>\n";
    page += "<title>" + htmlEscape(content.brand.name) + "</title>\n";
    page += std::string(kFontLinks) + "\n";
    page += std::string("<style>") + kBackgroundStyle + "</style>\n";
    page += "</head>\n<body>\n<script>\n" + welcomeGlobals(content, fileSystem) + "\n</script>\n";
    page += "<script>\n" + inlineScriptText(content.welcomeScript) + "\n</script>\n";
    page += "</body>\n</html>\n";
    return page;
}

WelcomeContent currentWelcomeContent(const std::optional<std::string>& note, const std::string& demo)
{
    const auto& process = globals();
    const auto defaults = appUserDefaults();
    const auto now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const Json settings = loadConfig();
    const auto shape = settings.find("welcome_shape");
    return {
        .brand = process.brand,
        .pinnedFolders = readPinnedFolders(defaults),
        .recentItems = readRecentItems(defaults, now),
        // There is no Full Disk Access to lack on this system.
        .hasFullDiskAccess = true,
        .welcomeShape = shape != settings.end() ? *shape : Json(),
        .note = note.value_or(""),
        .demo = demo,
        .welcomeScript = realFileSystem().readFile(joinPath(process.paths.resourcesDir, "engine/welcome.js")).value_or(""),
    };
}

std::optional<std::string> writeWelcomeFile(const std::optional<std::string>& note, const std::optional<std::string>& demo,
    const std::vector<std::string>& arguments, FileSystem& fileSystem)
{
    const std::string& archive = globals().archive;
    fileSystem.createDirectories(archive);
    const auto content = currentWelcomeContent(note, welcomeDemoMode(demo, arguments));
    const std::string path = joinPath(archive, ".welcome-" + makeUuid() + ".html");
    if (auto written = fileSystem.replaceFile(path, welcomeDocument(content, fileSystem)); !written) {
        logLine("welcome page not written: " + written.message());
        return std::nullopt;
    }
    return path;
}

}
