#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ikw::library {

// How a reader opens its document.
struct ReaderOpening {
    std::optional<int> page {};             // 1-based; nothing or less than 1: the page's own choice
    std::optional<std::string> restoreView {}; // a saved view the reader page restores
    std::vector<std::string> setPaths {};   // the document set it belongs to (kept from two paths on)
};

// Where the open router sends what it routed. WindowOpeners is the application's; tests record.
class Openers {
public:
    virtual ~Openers() = default;

    virtual void openReader(const std::string& path, const ReaderOpening& opening) = 0;
    virtual void openGrid(const std::string& path) = 0;
    virtual void openInDefaultApp(const std::string& path) = 0;
    virtual void openReviewDirect(const std::vector<std::string>& paths, const std::optional<std::string>& mode) = 0;
    // A web page from outside: the browser shows it, never a window with the native bridge.
    virtual void openInBrowser(const std::string& path) = 0;
    virtual void recordRecent(const std::vector<std::string>& paths) = 0;
    // The file manager extension's hand-off ("qeliz://finder?...").
    virtual void handleFinderExtensionURL(const std::string& url) = 0;
    // The system asked to open at least one file.
    virtual void noteDidOpen() = 0;
    virtual void activate() = 0;
};

}
