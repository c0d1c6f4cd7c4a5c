#pragma once

#include <string_view>

namespace ikw {

// Writes every byte to the descriptor, going on after short writes and interrupted calls; false
// when a write fails (errno says why).
bool writeAll(int fd, std::string_view bytes);

}
