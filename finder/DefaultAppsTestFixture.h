#pragma once

#include "finder/DefaultAppClaims.h"
#include "finder/FakeDefaultApplications.h"
#include "review/PanelWC.h"
#include "review/ReviewTestFixture.h"

#include <algorithm>

namespace ikw::finder::testing {

// Review windows and panels on the recording toolkit, the claims over a fake desktop and a fake
// clock, and declared types of the test's own (PDF, text in two groups, an image group).
class DefaultAppsFixture : public ikw::testing::ReviewFixture {
protected:
    DefaultAppsFixture()
    {
        declare(R"({"groups":[{"name":"PDF Document","types":["com.adobe.pdf"]},
                              {"name":"Text","types":["public.plain-text","net.daringfireball.markdown"]},
                              {"name":"Image","types":["public.png"]}],
                    "types":{"com.adobe.pdf":{"mime":"application/pdf","ext":"pdf"},
                             "public.plain-text":{"mime":"text/plain","ext":"txt"},
                             "net.daringfireball.markdown":{"mime":"text/markdown","ext":"md"},
                             "public.png":{"mime":"image/png","ext":"png"}}})");
        ikw::testing::writeTestFile(home.file("Resources/brand.json"), R"({"name":"Inkwarden"})");
        claims = DefaultAppClaims::create({
            .workspace = &toolkit.fakeWorkspace,
            .defaultApps = &desktop,
            .resourcesDir = [this] { return home.file("Resources"); },
            .windows = [this] { return windows.windows(); },
            .panels = [this] { return panels; },
            .reloadSettingsPanelIfOpen = [this] { ++reloads; },
        });
    }

    void declare(const std::string& table) { ikw::testing::writeTestFile(home.file("Resources/document_types.json"), table); }
    void makeOurs(const std::string& mimeType) { toolkit.fakeWorkspace.defaultApplications[mimeType] = { kOurDesktopId, "Inkwarden" }; }

    std::shared_ptr<PanelWC> makePanel(const std::string& kind)
    {
        auto panel = PanelWC::create(toolkit, kind, globals.get().archive + "/.panel-" + kind + ".html", "Inkwarden",
            [](PanelWC&, const ui::NavigationAction&) { return ui::NavigationPolicy::Cancel; }, { globals.get().archive });
        panels.push_back(panel);
        return panel;
    }

    // The scripts a view evaluated that contain `part`.
    std::vector<std::string> scripts(const ui::WebView& web, const std::string& part) const
    {
        const auto& all = static_cast<const ui::fake::FakeWebView&>(web).evaluated;
        std::vector<std::string> found;
        std::copy_if(all.begin(), all.end(), std::back_inserter(found), [&](const std::string& script) { return script.find(part) != std::string::npos; });
        return found;
    }

    FakeDefaultApplications desktop { toolkit.fakeWorkspace };
    std::vector<std::shared_ptr<PanelWC>> panels;
    int reloads = 0;
    std::shared_ptr<DefaultAppClaims> claims;
};

}
