#include "finder/FinderIntake.h"

#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <glib.h>

#include <algorithm>
#include <memory>

namespace ikw::finder {

namespace {

void run(const std::function<void()>& step)
{
    if (step)
        step();
}

std::optional<std::string> localPathOfFileUri(const std::string& uri)
{
    char* host = nullptr;
    const std::unique_ptr<char, decltype(&g_free)> path(g_filename_from_uri(uri.c_str(), &host, nullptr), g_free);
    const std::unique_ptr<char, decltype(&g_free)> ownedHost(host, g_free);
    if (!path || (host && std::string_view(host) != "localhost"))
        return std::nullopt;
    return std::string(path.get());
}

// The file's name as the user reads it, even when it is not UTF-8.
std::string displayName(const std::string& path)
{
    const std::unique_ptr<char, decltype(&g_free)> name(g_filename_display_basename(path.c_str()), g_free);
    return name.get();
}

bool isPdf(const std::string& path)
{
    auto extension = pathExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) { return g_ascii_tolower(c); });
    return extension == "pdf";
}

ui::AlertContent truncationAlert(std::size_t carried, std::int64_t declared)
{
    ui::AlertContent alert;
    alert.message = "Opened the first " + std::to_string(carried) + " of " + std::to_string(declared) + " items";
    alert.informativeText = "That selection is larger than one Files request can carry. Open the rest in a second "
                            "pass, or open the folder itself.";
    return alert;
}

}

std::vector<std::string> localPathsOfFileUris(const std::vector<std::string>& uris)
{
    std::vector<std::string> paths;
    for (const auto& uri : uris) {
        if (auto path = localPathOfFileUri(uri))
            paths.push_back(std::move(*path));
    }
    return paths;
}

void FinderIntake::handleFinderExtensionURL(const std::string& url)
{
    const auto request = IkwFinderRequest::parse(url);
    if (!request)
        return;
    const auto carried = static_cast<std::int64_t>(request->paths.size());
    if (!request->declaredCount || carried >= *request->declaredCount) {
        act(*request);
        return;
    }
    m_dialogs.alert(nullptr, truncationAlert(request->paths.size(), *request->declaredCount),
        [weak = weak_from_this(), request = *request](ui::AlertAnswer) {
            if (auto self = weak.lock())
                self->act(request);
        });
}

void FinderIntake::act(const IkwFinderRequest& request)
{
    if (request.action == "share")
        confirmShare(request.paths.front());
    else
        openPaths(request.paths);
}

void FinderIntake::openInQEL(const std::vector<std::string>& uris)
{
    const auto paths = localPathsOfFileUris(uris);
    if (!paths.empty())
        openPaths(paths);
}

void FinderIntake::shareInkwarden(const std::vector<std::string>& uris)
{
    const auto paths = localPathsOfFileUris(uris);
    if (const auto pdf = std::find_if(paths.begin(), paths.end(), isPdf); pdf != paths.end())
        confirmShare(*pdf);
}

void FinderIntake::openPaths(const std::vector<std::string>& paths)
{
    run(m_hooks.noteDidOpen);
    if (m_hooks.runEngine)
        m_hooks.runEngine(paths);
    run(m_hooks.activate);
}

void FinderIntake::confirmShare(const std::string& path)
{
    ui::AlertContent question;
    question.message = "Share \u201c" + displayName(path) + "\u201d online?";
    question.informativeText = "Another program asked to put this file online.";
    question.buttons = { "Share", "Cancel" };
    m_dialogs.alert(nullptr, question, [weak = weak_from_this(), path](ui::AlertAnswer answer) {
        if (auto self = weak.lock(); self && answer.button == 0)
            self->share(path);
    });
}

void FinderIntake::share(const std::string& path)
{
    if (m_hooks.finderShare) {
        m_hooks.finderShare(path);
        return;
    }
    logLine("Dropped the share request for \u201c" + displayName(path) + "\u201d: online shares are not available in this build");
}

}
