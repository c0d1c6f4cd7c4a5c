#include "platform/core/Process.h"

#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace ikw {

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kKillGraceSeconds = 2.0;

struct Pipe {
    UniqueFd read;
    UniqueFd write;
    bool open()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = UniqueFd(fds[0]);
        write = UniqueFd(fds[1]);
        return true;
    }
};

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class LineSplitter {
public:
    explicit LineSplitter(const std::function<void(std::string_view)>& sink) : m_sink(sink) {}
    void feed(std::string_view bytes)
    {
        if (!m_sink)
            return;
        m_pending.append(bytes);
        std::size_t start = 0;
        for (std::size_t nl; (nl = m_pending.find('\n', start)) != std::string::npos; start = nl + 1)
            emit(std::string_view(m_pending).substr(start, nl - start));
        m_pending.erase(0, start);
    }
    void finish(bool deliverUnterminated)
    {
        if (m_sink && deliverUnterminated && !m_pending.empty())
            emit(m_pending);
        m_pending.clear();
    }

private:
    void emit(std::string_view line)
    {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_sink(line);
    }
    const std::function<void(std::string_view)>& m_sink;
    std::string m_pending;
};

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (auto& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}

ProcessControl::ProcessControl()
    : m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

ProcessControl::~ProcessControl()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void ProcessControl::cancel()
{
    m_cancelled.store(true);
    if (pid_t group = m_group.load(); group > 0)
        ::kill(-group, SIGTERM);
    if (m_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(m_wakeFd, &one, sizeof one);
    }
}

class ProcessRun {
public:
    ProcessRun(const ProcessOptions& options, const std::shared_ptr<ProcessControl>& control)
        : m_options(options)
        , m_control(control)
        , m_errorLines(options.onStandardErrorLine)
    {
    }

    ProcessResult run()
    {
        if (m_options.argv.empty() || m_options.argv.front().empty()) {
            m_result.spawnError = "no program given";
            return m_result;
        }
        if (m_control && m_control->isCancelled()) {
            m_result.spawnError = "cancelled before start";
            m_result.cancelled = true;
            return m_result;
        }
        if (!spawn())
            return m_result;
        pump();
        reap();
        return m_result;
    }

private:
    bool spawn()
    {
        Pipe in, out, err;
        const bool merge = m_options.mergeStandardError;
        if (!in.open() || !out.open() || (!merge && !err.open())) {
            m_result.spawnError = std::strerror(errno);
            return false;
        }

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in.read.get(), STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out.write.get(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, merge ? out.write.get() : err.write.get(), STDERR_FILENO);
        if (!m_options.workingDirectory.empty())
            posix_spawn_file_actions_addchdir_np(&actions, m_options.workingDirectory.c_str());

        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t noSignals, defaultSignals;
        sigemptyset(&noSignals);
        sigemptyset(&defaultSignals);
        for (int s : { SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGCHLD })
            sigaddset(&defaultSignals, s);
        posix_spawnattr_setsigmask(&attributes, &noSignals);
        posix_spawnattr_setsigdefault(&attributes, &defaultSignals);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::vector<std::string> argv = m_options.argv;
        auto argvPointers = pointersTo(argv);
        std::vector<std::string> environment;
        std::vector<char*> environmentPointers;
        char** envp = environ;
        if (m_options.environment) {
            environment = *m_options.environment;
            environmentPointers = pointersTo(environment);
            envp = environmentPointers.data();
        }

        const bool searchPath = argv.front().find('/') == std::string::npos;
        const int status = searchPath
            ? posix_spawnp(&m_pid, argv.front().c_str(), &actions, &attributes, argvPointers.data(), envp)
            : posix_spawn(&m_pid, argv.front().c_str(), &actions, &attributes, argvPointers.data(), envp);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);

        if (status != 0) {
            m_result.spawnError = std::string(argv.front()) + ": " + std::strerror(status);
            return false;
        }
        m_result.started = true;
        m_start = Clock::now();
        m_lastOutput = m_start;
        if (m_control) {
            m_control->m_group.store(m_pid);
            if (m_control->isCancelled())
                ::kill(-m_pid, SIGTERM);
        }

