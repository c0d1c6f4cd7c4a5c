#pragma once

#include "app/RecentItems.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class ReviewWindows;
namespace ui {
class Dialogs;
}
}

namespace ikw::library {

class HistoryStore;
class Openers;

// The recent items (files and folders opened, newest first) and the pinned folders, both kept in
// the application's user defaults and read afresh by every call. Main thread only.
class RecentLists {
public:
    struct Hooks {
        // The main menu shows both lists.
        std::function<void()> rebuildMenu {};
        // A fresh welcome page for a window that shows none yet; nothing when it cannot be written.
        std::function<std::optional<std::string>()> writeWelcomePage {};
        std::function<double()> clock {}; // seconds since 1970
        // Folders of throw-away files, whose contents are never recorded.
        std::function<std::vector<std::string>()> temporaryRoots = defaultTemporaryRoots;
    };

    // The system's temporary folders ("/tmp", "/var/tmp", $TMPDIR, ...) and the product's own.
    static std::vector<std::string> defaultTemporaryRoots();

    RecentLists(HistoryStore& history, ReviewWindows& windows, Openers& openers, ui::Dialogs& dialogs, Hooks hooks);

    std::vector<RecentItem> recentItems() const;
    // Records each recordable path that exists (the history store too), then rewrites the list
    // and rebuilds the menu.
    void recordRecent(const std::vector<std::string>& paths);
    bool isRecordableRecent(const std::string& path) const;
    void clearRecent();
    void openRecentItem(const std::string& path);

    std::vector<std::string> pinned() const;
    bool isPinned(const std::string& path) const;
    void pinFolder(const std::string& path);
    void unpinFolder(const std::string& path);
    void pinCurrentFolder();
    void unpinCurrentFolder();
    void openPinnedItem(const std::string& path);
    std::string pinnedJSON() const;
    // Hands the pins to every visible review page; welcome pages are written anew.
    void refreshPinnedEverywhere();

private:
    void storePinned(const std::vector<std::string>& paths);

    HistoryStore& m_history;
    ReviewWindows& m_windows;
    Openers& m_openers;
    ui::Dialogs& m_dialogs;
    Hooks m_hooks;
};

}
