#include "platform/ui/gtk/Window.h"

#include <gtest/gtest.h>

namespace ikw::ui::gtk3 {
namespace {

TEST(TabKeys, CtrlTabStepsThroughTwoTabsOrMore)
{
    struct Case {
        const char* what;
        unsigned keyval;
        unsigned state;
        int tabs;
        int step;
    };
    const Case cases[] = {
        { "Ctrl+Tab", GDK_KEY_Tab, GDK_CONTROL_MASK, 2, 1 },
        { "Ctrl+Shift+Tab", GDK_KEY_ISO_Left_Tab, GDK_CONTROL_MASK | GDK_SHIFT_MASK, 3, -1 },
        { "Num Lock does not matter", GDK_KEY_Tab, GDK_CONTROL_MASK | GDK_MOD2_MASK, 2, 1 },
        { "a window alone in its group", GDK_KEY_Tab, GDK_CONTROL_MASK, 1, 0 },
        { "Caps Lock on", GDK_KEY_Tab, GDK_CONTROL_MASK | GDK_LOCK_MASK, 2, 0 },
        { "Ctrl+Alt+Tab", GDK_KEY_Tab, GDK_CONTROL_MASK | GDK_MOD1_MASK, 2, 0 },
        { "plain Tab", GDK_KEY_Tab, 0, 2, 0 },
        { "Ctrl+A", GDK_KEY_a, GDK_CONTROL_MASK, 2, 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Window::tabStepForKey(c.keyval, c.state, c.tabs), c.step) << c.what;
}

}
}
