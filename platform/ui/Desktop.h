#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw::ui {

// The desktop's clipboard (the one Ctrl+C and Ctrl+V use).
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
    virtual std::optional<std::string> text() const = 0;
    // Files, as a file manager copies them: pasting in a folder copies the files.
    virtual void setFiles(const std::vector<std::string>& paths) = 0;
};

// An application of the desktop: its desktop-file id ("org.gnome.Evince.desktop"), its name and
// the file of its desktop entry ("" when it has none).
struct DesktopApplication {
    std::string id;
    std::string name;
    std::string file {};
};

// An application able to open a file, as its desktop entry describes it.
struct ApplicationEntry {
    std::string file;    // the desktop entry's own file
    std::string id;      // its desktop-file id; "" when it has none
    std::string name;    // "" when it gives none
    std::string version; // the application's version; desktop entries carry none
    // When the entry's file last changed; nothing when that cannot be read.
    std::optional<std::chrono::system_clock::time_point> modified;
};

// An application's icon drawn at a size: the file it came from and its pixels (RGBA, row by row,
// exactly the size asked for).
struct ApplicationIcon {
    std::string file;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// Handing things to the rest of the desktop.
class Workspace {
public:
    virtual ~Workspace() = default;
    // A URL in its default application (a browser for web addresses, the mail client for mailto:).
    virtual bool openUrl(const std::string& url) = 0;
    // A file or folder with its default application.
    virtual bool openFile(const std::string& path) = 0;
    // The application that opens the file by default (judged by its content type; nothing when no
    // application is registered for it).
    virtual std::optional<DesktopApplication> defaultApplicationFor(const std::string& path) = 0;
    // The application that opens a content type ("text/plain") by default; nothing without one.
    virtual std::optional<DesktopApplication> defaultApplicationForType(const std::string& contentType) = 0;
    // Every application able to open the file (judged by its content type), in the desktop's order.
    virtual std::vector<ApplicationEntry> applicationsFor(const std::string& path) = 0;
    // Opens the file with the application of that desktop-file id, or of the desktop entry at that
    // absolute path; false when it could not start.
    virtual bool openFileWith(const std::string& path, const std::string& applicationId) = 0;
    // The application's icon as the icon theme draws it at side × side; nothing without one.
    virtual std::optional<ApplicationIcon> applicationIcon(const std::string& applicationId, int side) = 0;
    // Shows the file selected in the file manager; opens its folder when no file manager
    // offers the selection service.
    virtual void revealFile(const std::string& path) = 0;
    // The file manager's properties window of the file; nothing happens when no file manager
    // offers it.
    virtual void showItemProperties(const std::string& path) = 0;
};

// Changing which application opens a content type by default.
class DefaultApplications {
public:
    virtual ~DefaultApplications() = default;
    // Makes the application of that desktop-file id the default for the content type. `done` gets
    // nothing on success or the reason for a refusal, on whichever thread finished the change; the
    // new default may show in Workspace::defaultApplicationForType only some time after that.
    virtual void setDefault(const std::string& applicationId, const std::string& contentType,
        std::function<void(std::optional<std::string> error)> done) = 0;
};

// Keeps the display from sleeping while held; released when the object goes.
class KeepAwakeToken {
public:
    virtual ~KeepAwakeToken() = default;
};

class KeepAwake {
public:
    virtual ~KeepAwake() = default;
    virtual std::unique_ptr<KeepAwakeToken> hold(const std::string& reason) = 0;
};

}
