#pragma once

#include "library/Openers.h"
#include "review/ReviewWindows.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw::library {

// Steps of subsystems that join later; an empty entry is skipped.
struct OpenerHooks {
    std::function<void(const std::vector<std::string>& paths)> recordRecent {};
    std::function<void(const std::string& url)> handleFinderExtensionURL {};
    // The menu of applications that can open a file, at the pointer.
    std::function<void(const std::string& path)> openAppsMenu {};
    std::function<void()> noteDidOpen {};
    std::function<void()> activate {};
    // The PDF a reader of a PDF document is given (an annotated copy of it, say); the window
    // notes which version that is. Empty: the document itself.
    std::function<std::string(ReviewWC& window, const std::string& document)> readerPdf {};
};

// The application's openers: reader, grid and review windows on the review window list, and
// hand-offs to the desktop. Main thread only; the engine's answers come back on the main queue
// and find their window only while it is open.
class WindowOpeners final : public Openers {
public:
    WindowOpeners(ReviewServices& services, ReviewWindows& windows, OpenerHooks hooks = {});

    void openReader(const std::string& path, const ReaderOpening& opening) override;
    void openGrid(const std::string& path) override;
    void openInDefaultApp(const std::string& path) override;
    void openReviewDirect(const std::vector<std::string>& paths, const std::optional<std::string>& mode) override;
    void openInBrowser(const std::string& path) override;
    void recordRecent(const std::vector<std::string>& paths) override;
    void handleFinderExtensionURL(const std::string& url) override;
    void noteDidOpen() override;
    void activate() override;

    // After the application changed a reader's file: converts a non-PDF again, then reloads.
    void reloadReaderInPlace(ReviewWC& window);
    // A note for the user: a toast in the key review, else the welcome page with the note.
    void noteHandoff(const std::string& message);
    // The generated-page tab rule, which every opener of a document, generated page or tool
    // follows: the key review while it shows nothing yet, else a new window on a fresh loading
    // page, a tab of the key review's window unless "open_in" is "window".
    std::shared_ptr<ReviewWC> windowForDocument();
    // The tab stands for `path`: represented file, tab and window title; the window comes to the front.
    void showDocumentChrome(ReviewWC& window, const std::string& path);
    // Gives a window that has no loading page a fresh one (a window reused from the key review).
    void ensureLoadingPage(ReviewWC& window);

private:
    std::shared_ptr<ReviewWC> newWindow(const std::optional<std::string>& pagePath, const std::shared_ptr<ReviewWC>& host);
    void startEditProbe(const std::shared_ptr<ReviewWC>& window, const std::string& path);
    std::string readerPdf(ReviewWC& window, const std::string& document) const;
    void startConversion(const std::shared_ptr<ReviewWC>& window, const std::string& path, std::optional<int> page);

    ReviewServices& m_services;
    ReviewWindows& m_windows;
    OpenerHooks m_hooks;
};

}
