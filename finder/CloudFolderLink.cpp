#include "finder/CloudFolderLink.h"

#include "app/Settings.h"

#include "platform/core/Paths.h"
#include "platform/core/Process.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/Text.h"
#include "platform/core/UriEscape.h"
#include "platform/ui/Toolkit.h"
#include "review/ReviewWC.h"

#include <glib.h>

#include <cstdlib>
#include <memory>

namespace ikw::finder {

namespace {

constexpr const char* kNotInCloudFolder = "This file isn\u2019t in your Dropbox";
constexpr const char* kGettingLink = "Getting Dropbox link\u2026";
constexpr const char* kLinkCopied = "Dropbox link copied";
constexpr const char* kNoLink = "Couldn\u2019t get a Dropbox link for this file";
constexpr const char* kOpeningHistory = "Opening in Dropbox \u2014 click \u22EF \u2192 Version history";
constexpr const char* kHistoryHost = "https://www.dropbox.com";

// Where rclone is looked for: the usual place of hand-installed tools first, then the
// application's own search path.
std::string linkToolSearchPath()
{
    const char* path = std::getenv("PATH");
    return std::string("/usr/local/bin:") + (path ? path : "");
}

// The link rclone prints for the remote path; nothing when it prints none, fails or takes too
// long. The path travels as one argument: no shell ever reads it.
std::optional<std::string> fetchLink(const std::string& remotePath, double timeoutSeconds)
{
    const std::string rclone = findExecutable("rclone", linkToolSearchPath());
    if (rclone.empty())
        return std::nullopt;
    ProcessOptions options;
    options.argv = { rclone, "link", "dropbox:" + remotePath };
    options.timeoutSeconds = timeoutSeconds;
    options.captureStandardError = false;
    const ProcessResult result = runProcess(options);
    if (!result.started || result.timedOut)
        return std::nullopt;
    std::string link(trim(result.standardOutput));
    if (!link.starts_with("http"))
        return std::nullopt;
    return link;
}

std::optional<std::string> remotePathOrToast(const CloudLinkServices& services, const std::string& path,
    const std::shared_ptr<ui::WebView>& web)
{
    auto remote = cloudRemotePath(path, services.marker ? services.marker() : std::string());
    if (!remote)
        ReviewWC::readerToast(web, kNotInCloudFolder);
    return remote;
}

}

std::string configuredCloudFolderMarker()
{
    const Json settings = loadConfig();
    const auto marker = settings.find(kCloudFolderMarkerKey);
    return marker != settings.end() && marker->is_string() ? marker->get<std::string>() : std::string();
}

std::optional<std::string> cloudRemotePath(std::string_view path, std::string_view marker)
{
    if (marker.empty())
        return std::nullopt;
    const auto at = path.find(marker);
    if (at == std::string_view::npos)
        return std::nullopt;
    return std::string(path.substr(at + marker.size()));
}

std::string cloudHistoryUrl(std::string_view remotePath)
{
    const auto slash = remotePath.rfind('/');
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : remotePath.substr(0, slash);
    const std::string_view name = slash == std::string_view::npos ? remotePath : remotePath.substr(slash + 1);
    std::string encodedFolder;
    for (std::size_t start = 0; start <= folder.size() && !folder.empty();) {
        const auto end = std::min(folder.find('/', start), folder.size());
        if (start > 0)
            encodedFolder += '/';
        encodedFolder += uriEscaped(folder.substr(start, end - start), G_URI_RESERVED_CHARS_ALLOWED_IN_PATH_ELEMENT);
        start = end + 1;
    }
    return std::string(kHistoryHost) + "/home/" + encodedFolder + "?preview=" + uriEscaped(name, nullptr);
}

void copyDropboxLink(const CloudLinkServices& services, const std::string& path, const std::shared_ptr<ui::WebView>& web)
{
    const auto remote = remotePathOrToast(services, path, web);
    if (!remote)
        return;
    ReviewWC::readerToast(web, kGettingLink);
    services.workers->post([remote = *remote, timeout = services.linkTimeoutSeconds, toolkit = services.toolkit,
                               weak = std::weak_ptr<ui::WebView>(web)] {
        auto link = fetchLink(remote, timeout);
        mainQueue().post([link = std::move(link), toolkit, weak] {
            const auto view = weak.lock();
            if (link)
                toolkit->clipboard().setText(*link);
            if (view)
                ReviewWC::readerToast(view, link ? kLinkCopied : kNoLink);
        });
    });
}

void openDropboxHistory(const CloudLinkServices& services, const std::string& path, const std::shared_ptr<ui::WebView>& web)
{
    const auto remote = remotePathOrToast(services, path, web);
    if (!remote)
        return;
    services.toolkit->workspace().openUrl(cloudHistoryUrl(*remote));
    ReviewWC::readerToast(web, kOpeningHistory);
}

}
