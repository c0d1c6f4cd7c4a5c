#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {
class TaskQueue;
namespace ui {
class Toolkit;
class WebView;
}
}

namespace ikw::finder {

// The settings key holding the local path fragment ("/Dropbox/", slashes at both ends) at which
// the user's "dropbox" remote of rclone begins. No value ships with the application.
inline constexpr const char* kCloudFolderMarkerKey = "cloudFolderMarker";
// The marker in the user's settings; empty when none is set or it is not text.
std::string configuredCloudFolderMarker();

struct CloudLinkServices {
    TaskQueue* workers = nullptr;
    ui::Toolkit* toolkit = nullptr; // clipboard and browser
    // The marker; empty when the user set none. Read when an action arrives (main thread).
    std::function<std::string()> marker = configuredCloudFolderMarker;
    // Longer than this and the tool counts as giving no link.
    double linkTimeoutSeconds = 60;
};

// The file's path on the remote: what follows the first occurrence of the marker (letter case
// counts); nothing when the path does not hold it or no marker is set.
std::optional<std::string> cloudRemotePath(std::string_view path, std::string_view marker);

// The page of the file on the service's web site, from which its version history is one click
// away: "/home/" + the folder's segments + "?preview=" + the name, each percent-encoded so that no
// character of the name can end the query value.
std::string cloudHistoryUrl(std::string_view remotePath);

// Asks rclone for a share link of the file and puts it on the clipboard; the outcome is toasted
// in `web`. Returns at once.
void copyDropboxLink(const CloudLinkServices& services, const std::string& path, const std::shared_ptr<ui::WebView>& web);

// Opens the file's page on the web site in the browser.
void openDropboxHistory(const CloudLinkServices& services, const std::string& path, const std::shared_ptr<ui::WebView>& web);

}
