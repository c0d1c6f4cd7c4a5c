#include "platform/core/Log.h"

#include <cstdio>
#include <string>

namespace ikw {

void logLine(std::string_view message)
{
    std::string line = "Inkwarden: ";
    line.reserve(line.size() + message.size() + 1);
    for (char c : message)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}
