#pragma once

#include <string_view>

namespace ikw::wizard {

// Each call is one write of the whole text (retried only for what the system did not take), so
// a block of lines reaches a shared stream in one piece.
void writeStandardOutput(std::string_view text);
void writeStandardError(std::string_view text);

}
