#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ikw {

class ProcessControl;

// Starts review runs of the engine's launcher and cancels them. Each run is a process group of its
// own, remembered under the loading file it was given ("--loading-file"), so a cancel signals
// exactly the processes of that run, whatever characters the path holds. Main thread only.
class EngineLauncher {
public:
    EngineLauncher();
    ~EngineLauncher();
    EngineLauncher(const EngineLauncher&) = delete;
    EngineLauncher& operator=(const EngineLauncher&) = delete;

    // Runs "/bin/bash <launcher> arguments..." and returns at once; nothing is reported back (the
    // engine answers by writing the loading file). A start failure is logged.
    void shellEngine(std::vector<std::string> arguments);

    // Ends every live run started with this loading file (its whole process group). Returns the
    // number of runs signalled.
    int cancelRuns(const std::string& loadingFile);
    bool isRunning(const std::string& loadingFile) const;

private:
    struct Runs;
    std::shared_ptr<Runs> m_runs;
};

// Writes the loading page to a new hidden file in the reviews folder and returns its path (also
// when the write failed: the path is the run's token either way).
std::string newLoadingFile();

// The page shown in place of a cancelled review.
std::string cancelledHTML();

// The engine half of cancelling a window's review: ends the run's process group and replaces the
// loading file with the cancelled page. The window then reloads the file.
void cancelReview(EngineLauncher& launcher, const std::string& loadingFile);

}
