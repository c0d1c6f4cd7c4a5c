#pragma once

#include "platform/core/GObjectRef.h"
#include "services/FeedbackForm.h"

#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <memory>

namespace ikw::ui {
class Clipboard;
class Workspace;
}

namespace ikw::services::gtk {

// What the view reaches outside itself.
struct FeedbackViewHost {
    ui::Clipboard* clipboard = nullptr; // the code pill copies here
    ui::Workspace* workspace = nullptr; // "How it works" opens here
    std::function<void()> close;        // the close button and Done
};

// The widgets of one feedback form: the form screen and, once a code came back, the thank-you
// screen. It draws the form's state after every change and hands every input to the form. Parts
// that tests look up carry widget names ("card-bug", "message", "send", "code-pill", ...).
class FeedbackView {
public:
    FeedbackView(std::shared_ptr<FeedbackForm> form, FeedbackViewHost host);
    ~FeedbackView();
    FeedbackView(const FeedbackView&) = delete;
    FeedbackView& operator=(const FeedbackView&) = delete;

    // The root widget, to be put into a window (which then owns it).
    GtkWidget* widget() const { return m_root.get(); }
    const std::shared_ptr<FeedbackForm>& form() const { return m_form; }
    // The form's accent, or the desktop theme's when the form has none.
    const SrgbColor& accent() const { return m_accent; }

private:
    GtkWidget* buildForm();
    GtkWidget* buildHeader();
    GtkWidget* buildCards();
    GtkWidget* buildEditor();
    GtkWidget* buildScreenshotRow();
    GtkWidget* buildContactField();
    GtkWidget* buildReward();
    GtkWidget* buildBanner();
    GtkWidget* buildFooter();
    GtkWidget* buildThanks();
    GtkWidget* closeButton();
    void refresh();
    void refreshThanks();

    std::shared_ptr<FeedbackForm> m_form;
    FeedbackViewHost m_host;
    SrgbColor m_accent;

    GObjectRef<GtkWidget> m_root;
    std::array<GtkWidget*, 3> m_cards {};
    std::array<GtkWidget*, 3> m_badges {};
    GtkWidget* m_placeholder = nullptr;
    GtkWidget* m_contact = nullptr;
    GtkWidget* m_reward = nullptr;
    GtkWidget* m_banner = nullptr;
    GtkWidget* m_bannerText = nullptr;
    GtkWidget* m_send = nullptr;
    GtkWidget* m_spinner = nullptr;
    GtkWidget* m_sendLabel = nullptr;
    GtkWidget* m_hint = nullptr;
    GtkWidget* m_seal = nullptr;
    GtkWidget* m_thanksLine = nullptr;
    GtkWidget* m_code = nullptr;
    GtkWidget* m_copyMark = nullptr;
    GtkWidget* m_next = nullptr;
};

}
