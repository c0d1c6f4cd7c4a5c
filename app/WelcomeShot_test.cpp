// The welcome-screenshot run over the recording toolkit: every way it ends.
#include "app/WelcomeShot.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace ikw {
namespace {

// A 200x100 PNG: plain white, or with a black block across the content area.
std::string makePng(bool drawn)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 100);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    if (drawn) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_rectangle(cr, 40, 15, 120, 40);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    std::string png;
    cairo_surface_write_to_png_stream(surface, [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    }, &png);
    cairo_surface_destroy(surface);
    return png;
}

class WelcomeShotRun : public ::testing::Test {
public:
    WelcomeShot& start(std::optional<std::string> page = std::string("/r/.welcome-X.html"))
    {
        options.out = home.file("shot.png");
        options.dark = true;
        options.wantTools = true;
        shot.emplace(toolkit, queue, files, options, [this](int result) { statuses.push_back(result); });
        shot->start(page);
        return *shot;
    }
    ui::fake::FakeWebView& view() { return *toolkit.views.at(0); }

    testing::TempHome home;
    ManualMainQueue queue;
    ui::fake::FakeToolkit toolkit;
    FaultyFileSystem files;
    WelcomeShotOptions options;
    std::optional<WelcomeShot> shot;
    std::vector<int> statuses;
};

TEST_F(WelcomeShotRun, RendersOffscreenSettlesThenWritesThePng)
{
    start();
    const auto& window = *toolkit.windows.at(0);
    EXPECT_TRUE(window.options.offscreen);
    EXPECT_EQ(toolkit.prefersDark, true);
    EXPECT_EQ(view().loads, std::vector<std::string> { "file:///r/.welcome-X.html" });

    view().snapshotPng = makePng(true);
    view().finishLoading();
    ASSERT_EQ(view().evaluated.size(), 1u);
    EXPECT_EQ(view().evaluated[0], welcomeShotScript(true, true));
    EXPECT_NE(view().evaluated[0].find("_setTab('tools')"), std::string::npos);
    queue.advance(0.8);
    EXPECT_TRUE(statuses.empty()); // still settling
    queue.advance(0.1);
    ASSERT_EQ(statuses, std::vector<int> { 0 });
    EXPECT_EQ(testing::readTestFile(options.out), *view().snapshotPng);
    EXPECT_EQ(shot->standardOutput(), "OK " + options.out + " (" + std::to_string(view().snapshotPng->size())
            + " bytes, 200x100, content span 1.00)\n");
    queue.advance(60);
    EXPECT_EQ(statuses.size(), 1u); // the time-out was called off
}

TEST_F(WelcomeShotRun, EveryFailureEndsOnceWithItsStatusAndMessage)
{
    struct Case {
        const char* name;
        std::function<void(WelcomeShotRun&)> act;
        int status;
        std::string error;
    };
    const Case cases[] = {
        { "blank frame", [](WelcomeShotRun& t) { t.view().snapshotPng = makePng(false); t.view().finishLoading(); t.queue.advance(1); },
            3, "welcome-shot: BLANK FRAME \u2014 luminance span 0.00 over the content area, nothing was drawn. Not written.\n" },
        { "no image", [](WelcomeShotRun& t) { t.view().snapshotPng.reset(); t.view().finishLoading(); t.queue.advance(1); },
            1, "welcome-shot: snapshot failed: no image\n" },
        { "load failed", [](WelcomeShotRun& t) { t.view().failLoading("no such file"); },
            1, "welcome-shot: load failed: no such file\n" },
        { "write failed", [](WelcomeShotRun& t) {
              t.files.fail(FaultyFileSystem::Operation::Write);
              t.view().snapshotPng = makePng(true);
              t.view().finishLoading();
              t.queue.advance(1);
          }, 1, "welcome-shot: write failed: " },
        { "time-out", [](WelcomeShotRun& t) { t.queue.advance(30); }, 1, "welcome-shot: timed out after 30s\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        statuses.clear();
        toolkit.views.clear();
        files.clearFailures();
        start();
        c.act(*this);
        queue.advance(60);
        EXPECT_EQ(statuses, std::vector<int> { c.status });
        EXPECT_EQ(shot->standardError().substr(0, c.error.size()), c.error);
        EXPECT_EQ(shot->standardOutput(), "");
        EXPECT_FALSE(std::filesystem::exists(options.out)) << "nothing is written on failure";
    }
}

TEST_F(WelcomeShotRun, AnUnwrittenPageEndsAtOnce)
{
    start(std::nullopt);
    EXPECT_EQ(statuses, std::vector<int> { 1 });
    EXPECT_TRUE(toolkit.views.empty());
}

}
}
