#include "app/SystemAppearance.h"

#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

// The application forces its own look through the toolkit; that must never read back as the
// desktop's choice, nor count as the desktop changing.
TEST(DesktopAppearanceOnScreen, TheApplicationsOwnDarkLookIsNotTheDesktops)
{
    ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)";
    const auto toolkit = ui::gtk3::makeGtkToolkit();
    const auto desktop = makeDesktopAppearance();
    const bool desktopDark = desktop->prefersDark();
    int changes = 0;
    desktop->setChangeHandler([&changes] { ++changes; });

    for (const bool dark : { !desktopDark, desktopDark, !desktopDark }) {
        toolkit->setPrefersDark(dark);
        ui::gtk3::runMainLoopUntil([] { return false; }, 0.2);
        EXPECT_EQ(desktop->prefersDark(), desktopDark);
    }
    EXPECT_EQ(changes, 0);
    toolkit->setPrefersDark(false);
}

}
}
