#pragma once

#include <string_view>

namespace ikw {

// One line of diagnostics on standard error: "Inkwarden: <message>". Line ends inside the
// message are flattened so that one call is one line. Never pass secrets.
void logLine(std::string_view message);

}
