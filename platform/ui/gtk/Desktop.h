#pragma once

#include "platform/ui/Desktop.h"

#include <functional>

namespace ikw::ui::gtk3 {

class Clipboard final : public ui::Clipboard {
public:
    void setText(const std::string& text) override;
    std::optional<std::string> text() const override;
    void setFiles(const std::vector<std::string>& paths) override;
};

// Opens a URI with its default application; false when none took it.
bool launchDefaultApplication(const std::string& uri);

class Workspace final : public ui::Workspace {
public:
    // `launch` hands a URI to the desktop (replaceable so that tests see what would open).
    explicit Workspace(std::function<bool(const std::string& uri)> launch = launchDefaultApplication) : m_launch(std::move(launch)) {}
    bool openUrl(const std::string& url) override;
    bool openFile(const std::string& path) override;
    std::optional<DesktopApplication> defaultApplicationFor(const std::string& path) override;
    std::optional<DesktopApplication> defaultApplicationForType(const std::string& contentType) override;
    std::vector<ApplicationEntry> applicationsFor(const std::string& path) override;
    bool openFileWith(const std::string& path, const std::string& applicationId) override;
    std::optional<ApplicationIcon> applicationIcon(const std::string& applicationId, int side) override;
    void revealFile(const std::string& path) override;
    void showItemProperties(const std::string& path) override;

private:
    std::function<bool(const std::string&)> m_launch;
};

// The user's defaults in $XDG_CONFIG_HOME/mimeapps.list, written at once; an application without an
// installed desktop entry is refused.
class DefaultApplications final : public ui::DefaultApplications {
public:
    void setDefault(const std::string& applicationId, const std::string& contentType,
        std::function<void(std::optional<std::string> error)> done) override;
};

// Inhibits idle (screen blanking and suspend) through the running GtkApplication, or through the
// session's screen saver service when the program runs without one.
class KeepAwake final : public ui::KeepAwake {
public:
    std::unique_ptr<KeepAwakeToken> hold(const std::string& reason) override;
};

}
