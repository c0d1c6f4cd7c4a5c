// The feedback form's logic: what Send is allowed to do and what it sends, the failure and
// thank-you states, the per-kind texts, the code pill and the accent's label colour.
#include "services/FeedbackForm.h"

#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"

#include <gtest/gtest.h>

namespace ikw::services {
namespace {

class FeedbackFormTest : public ::testing::Test {
protected:
    std::shared_ptr<FeedbackForm> makeForm(FeedbackIntent intent = FeedbackIntent::idea, std::optional<std::string> screenshot = std::nullopt,
        bool attach = true)
    {
        return FeedbackForm::create(FeedbackFormSetup {
            .intent = intent,
            .screenshot = std::move(screenshot),
            .contact = "me@example.test",
            .attachScreenshot = attach,
            .productName = "Inkwarden",
            .accentColor = std::nullopt,
            .exchanges = FeedbackExchanges {
                .uploadScreenshot = [this](Feedback::Screenshot shot, Feedback::Completion done) {
                    uploads.push_back(shot);
                    done(uploadAnswer);
                },
                .send = [this](Feedback::Report report, Feedback::Completion done) {
                    reports.push_back(report);
                    pendingSend = std::move(done);
                },
            },
        });
    }

    ManualMainQueue queue;
    std::optional<std::string> uploadAnswer = "https://feedback.example.test/s/1.jpg";
    std::vector<Feedback::Screenshot> uploads;
    std::vector<Feedback::Report> reports;
    Feedback::Completion pendingSend;
};

TEST_F(FeedbackFormTest, SendNeedsAMessageBeyondWhiteSpace)
{
    struct Case {
        std::string message;
        bool enabled;
        bool placeholder;
    };
    const Case cases[] = { { "", false, true }, { " \n\t\n ", false, false }, { " x", true, false } };
    for (const auto& test : cases) {
        auto form = makeForm(FeedbackIntent::bug);
        form->setMessage(test.message);
        EXPECT_EQ(form->sendEnabled(), test.enabled) << test.message;
        EXPECT_EQ(form->hintShown(), !test.enabled);
        EXPECT_EQ(form->placeholderShown(), test.placeholder);
        EXPECT_EQ(form->hint(), "Add a line about what went wrong, then Send.");
        form->submit();
        EXPECT_EQ(reports.size(), test.enabled ? 1u : 0u);
        reports.clear();
    }
}

TEST_F(FeedbackFormTest, TheReportIsFixedAtThePressAndTrimmed)
{
    auto form = makeForm(FeedbackIntent::idea, "jpeg bytes");
    form->setMessage("  \n Dark mode for the editor, please \n ");
    form->setContact("  abc ");
    form->submit();
    EXPECT_TRUE(form->state().sending);
    EXPECT_FALSE(form->hintShown());
    form->setIntent(FeedbackIntent::praise); // while sending
    form->setMessage("changed");

    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].bytes, "jpeg bytes");
    EXPECT_EQ(uploads[0].contentType, "image/jpeg");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].intent, FeedbackIntent::idea);
    EXPECT_EQ(reports[0].message, "Dark mode for the editor, please");
    EXPECT_EQ(reports[0].contact, "abc");
    EXPECT_EQ(reports[0].screenshotURL, "https://feedback.example.test/s/1.jpg");

    pendingSend("AB12");
    EXPECT_FALSE(form->state().sending);
    EXPECT_EQ(form->state().code, "AB12");
}

TEST_F(FeedbackFormTest, AScreenshotIsUploadedOnlyWhenAttachedAndAFailedUploadStillSends)
{
    auto detached = makeForm(FeedbackIntent::bug, "jpeg", false);
    detached->setMessage("x");
    detached->submit();
    EXPECT_TRUE(uploads.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].screenshotURL, "");

    uploadAnswer.reset();
    auto attached = makeForm(FeedbackIntent::bug, "jpeg", true);
    attached->setMessage("x");
    attached->submit();
    EXPECT_EQ(uploads.size(), 1u);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].screenshotURL, "");
}

