#pragma once

#include "finder/IkwFinderRequest.h"
#include "platform/ui/Dialogs.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw::finder {

// What the intake needs of the application; an empty entry is skipped.
struct FinderHooks {
    std::function<void()> noteDidOpen {}; // sets the delegate's `didOpen`
    // Opens paths the way the application opens any documents, with no mode.
    std::function<void(const std::vector<std::string>& paths)> runEngine {};
    std::function<void()> activate {}; // brings the key window to the front
    // Opens the file and starts its online share. While it is empty a confirmed share is logged
    // and dropped.
    std::function<void(const std::string& path)> finderShare {};
};

// Everything that reaches the application from the file manager without the ordinary open path:
// the extension's hand-off URL and the two exported actions. Main thread only.
class FinderIntake : public std::enable_shared_from_this<FinderIntake> {
public:
    FinderIntake(ui::Dialogs& dialogs, FinderHooks hooks) : m_dialogs(dialogs), m_hooks(std::move(hooks)) {}
    FinderIntake(const FinderIntake&) = delete;
    FinderIntake& operator=(const FinderIntake&) = delete;

    // A hand-off URL: opens its paths, or offers its first path for sharing. Anything that is
    // not a usable request is dropped without a word.
    void handleFinderExtensionURL(const std::string& url);

    // The exported actions, given URIs: non-file URIs are skipped.
    void openInQEL(const std::vector<std::string>& uris);
    // Offers the first PDF for sharing.
    void shareInkwarden(const std::vector<std::string>& uris);

private:
    void act(const IkwFinderRequest& request);
    void openPaths(const std::vector<std::string>& paths);
    // Any program can send the URL or call the action, so nothing goes online before the user
    // agreed to it.
    void confirmShare(const std::string& path);
    void share(const std::string& path);

    ui::Dialogs& m_dialogs;
    FinderHooks m_hooks;
};

// The local paths of `file:` URIs on this machine, in order; anything else is left out.
std::vector<std::string> localPathsOfFileUris(const std::vector<std::string>& uris);

}
