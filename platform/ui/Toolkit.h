#pragma once

#include "platform/ui/Application.h"
#include "platform/ui/Desktop.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Printing.h"
#include "platform/ui/StatusItem.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"

#include <memory>

namespace ikw::ui {

struct WebViewOptions {
    int width = 0;   // a size request for views not in a window (0: none)
    int height = 0;
    // Register the "inkwarden" script-message channel (review windows); panels go without.
    bool scriptMessages = true;
    // Local pages may read any local file and fetch from any origin. Only views that show nothing
    // but our own pages (review windows) have it; every other view keeps WebKit's default.
    bool fileAccessFromFileUrls = false;
};

// Makes the platform's windows and views and hands out its desktop services. Main thread only.
class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Review windows share one context (it carries their schemes); panels take a fresh one.
    virtual std::shared_ptr<WebContext> makeWebContext() = 0;
    virtual std::shared_ptr<WebView> makeWebView(const std::shared_ptr<WebContext>& context, const WebViewOptions& options) = 0;
    virtual std::shared_ptr<Window> makeWindow(const WindowOptions& options) = 0;

    // Pages and widgets follow a dark look (prefers-color-scheme: dark) or a light one.
    virtual void setPrefersDark(bool dark) = 0;
    // The icon of every window of the application, from an image file; false when the file does
    // not load as an image (the icon then stays as it was).
    virtual bool setDefaultIcon(const std::string& imagePath) = 0;
    // The desktop's alert sound (an answer to a command with nothing to do).
    virtual void beep() = 0;

    // A page editor, shown once laid over a tab (Window::setTabOverlay).
    virtual std::shared_ptr<PageEditor> makePageEditor(const EditorChrome& chrome) = 0;
    // Whether the font family is installed (a substitute does not count).
    virtual bool hasFontFamily(const std::string& family) = 0;

    virtual Dialogs& dialogs() = 0;
    virtual Clipboard& clipboard() = 0;
    virtual Workspace& workspace() = 0;
    virtual KeepAwake& keepAwake() = 0;
    virtual Printing& printing() = 0;
    virtual StatusBar& statusBar() = 0;
};

}
