#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ikw::ui {

// What the single running instance is asked to do: it is handed the command lines of later starts
// as activations (no files) or opens (files).
struct ApplicationEvents {
    // Once, before the first activation or open.
    std::function<void()> startup;
    // A start without files; `hasVisibleWindows` tells whether a window is on screen.
    std::function<void(bool hasVisibleWindows)> activate;
    // A start with files: local paths, or URIs for what has no local path.
    std::function<void(const std::vector<std::string>& paths)> open;
    // A window closed and none of the application's windows is on screen any more (it stays alive
    // until told to quit).
    std::function<void()> lastWindowClosed;
    // One of the application's windows took the focus while none of them had it (the user came
    // back from another program). Focus moving between the application's own windows is no
    // activation.
    std::function<void()> becameActive;
    // The loop is about to end.
    std::function<void()> shutdown;
};

// The single-instance application that owns the main loop.
class Application {
public:
    virtual ~Application() = default;
    // Runs the main loop (the main queue's tasks run inside it) until quit(); the exit status.
    virtual int run(int argc, char** argv) = 0;
    virtual void quit() = 0;
    // Whether any window of the application is on screen.
    virtual bool hasVisibleWindows() const = 0;
    // Whether the session bus started the program for a request (a launcher's action, an open or
    // an activation), which then decides what the program shows.
    virtual bool startedByBus() const { return false; }
    // Keeps the application alive with no window open (until release()).
    virtual void hold() = 0;
    virtual void release() = 0;

    // Offers an action to other programs on the session bus, called with a list of URIs
    // (`gapplication action <id> <name> "['file:///…']"`). The handler runs on the main thread.
    using UriListHandler = std::function<void(const std::vector<std::string>& uris)>;
    virtual void exportAction(const std::string& name, UriListHandler handler) = 0;
    // The same for an action that takes no parameter (the desktop entry's actions, which
    // launchers activate on the running instance or start it for).
    virtual void exportPlainAction(const std::string& name, std::function<void()> handler) = 0;
};

}
