#pragma once

#include "platform/core/WorkQueue.h"
#include "services/MacPairBeacon.h"
#include "services/PairCode.h"

#include <functional>
#include <memory>

namespace ikw::services {

struct PairBeaconParts {
    std::shared_ptr<PairCodeStore> codes;
    std::shared_ptr<const MacPairBeacon> beacon;
    std::function<void()> reloadSettingsPanelIfOpen {};
};

// The launch's pairing step, on a queue of its own: a computer with a code publishes it unless
// another device published first; one without a code adopts the published one, without asking.
// The settings are read on the queue and written on the main queue.
class PairBeaconLaunch {
public:
    explicit PairBeaconLaunch(PairBeaconParts parts);

    // Once at launch. Nothing happens once `delegate` is gone, on either queue.
    void start(std::weak_ptr<const void> delegate);
    // Blocks until the queue's part has run (tests).
    void waitUntilIdle() { m_queue->waitUntilIdle(); }

private:
    PairBeaconParts m_parts;
    // Last, so that its work ends before the parts go.
    std::unique_ptr<WorkQueue> m_queue = makeSerialQueue("com.norvale.inkwarden.pairbeacon");
};

}
