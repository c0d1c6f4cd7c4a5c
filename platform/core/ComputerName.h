#pragma once

#include <optional>
#include <string>

namespace ikw {

// The computer's name as its user knows it: systemd-hostnamed's pretty host name, else
// PRETTY_HOSTNAME of /etc/machine-info, else the host name; nothing when all are empty. Blocks
// briefly on the system bus, so background queues call it.
std::optional<std::string> computerName();

}
