#include "services/PairBeaconLaunch.h"

#include "platform/core/Log.h"
#include "platform/core/TaskQueue.h"

namespace ikw::services {

namespace {

// Main queue: the code is taken only while this computer still has none (the sheet may have made
// one meanwhile).
void adopt(const std::weak_ptr<const void>& delegate, const PairBeaconParts& parts, const std::string& code)
{
    if (delegate.expired() || !parts.codes->pairCode(false).empty())
        return;
    parts.codes->adopt(code);
    logLine("joined the library already published on this iCloud account");
    if (parts.reloadSettingsPanelIfOpen)
        parts.reloadSettingsPanelIfOpen();
}

void runStep(const std::weak_ptr<const void>& delegate, const PairBeaconParts& parts)
{
    if (delegate.expired())
        return;
    if (const std::string code = parts.codes->pairCode(false); !code.empty()) {
        // This computer's code becomes the beacon only when no other device published one.
        parts.beacon->publish(code, false);
        return;
    }
    const auto published = parts.beacon->read();
    if (!published)
        return;
    mainQueue().post([delegate, parts, code = *published] { adopt(delegate, parts, code); });
}

}

PairBeaconLaunch::PairBeaconLaunch(PairBeaconParts parts)
    : m_parts(std::move(parts))
{
}

void PairBeaconLaunch::start(std::weak_ptr<const void> delegate)
{
    if (!m_parts.codes || !m_parts.beacon)
        return;
    m_queue->post([delegate = std::move(delegate), parts = m_parts] { runStep(delegate, parts); });
}

}
