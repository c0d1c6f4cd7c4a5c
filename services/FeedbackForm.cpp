#include "services/FeedbackForm.h"

#include "platform/core/TaskQueue.h"
#include "platform/core/Text.h"
#include "platform/ui/Desktop.h"

namespace ikw::services {

namespace {

constexpr SrgbColor kNearBlack { 0.1, 0.1, 0.12, 1 };
constexpr SrgbColor kWhite { 1, 1, 1, 1 };

std::string trimmed(const std::string& text)
{
    return std::string(trim(text));
}

}

FeedbackFormSetup feedbackFormSetup(FeedbackIntent intent, std::optional<std::string> screenshot)
{
    return FeedbackFormSetup {
        .intent = intent,
        .screenshot = std::move(screenshot),
        .contact = Feedback::contactEmail(),
        .attachScreenshot = Feedback::snapshotAttachedByDefault(),
        .productName = Feedback::productName(),
        .accentColor = Feedback::accentColor(),
        .exchanges = {},
    };
}

std::shared_ptr<FeedbackForm> FeedbackForm::create(FeedbackFormSetup setup)
{
    return std::make_shared<FeedbackForm>(std::move(setup));
}

FeedbackForm::FeedbackForm(FeedbackFormSetup setup)
    : m_productName(std::move(setup.productName))
    , m_accentColor(setup.accentColor)
    , m_exchanges(std::move(setup.exchanges))
{
    m_state.intent = setup.intent;
    m_state.contact = std::move(setup.contact);
    m_state.screenshot = std::move(setup.screenshot);
    m_state.attachScreenshot = setup.attachScreenshot;
}

void FeedbackForm::changed()
{
    if (m_changed)
        m_changed();
}

void FeedbackForm::setIntent(FeedbackIntent intent)
{
    m_state.intent = intent;
    changed();
}

void FeedbackForm::setMessage(std::string message)
{
    m_state.message = std::move(message);
    changed();
}

void FeedbackForm::setContact(std::string contact)
{
    m_state.contact = std::move(contact);
    changed();
}

void FeedbackForm::setAttachScreenshot(bool attach)
{
    m_state.attachScreenshot = attach;
    changed();
}

void FeedbackForm::showSeal()
{
    if (m_state.sealShown)
        return;
    m_state.sealShown = true;
    changed();
}

void FeedbackForm::submit()
{
    if (!sendEnabled())
        return;
    m_state.sending = true;
    m_state.errorText.reset();
    // The report is fixed at the press: later edits do not change it.
    Feedback::Report report { .intent = m_state.intent, .message = trimmed(m_state.message), .contact = trimmed(m_state.contact), .screenshotURL = {} };
    const auto upload = m_state.attachScreenshot ? m_state.screenshot : std::nullopt;
    changed();

    const std::weak_ptr<FeedbackForm> form = weak_from_this();
    auto send = [form, exchanges = m_exchanges](Feedback::Report ready) {
        exchanges.send(std::move(ready), [form](std::optional<std::string> code) {
            if (const auto self = form.lock())
                self->answered(std::move(code));
        });
    };
    if (!upload) {
        send(std::move(report));
        return;
    }
    m_exchanges.uploadScreenshot(Feedback::Screenshot { .bytes = *upload, .contentType = "image/jpeg" },
        [report = std::move(report), send = std::move(send)](std::optional<std::string> url) mutable {
            report.screenshotURL = url.value_or("");
            send(std::move(report));
        });
}

void FeedbackForm::answered(std::optional<std::string> code)
{
    m_state.sending = false;
    if (code)
        m_state.code = std::move(code);
    else
        m_state.errorText = std::string(kFeedbackSendFailed);
    changed();
}

void FeedbackForm::copyCode(ui::Clipboard& clipboard)
{
    if (!m_state.code)
        return;
    clipboard.setText(*m_state.code);
    m_state.copiedCode = true;
    changed();
    mainQueue().postAfter(kCopiedCodeSeconds, [form = weak_from_this()] {
        if (const auto self = form.lock()) {
            self->m_state.copiedCode = false;
            self->changed();
        }
    });
}

bool FeedbackForm::hasMessage() const
{
    return !trim(m_state.message).empty();
}

std::string_view FeedbackForm::emailPlaceholder() const
{
    return m_state.intent == FeedbackIntent::praise ? "Email (optional, if you'd like a reply)" : "Email (for a reply, and your reward)";
}

std::string_view FeedbackForm::hint() const
{
    switch (m_state.intent) {
    case FeedbackIntent::idea:
        return "Add a line about your idea, then Send.";
    case FeedbackIntent::bug:
        return "Add a line about what went wrong, then Send.";
    case FeedbackIntent::praise:
        break;
    }
    return "Add a line, then Send.";
}

std::string FeedbackForm::thankYouLine() const
{
    return "Your " + std::string(texts(m_state.intent).noun) + " is in.";
}

std::string FeedbackForm::whatHappensNext() const
{
    const std::string contact = trimmed(m_state.contact);
    switch (m_state.intent) {
    case FeedbackIntent::idea:
        return contact.empty() ? "We read every idea. Hang onto the code above; it's your reference."
                               : "We read every idea. If we build it, $10 or more in Norvale Cash lands at " + contact + ".";
    case FeedbackIntent::bug:
        return contact.empty() ? "We read every report. Hang onto the code above; it's your reference."
                               : "We read every report. If this bug is confirmed, $10 or more in Norvale Cash lands at " + contact + ".";
    case FeedbackIntent::praise:
        break;
    }
    return "It goes straight to the people who build " + m_productName + ".";
}

SrgbColor accentLabel(const SrgbColor& accent)
{
    return 0.2126 * accent.red + 0.7152 * accent.green + 0.0722 * accent.blue > 0.55 ? kNearBlack : kWhite;
}

}
