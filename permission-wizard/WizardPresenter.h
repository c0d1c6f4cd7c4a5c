#pragma once

#include <memory>
#include <string>

namespace ikw::wizard {

class KDPermissionWizardView;

// How the wizard's window is framed: titled and closable, not resizable, centred on the screen.
struct WizardWindowSpec {
    std::string title; // the product's name + " Permissions"
    double contentWidth = 660;
    double contentHeight = 700;
};

// The one wizard window a presenter made. Destroying the handle destroys the window.
class WizardWindow {
public:
    virtual ~WizardWindow() = default;
    // Shows the window again when its title-bar close hid it, raises it and gives it the focus.
    virtual void bringForward() = 0;
};

// Makes the wizard's window for a display layer. The window draws `view` and rebuilds its screen
// whenever the view reports a change. Its title-bar close only hides it: the controller keeps the
// window and a later `present` brings that same window back. The controller tells the view it
// appeared once the window is shown, so the window need not.
class WizardPresenter {
public:
    virtual ~WizardPresenter() = default;
    // A new window showing `view`, in front. Nothing when no window can be made.
    virtual std::unique_ptr<WizardWindow> makeWindow(std::shared_ptr<KDPermissionWizardView> view,
        const WizardWindowSpec& spec) = 0;
};

}