        m_stdin = std::move(in.write);
        m_stdout = std::move(out.read);
        m_stderr = std::move(err.read);
        setNonBlocking(m_stdin.get());
        setNonBlocking(m_stdout.get());
        if (m_stderr.valid())
            setNonBlocking(m_stderr.get());
        if (m_options.standardInput.empty())
            m_stdin.reset();
        return true;
    }

    void writeInput()
    {
        const std::string& input = m_options.standardInput;
        while (m_inputOffset < input.size()) {
            const ssize_t n = ::write(m_stdin.get(), input.data() + m_inputOffset, input.size() - m_inputOffset);
            if (n > 0) {
                m_inputOffset += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            break; // EPIPE: the child does not read its input
        }
        m_stdin.reset();
    }

    // Reads what is there; returns false at end of stream.
    bool readInto(UniqueFd& fd, bool isError)
    {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
            if (n > 0) {
                m_lastOutput = Clock::now();
                const std::string_view bytes(buffer, static_cast<std::size_t>(n));
                if (isError) {
                    if (m_options.captureStandardError)
                        m_result.standardError.append(bytes);
                    m_errorLines.feed(bytes);
                } else if (m_options.captureStandardOutput) {
                    m_result.standardOutput.append(bytes);
                }
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                return true;
            fd.reset();
            return false;
        }
    }

    void endGroup(bool& flag)
    {
        flag = true;
        if (!m_termSent) {
            ::kill(-m_pid, SIGTERM);
            m_termSent = Clock::now();
        }
    }

    void checkDeadlines()
    {
        if (m_control && m_control->isCancelled() && !m_result.cancelled) {
            m_result.cancelled = true;
            if (!m_termSent)
                m_termSent = Clock::now();
        }
        if (m_options.timeoutSeconds && !m_result.timedOut && secondsSince(m_start) >= *m_options.timeoutSeconds)
            endGroup(m_result.timedOut);
        if (m_options.idleTimeoutSeconds && !m_result.idleTimedOut && secondsSince(m_lastOutput) >= *m_options.idleTimeoutSeconds)
            endGroup(m_result.idleTimedOut);
        if (m_termSent && !m_killSent && secondsSince(*m_termSent) >= kKillGraceSeconds) {
            ::kill(-m_pid, SIGKILL);
            m_killSent = true;
        }
    }

    int pollTimeoutMs() const
    {
        double wait = 0.25;
        if (m_options.timeoutSeconds)
            wait = std::min(wait, *m_options.timeoutSeconds - secondsSince(m_start));
        if (m_options.idleTimeoutSeconds)
            wait = std::min(wait, *m_options.idleTimeoutSeconds - secondsSince(m_lastOutput));
        return std::max(1, static_cast<int>(wait * 1000.0) + 1);
    }

    void pump()
    {
        if (m_stdin.valid())
            writeInput();
        while (m_stdout.valid() || m_stderr.valid()) {
            pollfd fds[4];
            int count = 0;
            auto add = [&](const UniqueFd& fd, short events) {
                if (fd.valid())
                    fds[count++] = pollfd { fd.get(), events, 0 };
            };
            add(m_stdout, POLLIN);
            add(m_stderr, POLLIN);
            add(m_stdin, POLLOUT);
            if (m_control)
                fds[count++] = pollfd { m_control->m_wakeFd, POLLIN, 0 };
            const int ready = ::poll(fds, static_cast<nfds_t>(count), pollTimeoutMs());
            if (ready < 0 && errno != EINTR)
                break;
            if (m_stdout.valid())
                readInto(m_stdout, false);
            if (m_stderr.valid())
                readInto(m_stderr, true);
            if (m_stdin.valid())
                writeInput();
            checkDeadlines();
        }
        m_errorLines.finish(m_options.deliverUnterminatedLastLine);
        m_stdin.reset();
    }

    void reap()
    {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        if (WIFEXITED(status))
            m_result.exitStatus = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            m_result.terminatingSignal = WTERMSIG(status);
        // Anything the child left running in its group goes with it.
        if (m_termSent || m_result.cancelled)
            ::kill(-m_pid, SIGKILL);
        if (m_control)
            m_control->m_group.store(0);
    }

    const ProcessOptions& m_options;
    const std::shared_ptr<ProcessControl>& m_control;
    LineSplitter m_errorLines;
    ProcessResult m_result;
    pid_t m_pid = 0;
    UniqueFd m_stdin, m_stdout, m_stderr;
    std::size_t m_inputOffset = 0;
    Clock::time_point m_start;
    Clock::time_point m_lastOutput;
    std::optional<Clock::time_point> m_termSent;
    bool m_killSent = false;
};

