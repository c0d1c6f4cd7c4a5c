#include "app/NightDriver.h"
#include "app/Settings.h"
#include "app/SystemAppearance.h"
#include "platform/core/Paths.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw {
namespace {

// The desktop's scheme, switched by the test.
class SwitchableDesktop final : public SystemAppearance {
public:
    bool prefersDark() const override { return dark; }
    void setChangeHandler(std::function<void()> handler) override { changed = std::move(handler); }
    void switchTo(bool value)
    {
        dark = value;
        if (changed)
            changed();
    }
    bool dark = false;
    std::function<void()> changed;
};

// The real review windows, with the backgrounds the driver gives them noted on the way.
class NotedWindows final : public ReviewWindowRegistry {
public:
    explicit NotedWindows(ReviewWindows& windows) : m_windows(windows) {}
    bool isEmpty() const override { return m_windows.isEmpty(); }
    bool hasVisibleWindow() const override { return m_windows.hasVisibleWindow(); }
    void openPage(const std::optional<std::string>& page, const ui::WebView* host) override { m_windows.openPage(page, host); }
    bool showHome(const ui::WebView& web, const std::optional<std::string>& page) override { return m_windows.showHome(web, page); }
    void openReview(const std::vector<std::string>& paths) override { m_windows.openReview(paths); }
    std::vector<std::shared_ptr<OpenReviewWindow>> openWindows() const override
    {
        std::vector<std::shared_ptr<OpenReviewWindow>> noted;
        for (auto& window : m_windows.openWindows())
            noted.push_back(std::make_shared<Noted>(window, backgrounds));
        return noted;
    }

    std::shared_ptr<std::vector<ui::Color>> backgrounds = std::make_shared<std::vector<ui::Color>>();

private:
    class Noted final : public OpenReviewWindow {
    public:
        Noted(std::shared_ptr<OpenReviewWindow> real, std::shared_ptr<std::vector<ui::Color>> seen) : m_real(std::move(real)), m_seen(std::move(seen)) {}
        bool isReader() const override { return m_real->isReader(); }
        bool isOpenSurface() const override { return m_real->isOpenSurface(); }
        void evaluate(const std::string& script) override { m_real->evaluate(script); }
        void setBackground(const ui::Color& color) override
        {
            m_seen->push_back(color);
            m_real->setBackground(color);
        }

    private:
        std::shared_ptr<OpenReviewWindow> m_real;
        std::shared_ptr<std::vector<ui::Color>> m_seen;
    };

    ReviewWindows& m_windows;
};

class AppearanceSyncOnScreen : public testing::ReviewOnScreenFixture {
protected:
    AppearanceSyncOnScreen()
    {
        // A page that notes every theme call it gets.
        page = testing::writeTestFile(joinPath(globals().archive, ".themed.html"),
            "<!doctype html><html><head><script>window.__calls=[];"
            "window.__setTheme=function(s,f){window.__calls.push(s+','+f)};</script></head><body>page</body></html>");
        AppearanceHooks hooks;
        hooks.windows = &noted;
        hooks.setAppAppearance = [this](AppAppearance forced) {
            appearance = forced;
            toolkit->setPrefersDark(effectiveIsDark());
        };
        hooks.effectiveIsDark = [this] { return effectiveIsDark(); };
        driver = std::make_unique<NightDriver>(std::move(hooks));
        desktop.setChangeHandler([this] { driver->systemAppearanceChanged(); });
    }

    bool effectiveIsDark() const { return appearance == AppAppearance::Dark || (appearance == AppAppearance::System && desktop.dark); }

    std::shared_ptr<ReviewWC> openLoaded()
    {
        auto window = windows.open(page);
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "document.body ? 'ok' : ''") == "ok"; }, 10));
        return window;
    }

    void settings(const std::string& json) { testing::writeTestFile(globals().configPath, json); }

    std::string page;
    SwitchableDesktop desktop;
    NotedWindows noted { windows };
    AppAppearance appearance = AppAppearance::System;
    std::unique_ptr<NightDriver> driver;
};

TEST_F(AppearanceSyncOnScreen, FollowingTheDesktopSyncsEveryPageAndBackgroundAMomentLater)
{
    settings(R"({"appearance": "auto"})");
    const auto first = openLoaded();
    const auto second = openLoaded();

    desktop.switchTo(true);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*second, "window.__calls.join(';')") == "dark,true"; }, 5));
    EXPECT_EQ(ask(*first, "window.__calls.join(';')"), "dark,true");
    EXPECT_EQ(*noted.backgrounds, (std::vector<ui::Color> { reviewBG(true), reviewBG(true) }));
    toolkit->setPrefersDark(false);
}

TEST_F(AppearanceSyncOnScreen, AChosenLookIgnoresTheDesktop)
{
    settings(R"({"appearance": "light"})");
    const auto window = openLoaded();
    desktop.switchTo(true);
    ui::gtk3::runMainLoopUntil([] { return false; }, NightDriver::kSyncDelaySeconds + 0.3);
    EXPECT_EQ(ask(*window, "window.__calls.join(';')"), "");
    EXPECT_TRUE(noted.backgrounds->empty());
}

}
}