TEST_F(FeedbackFormTest, AFailureKeepsEveryInputAndAnAnswerAfterCloseTouchesNothing)
{
    auto form = makeForm(FeedbackIntent::bug, "jpeg", false);
    form->setMessage("It crashed");
    form->setContact("x@y.z");
    form->submit();
    pendingSend(std::nullopt);
    EXPECT_FALSE(form->state().sending);
    EXPECT_EQ(form->state().errorText, "Couldn't send. Check your connection and try again.");
    EXPECT_EQ(form->state().message, "It crashed");
    EXPECT_EQ(form->state().contact, "x@y.z");
    EXPECT_EQ(form->state().intent, FeedbackIntent::bug);
    EXPECT_EQ(form->state().screenshot, "jpeg");
    EXPECT_FALSE(form->state().attachScreenshot);
    EXPECT_TRUE(form->sendEnabled());

    form->submit();
    EXPECT_EQ(form->state().errorText, std::nullopt) << "a new press clears the banner";
    const auto inFlight = std::move(pendingSend);
    form.reset(); // the window closed
    inFlight("LATE"); // completes without a form
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(FeedbackFormTest, TheTextsFollowTheKind)
{
    struct Case {
        FeedbackIntent intent;
        std::string contact;
        std::string next;
    };
    const std::string ideaKept = "We read every idea. Hang onto the code above; it's your reference.";
    const std::string bugKept = "We read every report. Hang onto the code above; it's your reference.";
    const std::string praise = "It goes straight to the people who build Inkwarden.";
    const Case cases[] = {
        { FeedbackIntent::idea, "", ideaKept },
        { FeedbackIntent::idea, "   ", ideaKept },
        { FeedbackIntent::idea, " a@b.c ", "We read every idea. If we build it, $10 or more in Norvale Cash lands at a@b.c." },
        { FeedbackIntent::bug, "", bugKept },
        { FeedbackIntent::bug, "  \n", bugKept },
        { FeedbackIntent::bug, " a@b.c ", "We read every report. If this bug is confirmed, $10 or more in Norvale Cash lands at a@b.c." },
        { FeedbackIntent::praise, "", praise },
        { FeedbackIntent::praise, " a@b.c ", praise },
    };
    for (const auto& test : cases) {
        auto form = makeForm(test.intent);
        form->setContact(test.contact);
        EXPECT_EQ(form->whatHappensNext(), test.next) << test.contact;
        EXPECT_EQ(form->rewardShown(), test.intent != FeedbackIntent::praise);
    }
    auto form = makeForm(FeedbackIntent::praise);
    EXPECT_EQ(form->emailPlaceholder(), "Email (optional, if you'd like a reply)");
    EXPECT_EQ(form->hint(), "Add a line, then Send.");
    EXPECT_EQ(form->thankYouLine(), "Your feedback is in.");
    form->setIntent(FeedbackIntent::idea);
    EXPECT_EQ(form->emailPlaceholder(), "Email (for a reply, and your reward)");
    EXPECT_EQ(form->hint(), "Add a line about your idea, then Send.");
    EXPECT_EQ(form->editorPlaceholder(), "What would make this better for you?");
    EXPECT_EQ(form->title(), "Make Inkwarden better");
}

TEST_F(FeedbackFormTest, TheCodePillCopiesAndShowsTheCheckMarkForItsFirstPress)
{
    auto form = makeForm();
    form->setMessage("x");
    form->submit();
    pendingSend("AB12");
    ui::fake::FakeClipboard clipboard;
    clipboard.setFiles({ "/tmp/a.pdf" });
    form->copyCode(clipboard);
    EXPECT_EQ(clipboard.contents, "AB12");
    EXPECT_TRUE(form->state().copiedCode);
    queue.advance(1.0);
    form->copyCode(clipboard);
    queue.advance(0.79);
    EXPECT_TRUE(form->state().copiedCode);
    queue.advance(0.02); // 1.81 s after the first press
    EXPECT_FALSE(form->state().copiedCode);
    queue.advance(1.0); // the second press's timer turns it off again, harmlessly
    EXPECT_FALSE(form->state().copiedCode);
    EXPECT_EQ(clipboard.contents, "AB12");
}

TEST(FeedbackAccentLabel, ALightAccentGetsNearBlackADarkOneWhite)
{
    struct Case {
        SrgbColor accent;
        double red;
    };
    const Case cases[] = { { { 1, 1, 0, 1 }, 0.1 }, { { 0.1, 0.2, 0.5, 1 }, 1 }, { Feedback::kDefaultAccentColor, 0.1 } };
    for (const auto& test : cases)
        EXPECT_DOUBLE_EQ(accentLabel(test.accent).red, test.red);
}

}
}
