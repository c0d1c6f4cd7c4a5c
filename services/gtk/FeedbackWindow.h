#pragma once

#include "platform/core/GObjectRef.h"
#include "services/FeedbackForm.h"

#include <gtk/gtk.h>

#include <functional>
#include <memory>

namespace ikw {
class MenuCommands;
}

namespace ikw::ui {
class Clipboard;
class Workspace;
}

namespace ikw::services::gtk {

class FeedbackView;

// What the feedback window borrows from the program; both outlive it.
struct FeedbackWindowHost {
    ui::Clipboard* clipboard = nullptr;
    ui::Workspace* workspace = nullptr;
    // A fresh form's starting values (the feedback client's configuration now).
    std::function<FeedbackFormSetup()> setup = [] { return feedbackFormSetup(); };
};

// One "Send Feedback" window and the form it shows. Closing it in any way destroys the window;
// `closed` then runs (later, from the main queue).
class FeedbackWindow {
public:
    FeedbackWindow(const FeedbackWindowHost& host, std::function<void()> closed);
    ~FeedbackWindow();
    FeedbackWindow(const FeedbackWindow&) = delete;
    FeedbackWindow& operator=(const FeedbackWindow&) = delete;

    // None once the window is destroyed.
    GtkWindow* window() const { return m_window; }
    bool isVisible() const { return m_window && gtk_widget_get_visible(GTK_WIDGET(m_window)); }
    const std::shared_ptr<FeedbackForm>& form() const;
    void close();

private:
    void destroyed();

    std::unique_ptr<FeedbackView> m_view;
    GtkWindow* m_window = nullptr;
    gulong m_destroyHandler = 0;
    GObjectRef<GtkCssProvider> m_css;
    std::function<void()> m_closed;
};

// The one feedback window of the program: `present` brings an open one forward, or opens a fresh
// form for the kind idea in a new window. Main thread.
class FeedbackWindows : public std::enable_shared_from_this<FeedbackWindows> {
    // Made shared: the windows' close callbacks hold it weakly.
public:
    explicit FeedbackWindows(FeedbackWindowHost host) : m_host(std::move(host)) {}

    void present();
    // The open window, if any.
    FeedbackWindow* current() const { return m_current.get(); }

private:
    FeedbackWindowHost m_host;
    std::unique_ptr<FeedbackWindow> m_current;
    unsigned m_serial = 0;
};

// The Help menu's "Send Feedback…": "sendFeedbackMI:" presents the feedback window.
void registerFeedbackMenuCommand(MenuCommands& commands, std::shared_ptr<FeedbackWindows> windows);

}
