#pragma once

#include "platform/ui/Toolkit.h"
#include "review/PanelRouter.h"
#include "review/PanelWC.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {

// What the settings page shows of features above this layer. The composition root fills what
// exists; an empty entry gives the answer of a product without that feature.
struct SettingsPanelFacts {
    std::function<bool()> hasFullDiskAccess;         // none: granted (the system has no such gate)
    std::function<bool()> finderExtensionEnabled;    // none: false
    std::function<std::string()> appIconsDir;        // none: ""
    std::function<bool()> isDefaultPDFApp;           // none: false
    std::function<std::string()> defaultGroupsJSON;  // none: "[]"
    std::function<std::string()> voicesJSON;         // none: "[]"
    std::function<std::string()> mcpStatusJSON;      // none: "{}"
    std::function<std::string()> oakruneStatusJSON;  // none: "{}"
    std::function<std::string()> accountStatusJSON;  // none: "{}"
    std::function<std::string()> syncStatusJSON;     // none: "{}"
    std::function<std::string()> openPalette;        // none: ""
    std::function<std::string()> nightWindow;        // none: ""
};

// The application's panels, in creation order, and the one way to open them: the engine's panel
// script writes the page, then a panel window shows it. A closed panel stays in the list (hidden)
// until the next panel is made. Main thread only.
class Panels : public std::enable_shared_from_this<Panels> {
public:
    static std::shared_ptr<Panels> create(ui::Toolkit& toolkit, SettingsPanelFacts facts = {});
    Panels(const Panels&) = delete;
    Panels& operator=(const Panels&) = delete;

    // Fronts a visible panel of `kind`, else runs the panel script and shows its page when the
    // script has written one (whatever its exit status).
    void openPanel(const std::string& kind, const std::vector<std::string>& extraArgs = {});
    // The settings command: closes a visible settings panel, else opens one.
    void showSettings();
    void showAbout() { openPanel("about"); }
    void showHelp() { openPanel("help"); }
    // Regenerates a visible settings panel with the current settings; the old window closes once
    // the new one shows (and stays when no new page could be made).
    void reloadSettingsPanelIfOpen();
    // Closes every panel of `kind`, then forgets every panel whose window is gone or hidden.
    void closePanels(const std::string& kind);

    const std::vector<std::shared_ptr<PanelWC>>& panels() const { return m_panels; }
    // Every panel's background (they follow the application's look).
    void setBackgrounds(const ui::Color& color);
    std::shared_ptr<PanelWC> visiblePanel(const std::string& kind) const;
    PanelActions& actions() { return m_actions; }

    // The panel script's command line for a page written to `pagePath`.
    std::vector<std::string> scriptArguments(const std::string& kind, const std::string& pagePath,
        const std::vector<std::string>& extraArgs) const;

private:
    Panels(ui::Toolkit& toolkit, SettingsPanelFacts facts);
    using Shown = std::function<void(bool shown)>;
    void generate(const std::string& kind, const std::vector<std::string>& extraArgs, Shown shown);
    void show(const std::string& kind, const std::string& pagePath);
    void pruneHidden();
    std::vector<std::string> settingsFlags() const;

    ui::Toolkit& m_toolkit;
    SettingsPanelFacts m_facts;
    std::vector<std::string> m_trustedRoots;
    PanelActions m_actions;
    PanelRouter m_router;
    std::vector<std::shared_ptr<PanelWC>> m_panels;
};

}
