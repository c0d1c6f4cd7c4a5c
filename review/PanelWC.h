#pragma once

#include "platform/ui/Toolkit.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// A panel's content size in points and its window title, by kind.
struct PanelLayout {
    int width = 680;
    int height = 560;
    std::string title;
};
PanelLayout panelLayout(std::string_view kind, std::string_view brandName);

// A small fixed-size window showing one generated page (settings, help, about, ...). Its web view
// has the default configuration: a context of its own, no script messages, no schemes, no boot
// script, no reading across local files; the page reaches native code only through action links
// that the router handles, and only while it is a page under the trusted roots. Like a review
// window, no frame of it shows a local file from outside the roots (see TrustedRoots). Ctrl+W
// closes it and Ctrl+Q quits. Closing the window only hides it; the list of panels drops it
// later. Main thread only.
class PanelWC : public std::enable_shared_from_this<PanelWC> {
public:
    using Router = std::function<ui::NavigationPolicy(PanelWC&, const ui::NavigationAction&)>;

    // Builds the panel, loads `htmlPath` and shows it at once.
    static std::shared_ptr<PanelWC> create(ui::Toolkit& toolkit, std::string kind, const std::string& htmlPath,
        std::string_view brandName, Router router, std::vector<std::string> trustedRoots);
    PanelWC(const PanelWC&) = delete;
    PanelWC& operator=(const PanelWC&) = delete;

    ui::WebView& web() const { return *m_web; }
    const std::string& kind() const { return m_kind; }
    ui::Window& window() const { return *m_window; }
    bool isVisible() const { return m_window->isVisible(); }
    // The colour behind the window and its page.
    void setBackground(const ui::Color& color)
    {
        m_window->setBackgroundColor(color);
        m_web->setBackgroundColor(color);
    }

private:
    PanelWC(std::string kind, std::shared_ptr<ui::WebView> web, std::shared_ptr<ui::Window> window)
        : m_kind(std::move(kind)), m_web(std::move(web)), m_window(std::move(window)) {}

    const std::string m_kind;
    const std::shared_ptr<ui::WebView> m_web;
    const std::shared_ptr<ui::Window> m_window;
};

}
