#include "finder/FinderIntake.h"

#include "finder-extension/HandoffUrl.h"
#include "platform/ui/fake/FakeToolkit.h"

#include <gtest/gtest.h>

namespace ikw::finder {
namespace {

using Calls = std::vector<std::string>;

std::string joined(const std::vector<std::string>& paths)
{
    std::string text;
    for (const auto& path : paths)
        text += (text.empty() ? "" : ",") + path;
    return text;
}

class FinderIntakeTest : public ::testing::Test {
protected:
    std::shared_ptr<FinderIntake> makeIntake(bool withShare = true)
    {
        FinderHooks hooks {
            .noteDidOpen = [this] { calls.push_back("didOpen"); },
            .runEngine = [this](const std::vector<std::string>& paths) { calls.push_back("runEngine " + joined(paths)); },
            .activate = [this] { calls.push_back("activate"); },
        };
        if (withShare)
            hooks.finderShare = [this](const std::string& path) { calls.push_back("share " + path); };
        return std::make_shared<FinderIntake>(dialogs, std::move(hooks));
    }
    std::vector<std::string> alertMessages() const
    {
        std::vector<std::string> messages;
        for (const auto& alert : dialogs.alerts)
            messages.push_back(alert.request.message);
        return messages;
    }

    ui::fake::FakeDialogs dialogs;
    Calls calls;
    std::shared_ptr<FinderIntake> intake = makeIntake();
};

TEST_F(FinderIntakeTest, ATruncatedSelectionIsExplainedBeforeItOpens)
{
    dialogs.alertAnswers.push_back({ .button = -1 }); // dismissed all the same
    intake->handleFinderExtensionURL("qeliz://finder?action=open&count=250&path=%2Fa.pdf&path=%2Fb");
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    const auto& alert = dialogs.alerts[0].request;
    EXPECT_EQ(alert.message, "Opened the first 2 of 250 items");
    EXPECT_EQ(alert.informativeText,
        "That selection is larger than one Files request can carry. Open the rest in a second pass, or open the folder itself.");
    EXPECT_EQ(alert.buttons, std::vector<std::string> { "OK" });
    EXPECT_EQ(alert.style, ui::AlertContent::Style::Informational);
    EXPECT_EQ(calls, (Calls { "didOpen", "runEngine /a.pdf,/b", "activate" }));
}

TEST_F(FinderIntakeTest, ACountTheRequestCarriesOpensWithoutAWord)
{
    for (const char* count : { "2", "1", "-3", "five", "" }) {
        calls.clear();
        intake->handleFinderExtensionURL(std::string("qeliz://finder?count=") + count + "&path=%2Fa&path=%2Fb");
        EXPECT_EQ(calls, (Calls { "didOpen", "runEngine /a,/b", "activate" })) << count;
    }
    EXPECT_TRUE(dialogs.alerts.empty());
}

TEST_F(FinderIntakeTest, UnusableRequestsAreDroppedQuietly)
{
    for (const char* url : { "qeliz://finder?action=share", "qeliz://finder?action=share&count=4&path=", "qeliz://finder?action=open&path=docs%2Fa.pdf",
             "qeliz://reader?path=%2Fa.pdf", "file:///tmp/x.pdf" })
        intake->handleFinderExtensionURL(url);
    EXPECT_TRUE(dialogs.alerts.empty());
    EXPECT_TRUE(calls.empty());
}

TEST_F(FinderIntakeTest, AShareAsksOnceAndHandsOnlyTheFirstPath)
{
    const auto url = finderext::handoffUrl("share", { "/Docs/Q3 Board & Notes.pdf", "/b.pdf", "/c.pdf" });
    intake->handleFinderExtensionURL(*url); // the first button: "Share"
    EXPECT_EQ(alertMessages(), Calls { "Share \u201cQ3 Board & Notes.pdf\u201d online?" });
    EXPECT_EQ(dialogs.alerts[0].request.buttons, (std::vector<std::string> { "Share", "Cancel" }));
    EXPECT_EQ(calls, Calls { "share /Docs/Q3 Board & Notes.pdf" });

    calls.clear();
    dialogs.alertAnswers.push_back({ .button = 1 });
    intake->handleFinderExtensionURL(*url);
    dialogs.alertAnswers.push_back({ .button = -1 });
    intake->handleFinderExtensionURL(*url);
    EXPECT_EQ(dialogs.alerts.size(), 3u);
    EXPECT_TRUE(calls.empty()) << "cancelled or dismissed shares go nowhere";
}

TEST_F(FinderIntakeTest, ATruncatedShareExplainsThenAsks)
{
    intake->handleFinderExtensionURL("qeliz://finder?action=share&count=3&path=%2Fr.pdf");
    EXPECT_EQ(alertMessages(), (Calls { "Opened the first 1 of 3 items", "Share \u201cr.pdf\u201d online?" }));
    EXPECT_EQ(calls, Calls { "share /r.pdf" });
}

TEST_F(FinderIntakeTest, AConfirmedShareWithoutOnlineSharesIsDropped)
{
    intake = makeIntake(false);
    intake->handleFinderExtensionURL("qeliz://finder?action=share&path=%2Fr.pdf");
    EXPECT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_TRUE(calls.empty());
}

TEST_F(FinderIntakeTest, TheOpenActionOpensLocalFilesOnly)
{
    intake->openInQEL({ "file:///Docs/My%20Notes.txt", "https://example.com/a.pdf", "sftp://host/b.pdf", "file://elsewhere/c.pdf",
        "file://localhost/d.pdf", "relative.pdf", "file:///e%00.pdf" });
    EXPECT_EQ(calls, (Calls { "didOpen", "runEngine /Docs/My Notes.txt,/d.pdf", "activate" }));

    calls.clear();
    intake->openInQEL({ "https://example.com/a.pdf" });
    intake->openInQEL({});
    EXPECT_TRUE(calls.empty());
}

TEST_F(FinderIntakeTest, TheShareActionAsksAboutTheFirstPdf)
{
    intake->shareInkwarden({ "file:///Docs/Folder", "https://example.com/x.pdf", "file:///Docs/One.PDF", "file:///Docs/two.pdf" });
    EXPECT_EQ(alertMessages(), Calls { "Share \u201cOne.PDF\u201d online?" });
    EXPECT_EQ(calls, Calls { "share /Docs/One.PDF" });

    calls.clear();
    intake->shareInkwarden({ "file:///Docs/Folder", "file:///Docs/notes.txt" });
    EXPECT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_TRUE(calls.empty());
}

TEST_F(FinderIntakeTest, AnAnswerAfterTheIntakeIsGoneDoesNothing)
{
    // An alert that stays open while the application tears down.
    struct HeldDialogs final : ui::Dialogs {
        ui::AlertHandle alert(ui::Window*, const ui::AlertContent&, std::function<void(ui::AlertAnswer)> completion) override
        {
            held = std::move(completion);
            return {};
        }
        void openPanel(ui::Window*, const ui::FilePanelOptions&, std::function<void(std::optional<std::vector<std::string>>)>) override { }
        void savePanel(ui::Window*, const ui::FilePanelOptions&, std::function<void(std::optional<std::string>)>) override { }
        std::function<void(ui::AlertAnswer)> held;
    } held;
    auto shortLived = std::make_shared<FinderIntake>(held, FinderHooks { .finderShare = [this](const std::string& path) { calls.push_back(path); } });
    shortLived->handleFinderExtensionURL("qeliz://finder?action=share&path=%2Fr.pdf");
    shortLived.reset();
    ASSERT_TRUE(held.held);
    held.held({});
    EXPECT_TRUE(calls.empty());
}

}
}
