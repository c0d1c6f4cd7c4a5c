#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

struct ProcessOptions {
    // argv[0] is the program: a path, or a name looked up on PATH. Never a shell command line.
    std::vector<std::string> argv;
    // The whole environment as "NAME=value" entries; the parent's when absent.
    std::optional<std::vector<std::string>> environment;
    // Empty: the parent's working folder.
    std::string workingDirectory;
    // Written to the child's standard input, which is then closed.
    std::string standardInput;
    // Ends the process group when the whole run takes longer.
    std::optional<double> timeoutSeconds;
    // Ends the process group when neither output stream carries a byte for this long.
    std::optional<double> idleTimeoutSeconds;
    // Each standard-error line, without its line end ("\n" or "\r\n"). Called on the running thread.
    std::function<void(std::string_view line)> onStandardErrorLine;
    // Whether bytes after the last line feed still reach onStandardErrorLine when the stream ends.
    bool deliverUnterminatedLastLine = true;
    // Keep the whole standard output in the result; when false it is read and dropped, for
    // long-lived children whose output nobody needs.
    bool captureStandardOutput = true;
    // Keep the whole standard error in the result (it is read either way, so a chatty child never blocks).
    bool captureStandardError = true;
    // Standard error goes into the standard-output pipe, so the output keeps the child's order of
    // both streams; the result's standardError stays empty and onStandardErrorLine is not called.
    bool mergeStandardError = false;
};

struct ProcessResult {
    bool started = false;
    std::string spawnError;
    int exitStatus = -1; // valid when the process exited by itself
    int terminatingSignal = 0;
    bool timedOut = false;
    bool idleTimedOut = false;
    bool cancelled = false;
    std::string standardOutput;
    std::string standardError;

    bool exitedNormally() const { return started && terminatingSignal == 0 && exitStatus >= 0; }
    bool succeeded() const { return exitedNormally() && exitStatus == 0 && !timedOut && !idleTimedOut && !cancelled; }
};

// Shared between the thread running a process and whoever may cancel it. Every process runs in
// a process group of its own; cancel() signals that whole group.
class ProcessControl {
public:
    ProcessControl();
    ~ProcessControl();
    ProcessControl(const ProcessControl&) = delete;
    ProcessControl& operator=(const ProcessControl&) = delete;

    // Ends the process group (SIGTERM, then SIGKILL after a grace period). Safe from any thread,
    // before, during or after the run.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }
    // The running group's id, or 0 before the start and after the end.
    pid_t processGroup() const { return m_group.load(); }

private:
    friend class ProcessRun;
    std::atomic<bool> m_cancelled { false };
    std::atomic<pid_t> m_group { 0 };
    int m_wakeFd;
};

// Runs a child process to its end and returns what it did. Blocks: call it off the main thread.
ProcessResult runProcess(const ProcessOptions& options, const std::shared_ptr<ProcessControl>& control = nullptr);

struct DetachedStart {
    bool started = false;
    std::string error; // why it did not start
    pid_t pid = 0;     // the detached process; not this process's child
};

// Starts a process that outlives this one: in a session of its own (setsid), with its standard
// streams on /dev/null, the working folder "/", and none of this process's descriptors. It is
// never waited for and leaves no zombie behind: it is started by a short-lived intermediate child,
// so it belongs to the system's reaper. `argv` as for runProcess, except that argv[0] must be a path.
DetachedStart startDetachedProcess(const std::vector<std::string>& argv);

// The first executable file named `name` on PATH (or in `path` when given), or empty.
std::string findExecutable(std::string_view name, std::optional<std::string_view> path = std::nullopt);

}
