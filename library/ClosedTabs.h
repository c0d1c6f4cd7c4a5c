#pragma once

#include "library/Openers.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
}

namespace ikw::library {

// A closed review tab, as much of it as brings it back.
struct ClosedTab {
    std::string kind;                // "reader", "grid" or "review"
    std::vector<std::string> paths;  // the sources that existed when it closed; never empty
    std::optional<std::string> view; // a reader's last view state, as its page reported it
    std::optional<std::string> mode; // a review's mode
    std::string title;

    // "kind", "paths" and "title", plus "view" and "mode" when present.
    Json asDict() const;
    // Nothing when `value` is not a valid entry; a "view" or "mode" that is no string is dropped.
    static std::optional<ClosedTab> init(const Json& value);

    bool operator==(const ClosedTab&) const = default;
};

// The list never holds more entries than this.
inline constexpr std::size_t kClosedTabDepth = 20;

// "remember_closed_tabs": on unless it is the JSON false.
bool rememberClosedTabs(const Json& settings);

// closed-tabs.json in the product's data folder.
std::string closedTabsPath();

// The tabs closed most recently, oldest first, and "Reopen Closed Tab". The list in memory works
// whatever the setting says; only its file (written after every change) depends on it. Main
// thread only.
class ClosedTabs {
public:
    struct Hooks {
        std::function<void(const std::string& feature)> recordUsage {};
        std::function<void()> beep {};
        // The settings; empty: the settings file.
        std::function<Json()> settings {};
    };

    ClosedTabs(Openers& openers, FileSystem& files, std::string path, Hooks hooks);

    // Remembers a closing tab (not the welcome page, not the tool windows, not one whose files
    // have all gone).
    void recordClosedTab(const ReviewWC& window);
    // Fills the list from the file, once at launch; the file is not rewritten here.
    void loadClosedTabs();
    // Writes the list, or deletes the file when the setting is off. Failures leave the list as it is.
    void saveClosedTabs();
    // Opens the newest entry whose files all exist, dropping the stale ones on the way; beeps when
    // none is left.
    void reopenClosedTab();
    bool rememberClosedTabs() const;

    const std::vector<ClosedTab>& closedTabs() const { return m_closedTabs; }
    const std::string& path() const { return m_path; }

private:
    void append(ClosedTab tab);
    void open(const ClosedTab& tab);

    Openers& m_openers;
    FileSystem& m_files;
    const std::string m_path;
    Hooks m_hooks;
    std::vector<ClosedTab> m_closedTabs;
};

}
