#pragma once

#include <string_view>

namespace ikw {

// Writes every byte to the descriptor, going on after short writes and interrupted calls; false
// when a write fails (errno says why).
bool writeAll(int fd, std::string_view bytes);

// Copies the rest of `from` to `to`: in the kernel where it can (no trip through user space; a
// clone where the file system shares blocks), else through a buffer. False when a read or write
// fails (errno says why).
bool copyAll(int from, int to);

}
