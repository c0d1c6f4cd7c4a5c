#pragma once

#include "platform/core/Process.h"

#include <string>
#include <vector>

namespace ikw::testing {

// Runs a built program with these arguments and waits for it (a minute at most).
inline ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    ProcessOptions options;
    options.argv = { program };
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    options.timeoutSeconds = 60;
    return runProcess(options);
}

}
