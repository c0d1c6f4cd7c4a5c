#pragma once

#include "platform/core/TaskQueue.h"
#include "platform/ui/fake/FakeToolkit.h"

#include <map>
#include <string>
#include <vector>

namespace ikw::finder::testing {

// The desktop's defaults for tests, over the recording workspace: a claim takes at once, is
// refused, shows only after a delay, or is accepted and never shows.
class FakeDefaultApplications final : public ui::DefaultApplications {
public:
    enum class Claim { Takes, Refused, Late, NeverShows };

    explicit FakeDefaultApplications(ui::fake::FakeWorkspace& workspace) : m_workspace(workspace) {}

    void setDefault(const std::string& applicationId, const std::string& contentType,
        std::function<void(std::optional<std::string>)> done) override
    {
        calls.push_back(contentType);
        const auto found = behaviour.find(contentType);
        switch (found == behaviour.end() ? Claim::Takes : found->second) {
        case Claim::Takes:
            m_workspace.defaultApplications[contentType] = { applicationId, "Inkwarden" };
            done(std::nullopt);
            return;
        case Claim::Refused:
            done("refused");
            return;
        case Claim::Late:
            mainQueue().postAfter(lateSeconds, [this, applicationId, contentType] { m_workspace.defaultApplications[contentType] = { applicationId, "Inkwarden" }; });
            done(std::nullopt);
            return;
        case Claim::NeverShows:
            done(std::nullopt);
            return;
        }
    }

    std::map<std::string, Claim> behaviour; // by content type; others take
    double lateSeconds = 1.0;
    std::vector<std::string> calls;         // content types, in order

private:
    ui::fake::FakeWorkspace& m_workspace;
};

}
