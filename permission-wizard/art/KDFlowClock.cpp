#include "permission-wizard/art/KDFlowClock.h"

namespace ikw::wizard {

std::optional<double> KDFlowClock::pinned;

double KDFlowClock::secondsSinceReferenceDate(std::chrono::system_clock::time_point now)
{
    constexpr double unixTimeOfReferenceDate = 978307200;
    const std::chrono::duration<double> sinceUnixEpoch = now.time_since_epoch();
    return sinceUnixEpoch.count() - unixTimeOfReferenceDate;
}

double KDFlowClock::frameTime(bool reduceMotion, std::chrono::system_clock::time_point now)
{
    if (pinned)
        return *pinned;
    if (reduceMotion)
        return 0;
    return secondsSinceReferenceDate(now);
}

}
