#include "docops/ConfirmationGate.h"

#include "app/Settings.h"
#include "docops/testing/PageOpHarness.h"

#include <gtest/gtest.h>

namespace ikw::docops {
namespace {

const FileOpQuestion kRotate { "rotate", "Rotate", "Rotate page 1 in \u201Ca.pdf\u201D?", "This changes the saved file." };

struct Outcome {
    int work = 0;
    int cancel = 0;
};

class ConfirmationGateTest : public ::testing::Test {
protected:
    Outcome ask(const FileOpQuestion& question = kRotate)
    {
        auto outcome = std::make_shared<Outcome>();
        confirmFileOp(h.host, question, [outcome] { ++outcome->work; }, [outcome] { ++outcome->cancel; });
        return *outcome;
    }

    testing::PageOpHarness h;
};

TEST_F(ConfirmationGateTest, AsksWithTheVerbFirstAndTheSuppressionBox)
{
    ask();
    ASSERT_EQ(h.host->fakeDialogs.alerts.size(), 1u);
    const auto& alert = h.host->fakeDialogs.alerts[0];
    EXPECT_EQ(alert.parent, h.host->window.get());
    EXPECT_EQ(alert.request.message, kRotate.title);
    EXPECT_EQ(alert.request.informativeText, kRotate.message);
    EXPECT_EQ(alert.request.buttons, (std::vector<std::string> { "Rotate", "Cancel" }));
    EXPECT_EQ(alert.request.style, ui::AlertContent::Style::Warning);
    EXPECT_TRUE(alert.request.showsSuppression);
    EXPECT_EQ(alert.request.suppressionText, "Don\u2019t ask me again for this action");
}

TEST_F(ConfirmationGateTest, SettingsDecideWhetherToAsk)
{
    struct Case {
        const char* name;
        Json settings;
        bool asks;
    };
    const Case cases[] = {
        { "nothing set", Json::object(), true },
        { "confirm off", { { "pageops_confirm", false } }, false },
        { "confirm as string true", { { "pageops_confirm", "true" } }, true },
        { "confirm as string 1", { { "pageops_confirm", "1" } }, true },
        { "confirm as other string", { { "pageops_confirm", "yes" } }, false },
        { "this action skipped", { { "pageops_skip_rotate", true } }, false },
        { "another action skipped", { { "pageops_skip_delete", true } }, true },
    };
    for (const auto& c : cases) {
        saveConfig(c.settings);
        h.host->fakeDialogs.alerts.clear();
        const Outcome outcome = ask();
        EXPECT_EQ(h.host->fakeDialogs.alerts.size(), c.asks ? 1u : 0u) << c.name;
        EXPECT_EQ(outcome.work, 1) << c.name; // the fake answers with the first button
        EXPECT_EQ(outcome.cancel, 0) << c.name;
    }
}

TEST_F(ConfirmationGateTest, AnswersRunOneClosureAndTheBoxStoresTheSkipKey)
{
    struct Case {
        const char* name;
        ui::AlertAnswer answer;
        bool sheet;
        int work, cancel;
        bool keyStored;
        int panelReloads;
    };
    const Case cases[] = {
        { "confirm", { 0, false }, true, 1, 0, false, 0 },
        { "cancel", { 1, false }, true, 0, 1, false, 0 },
        { "dismissed", { -1, false }, true, 0, 1, false, 0 },
        { "cancel with the box", { 1, true }, true, 0, 1, true, 1 },
        { "confirm with the box", { 0, true }, true, 1, 0, true, 1 },
        { "modal, confirm with the box", { 0, true }, false, 1, 0, true, 0 },
    };
    for (const auto& c : cases) {
        saveConfig(Json::object());
        h.host->settingsPanelReloads = 0;
        h.host->window = c.sheet ? std::make_shared<ui::fake::FakeWindow>(ui::WindowOptions {}) : nullptr;
        h.host->fakeDialogs.alertAnswers = { c.answer };
        const Outcome outcome = ask();
        EXPECT_EQ(outcome.work, c.work) << c.name;
        EXPECT_EQ(outcome.cancel, c.cancel) << c.name;
        EXPECT_EQ(loadConfig().value("pageops_skip_rotate", false), c.keyStored) << c.name;
        EXPECT_EQ(h.host->settingsPanelReloads, c.panelReloads) << c.name;
        if (c.keyStored) {
            h.host->fakeDialogs.alerts.clear();
            EXPECT_EQ(ask().work, 1) << c.name;
            EXPECT_TRUE(h.host->fakeDialogs.alerts.empty()) << c.name << ": asked again";
        }
    }
}

// A dialog backend that reports its answer twice.
class StutteringDialogs final : public ui::Dialogs {
public:
    ui::AlertHandle alert(ui::Window*, const ui::AlertContent&, std::function<void(ui::AlertAnswer)> completion) override
    {
        completion({ 0, false });
        completion({ 1, false });
        return {};
    }
    void openPanel(ui::Window*, const ui::FilePanelOptions&, std::function<void(std::optional<std::vector<std::string>>)>) override { }
    void savePanel(ui::Window*, const ui::FilePanelOptions&, std::function<void(std::optional<std::string>)>) override { }
};

class StutteringHost final : public FileOpHost {
public:
    bool isOpen() const override { return true; }
    std::vector<std::string> sourcePaths() const override { return {}; }
    bool isReader() const override { return false; }
    ui::Window* sheetParent() const override { return nullptr; }
    ui::Dialogs& dialogs() override { return m_dialogs; }
    ui::Workspace& workspace() override { return m_workspace; }
    void stampLoadedFile(const std::string&) override { }
    std::optional<FileStamp> loadedStamp() const override { return std::nullopt; }
    void reloadReader(const std::string&) override { }
    void reloadSettingsPanelIfOpen() override { }

private:
    StutteringDialogs m_dialogs;
    ui::fake::FakeWorkspace m_workspace;
};

TEST_F(ConfirmationGateTest, ASecondAnswerRunsNothing)
{
    int work = 0, cancel = 0;
    confirmFileOp(std::make_shared<StutteringHost>(), kRotate, [&] { ++work; }, [&] { ++cancel; });
    EXPECT_EQ(work, 1);
    EXPECT_EQ(cancel, 0);
}

}
}
