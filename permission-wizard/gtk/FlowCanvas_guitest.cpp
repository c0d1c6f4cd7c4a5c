// The capability canvas on the display: its size, its clock, and how it follows the desktop's
// animation setting.
#include "permission-wizard/gtk/FlowCanvas.h"

#include "permission-wizard/art/ContextMenuRowDiagram.h"
#include "permission-wizard/art/KDFlowClock.h"
#include "permission-wizard/art/testing/RecordingDrawing.h"
#include "platform/ui/gtk/GtkSetup.h"

#include <chrono>
#include <gtest/gtest.h>

#include <vector>

namespace ikw::wizard::gtk {
namespace {

struct Frame {
    double width;
    double height;
    double t;
    std::vector<art::testing::DrawCommand> commands;
};

// A hero that records each frame the canvas asks for.
HeroDiagram recordingHero(std::vector<Frame>& frames)
{
    return { [&frames](cairo_t*, double width, double height, double t) {
        const art::ContextMenuRowDiagram diagram { .colors = { .accent = { 0, 0.4, 0.9, 1 } } };
        frames.push_back({ width, height, t, art::testing::record(diagram, width, height, t) });
    } };
}

void setAnimations(bool enabled)
{
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", enabled, nullptr);
}

// A window of 400 x 300 holding one canvas, with the desktop's animation setting restored and
// the clock unpinned afterwards.
class FlowCanvasOnScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ui::gtk3::initializeGtk());
        g_object_get(gtk_settings_get_default(), "gtk-enable-animations", &m_animationsBefore, nullptr);
    }
    void TearDown() override
    {
        if (m_window)
            gtk_widget_destroy(m_window);
        setAnimations(m_animationsBefore);
        KDFlowClock::pinned.reset();
    }

    FlowCanvas& show()
    {
        m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(m_window), 400, 300);
        GtkWidget* canvas = FlowCanvas::create(recordingHero(m_frames));
        gtk_container_add(GTK_CONTAINER(m_window), canvas);
        gtk_widget_show_all(m_window);
        return *FlowCanvas::from(canvas);
    }
    // Waits for `count` more frames.
    bool waitForFrames(std::size_t count, double timeoutSeconds = 5)
    {
        const auto wanted = m_frames.size() + count;
        return ui::gtk3::runMainLoopUntil([&] { return m_frames.size() >= wanted; }, timeoutSeconds);
    }
    void redraw() { gtk_widget_queue_draw(gtk_bin_get_child(GTK_BIN(m_window))); }

    std::vector<Frame> m_frames;
    GtkWidget* m_window = nullptr;
    gboolean m_animationsBefore = TRUE;
};

TEST_F(FlowCanvasOnScreen, WithAnimationsOffItDoesNotTickAndDrawsTimeZero)
{
    setAnimations(false);
    auto& canvas = show();
    EXPECT_TRUE(canvas.reducesMotion());
    EXPECT_FALSE(canvas.isTicking());
    ASSERT_TRUE(waitForFrames(1));
    EXPECT_EQ(m_frames.back().t, 0);
    // The picture is 132 high and as wide as the window, centred in the area given to it.
    EXPECT_EQ(m_frames.back().width, 400);
    EXPECT_EQ(m_frames.back().height, FlowCanvas::height);

    // Turning animations on starts the clock; turning them off again stops it.
    setAnimations(true);
    EXPECT_TRUE(canvas.isTicking());
    ASSERT_TRUE(waitForFrames(3));
    EXPECT_GT(m_frames.back().t, 7e8);
    setAnimations(false);
    EXPECT_FALSE(canvas.isTicking());
    ASSERT_TRUE(waitForFrames(1));
    EXPECT_EQ(m_frames.back().t, 0);
}

TEST_F(FlowCanvasOnScreen, PinnedClockDrawsTheSameFrameAtEveryTick)
{
    setAnimations(true);
    KDFlowClock::pinned = 4.5;
    auto& canvas = show();
    EXPECT_TRUE(canvas.isTicking());
    ASSERT_TRUE(waitForFrames(2));
    // Ticking redraws no more than 30 times a second (an unthrottled clock would give about 60),
    // plus a few draws the toolkit asks for on its own (exposure on a loaded display). The loop may
    // run past its second on a loaded machine, so the bound follows the time it really ran.
    const auto before = m_frames.size();
    const auto started = std::chrono::steady_clock::now();
    ui::gtk3::runMainLoopUntil([] { return false; }, 1.0);
    const std::chrono::duration<double> ran = std::chrono::steady_clock::now() - started;
    EXPECT_LE(double(m_frames.size() - before), 30.0 * ran.count() + 8.0);
    EXPECT_GE(m_frames.size() - before, 2u);
    EXPECT_EQ(m_frames.front().t, 4.5);
    EXPECT_EQ(m_frames.back().t, 4.5);
    EXPECT_EQ(m_frames.front().commands, m_frames.back().commands);

    // Unpinned, the live clock resumes.
    KDFlowClock::pinned.reset();
    redraw();
    ASSERT_TRUE(waitForFrames(1));
    EXPECT_GT(m_frames.back().t, 7e8);
}

}
}
