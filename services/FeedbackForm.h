#pragma once

#include "services/Feedback.h"
#include "services/FeedbackIntent.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw::ui {
class Clipboard;
}

// The feedback form without its widgets: what the user typed and chose, the report in flight, the
// reference code once the service accepted it, and every text and switch the window draws from
// them. Main thread.
namespace ikw::services {

inline constexpr std::string_view kFeedbackSendFailed = "Couldn't send. Check your connection and try again.";
inline constexpr std::string_view kRewardLine = "Share an idea we build, or catch a bug we confirm, and **$10 in Norvale Cash** lands "
                                                "in your account. A fully specced idea or a detailed walkthrough earns **up to $50**.";
inline constexpr std::string_view kRewardCreditLine = "It is store credit, good toward anything Norvale sells. ";
inline constexpr std::string_view kRewardLinkText = "How it works";
inline constexpr std::string_view kStoreCreditPage = "https://norvale.com/cash";
// How long the code pill shows its check mark after a copy.
inline constexpr double kCopiedCodeSeconds = 1.8;

// The two exchanges of the feedback client; tests put stand-ins here.
struct FeedbackExchanges {
    std::function<void(Feedback::Screenshot, Feedback::Completion)> uploadScreenshot = Feedback::uploadScreenshot;
    std::function<void(Feedback::Report, Feedback::Completion)> send = Feedback::send;
};

struct FeedbackFormSetup {
    FeedbackIntent intent = FeedbackIntent::idea;
    std::optional<std::string> screenshot {}; // JPEG bytes handed in by whoever opens the form
    std::string contact {};
    bool attachScreenshot = true;
    std::string productName {};
    std::optional<SrgbColor> accentColor {}; // none: the desktop's accent
    FeedbackExchanges exchanges {};
};

// A fresh form as the feedback client's configuration says now.
FeedbackFormSetup feedbackFormSetup(FeedbackIntent intent = FeedbackIntent::idea, std::optional<std::string> screenshot = std::nullopt);

struct FeedbackFormState {
    FeedbackIntent intent = FeedbackIntent::idea;
    std::string message;
    std::string contact;
    bool sending = false;
    std::optional<std::string> code;
    std::optional<std::string> errorText;
    std::optional<std::string> screenshot;
    bool attachScreenshot = true;
    bool copiedCode = false;
    bool sealShown = false;
};

class FeedbackForm : public std::enable_shared_from_this<FeedbackForm> {
public:
    static std::shared_ptr<FeedbackForm> create(FeedbackFormSetup setup);
    explicit FeedbackForm(FeedbackFormSetup setup);

    const FeedbackFormState& state() const { return m_state; }
    const std::string& productName() const { return m_productName; }
    const std::optional<SrgbColor>& accentColor() const { return m_accentColor; }
    // Called after every change of the state, from the user or from an answer.
    void setChanged(std::function<void()> changed) { m_changed = std::move(changed); }

    void setIntent(FeedbackIntent intent);
    void setMessage(std::string message);
    void setContact(std::string contact);
    void setAttachScreenshot(bool attach);
    // The thank-you screen came on screen: its seal makes its entrance, once.
    void showSeal();

    // Sends the report (uploading an attached screenshot first). The answer reaches the form only
    // while it exists; a form closed meanwhile still lets the report complete.
    void submit();
    // Puts the code on the clipboard as plain text, and shows the check mark for 1.8 s after
    // this press (every press has its own timer).
    void copyCode(ui::Clipboard& clipboard);

    // Derived -----------------------------------------------------------------------------------
    bool hasMessage() const;
    bool sendEnabled() const { return hasMessage() && !m_state.sending; }
    bool hintShown() const { return !hasMessage() && !m_state.sending; }
    // The editor's placeholder shows only while the text is exactly empty.
    bool placeholderShown() const { return m_state.message.empty(); }
    bool rewardShown() const { return m_state.intent != FeedbackIntent::praise; }
    bool screenshotRowShown() const { return m_state.screenshot.has_value(); }
    std::string title() const { return "Make " + m_productName + " better"; }
    std::string_view editorPlaceholder() const { return texts(m_state.intent).prompt; }
    std::string_view emailPlaceholder() const;
    std::string_view hint() const;
    std::string thankYouLine() const;
    std::string whatHappensNext() const;

private:
    void changed();
    void answered(std::optional<std::string> code);

    FeedbackFormState m_state;
    std::string m_productName;
    std::optional<SrgbColor> m_accentColor;
    FeedbackExchanges m_exchanges;
    std::function<void()> m_changed;
};

// The colour of text and marks on an accent fill: near black on a light accent (luminance above
// 0.55), else white.
SrgbColor accentLabel(const SrgbColor& accent);

}
