#pragma once

#include "library/OpenSurface.h"

#include <functional>
#include <string>

namespace ikw {
class ReviewWC;
class ReviewWindows;
namespace ui {
class Dialogs;
}
}

namespace ikw::library {

class HistoryStore;
class WindowOpeners;

// The File History page: the engine's history template filled with the history rows and the
// surface settings, written as a hidden page and shown in a review window marked as the open
// surface. Main thread only.
class HistoryPage {
public:
    struct Hooks {
        std::function<void(const std::string& feature)> recordUsage;
        std::function<bool()> isDark;
        // Colours the window behind the page.
        std::function<void(ReviewWC& window, const OpenSurface::Sheet& sheet)> setBackground;
    };

    HistoryPage(WindowOpeners& openers, HistoryStore& store, ui::Dialogs& dialogs, Hooks hooks)
        : m_openers(openers), m_store(store), m_dialogs(dialogs), m_hooks(std::move(hooks))
    {
    }

    // `mode` is "recents" (File History) or "open" (the Open surface); it reaches the page as given.
    void openHistory(const std::string& mode);

private:
    WindowOpeners& m_openers;
    HistoryStore& m_store;
    ui::Dialogs& m_dialogs;
    Hooks m_hooks;
};

}