ProcessResult runProcess(const ProcessOptions& options, const std::shared_ptr<ProcessControl>& control)
{
    return ProcessRun(options, control).run();
}

namespace {

// What the children of a detached start tell the parent through the report pipe.
struct DetachedReport {
    char kind; // 'p': the detached process's id; 'e': an errno of a step that failed
    int value;
};

// The children below may use only async-signal-safe calls: the parent may have other threads.
void report(int fd, char kind, int value)
{
    const DetachedReport message { kind, value };
    [[maybe_unused]] const auto written = ::write(fd, &message, sizeof message);
}

[[noreturn]] void failDetached(int reportFd, int error)
{
    report(reportFd, 'e', error);
    ::_exit(127);
}

// In the detached process, just before exec: plain signals, /dev/null streams, "/", and every
// inherited descriptor closed by the exec (the report pipe among them).
void prepareDetachedProcess(int reportFd)
{
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &standard, nullptr);

    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0)
        failDetached(reportFd, errno);
    for (int stream : { STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO }) {
        if (::dup2(null, stream) < 0)
            failDetached(reportFd, errno);
    }
    if (null > STDERR_FILENO)
        ::close(null);
    if (::chdir("/") != 0)
        failDetached(reportFd, errno);
    if (::close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = STDERR_FILENO + 1; fd < 65536; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

}

DetachedStart startDetachedProcess(const std::vector<std::string>& argv)
{
    DetachedStart result;
    if (argv.empty() || argv.front().find('/') == std::string::npos) {
        result.error = "no program path given";
        return result;
    }
    std::vector<std::string> arguments = argv;
    const auto argumentPointers = pointersTo(arguments);
    Pipe reports;
    if (!reports.open()) {
        result.error = std::strerror(errno);
        return result;
    }

    const pid_t intermediate = ::fork();
    if (intermediate < 0) {
        result.error = std::strerror(errno);
        return result;
    }
    if (intermediate == 0) {
        const int reportFd = reports.write.get();
        if (::setsid() < 0)
            failDetached(reportFd, errno);
        const pid_t detached = ::fork();
        if (detached < 0)
            failDetached(reportFd, errno);
        if (detached > 0) {
            report(reportFd, 'p', detached);
            ::_exit(0);
        }
        prepareDetachedProcess(reportFd);
        ::execve(argumentPointers.front(), argumentPointers.data(), environ);
        failDetached(reportFd, errno);
    }

    // The pipe reads its end once the intermediate child has exited and the exec has closed the
    // detached process's copy (or that process has failed).
    reports.write.reset();
    int error = 0;
    for (DetachedReport message {};;) {
        const ssize_t n = ::read(reports.read.get(), &message, sizeof message);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != static_cast<ssize_t>(sizeof message))
            break;
        if (message.kind == 'p')
            result.pid = message.value;
        else
            error = message.value;
    }
    int status = 0;
    while (::waitpid(intermediate, &status, 0) < 0 && errno == EINTR) { }

    if (error != 0)
        result.error = argv.front() + ": " + std::strerror(error);
    else if (result.pid <= 0)
        result.error = "the detached process did not start";
    result.started = result.error.empty();
    return result;
}

std::string findExecutable(std::string_view name, std::optional<std::string_view> path)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string_view::npos)
        return ::access(std::string(name).c_str(), X_OK) == 0 ? std::string(name) : std::string();
    std::string searchPath;
    if (path)
        searchPath = *path;
    else if (const char* env = std::getenv("PATH"))
        searchPath = env;
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos)
            end = searchPath.size();
        std::string folder = searchPath.substr(start, end - start);
        if (folder.empty())
            folder = ".";
        std::string candidate = folder + "/" + std::string(name);
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

}
