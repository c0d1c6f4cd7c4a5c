#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace ikw {
namespace {

ProcessOptions shell(const std::string& script)
{
    // A fixed script text; tests pass data as positional parameters, never inside the text.
    ProcessOptions options;
    options.argv = { "/bin/sh", "-c", script, "sh" };
    return options;
}

TEST(Process, CollectsBothStreamsAndExitStatus)
{
    auto options = shell("printf out; printf err >&2; exit 3");
    const auto result = runProcess(options);
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.standardOutput, "out");
    EXPECT_EQ(result.standardError, "err");
    EXPECT_FALSE(result.succeeded());
}

TEST(Process, MergedStreamsKeepTheChildsOrder)
{
    auto options = shell("printf 'out1 '; printf 'err ' >&2; printf out2");
    options.mergeStandardError = true;
    const auto result = runProcess(options);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.standardOutput, "out1 err out2");
    EXPECT_EQ(result.standardError, "");
}

TEST(Process, ArgumentsTravelUninterpreted)
{
    auto options = shell("printf '%s|' \"$@\"");
    options.argv.insert(options.argv.end(), { "a b", "$(touch /tmp/never)", "\"q\"", "" });
    const auto result = runProcess(options);
    EXPECT_EQ(result.standardOutput, "a b|$(touch /tmp/never)|\"q\"||");
}

TEST(Process, MegabytesOnStandardErrorWithoutAHandlerDoNotHang)
{
    auto options = shell("head -c 8000000 /dev/zero | tr '\\0' x >&2; head -c 3000000 /dev/zero; echo done >&2");
    options.timeoutSeconds = 60;
    const auto result = runProcess(options);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.standardError.size(), 8000005u);
    EXPECT_EQ(result.standardOutput.size(), 3000000u);
}

TEST(Process, StandardErrorLinesArriveWithoutLineEnds)
{
    auto options = shell("printf 'one\\r\\ntwo\\n\\nlast' >&2");
    std::vector<std::string> lines;
    options.onStandardErrorLine = [&](std::string_view line) { lines.emplace_back(line); };
    runProcess(options);
    EXPECT_EQ(lines, (std::vector<std::string> { "one", "two", "", "last" }));

    lines.clear();
    options.deliverUnterminatedLastLine = false;
    runProcess(options);
    EXPECT_EQ(lines, (std::vector<std::string> { "one", "two", "" }));
}

TEST(Process, LargeStandardInputIsFedWhileOutputIsRead)
{
    auto options = shell("cat");
    options.standardInput = std::string(5'000'000, 'i');
    const auto result = runProcess(options);
    EXPECT_EQ(result.standardOutput.size(), 5'000'000u);
}

TEST(Process, TimeOutEndsTheWholeProcessGroup)
{
    auto options = shell("sleep 30 & sleep 30; echo never");
    options.timeoutSeconds = 0.3;
    const auto start = std::chrono::steady_clock::now();
    const auto result = runProcess(options);
    EXPECT_TRUE(result.timedOut);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
}

TEST(Process, IdleTimeOutCountsFromTheLastOutput)
{
    auto options = shell("for i in 1 2 3 4; do echo tick >&2; sleep 0.1; done; sleep 30");
    options.idleTimeoutSeconds = 0.5;
    const auto result = runProcess(options);
    EXPECT_TRUE(result.idleTimedOut);
    EXPECT_EQ(result.standardError, "tick\ntick\ntick\ntick\n");
}

TEST(Process, CancelSignalsOnlyTheRunsGroup)
{
    // A bystander outside the group survives the cancel.
    ProcessOptions bystanderOptions = shell("sleep 5");
    auto bystanderControl = std::make_shared<ProcessControl>();
    std::thread bystander([&] { runProcess(bystanderOptions, bystanderControl); });

    auto control = std::make_shared<ProcessControl>();
    auto options = shell("sleep 30 & wait");
    std::thread canceller([&] {
        while (control->processGroup() == 0 || bystanderControl->processGroup() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        control->cancel();
    });
    const auto result = runProcess(options, control);
    canceller.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.terminatingSignal, SIGTERM);
    ASSERT_GT(bystanderControl->processGroup(), 0);
    EXPECT_EQ(::kill(-bystanderControl->processGroup(), 0), 0);
    bystanderControl->cancel();
    bystander.join();
}

TEST(Process, SpawnFailureIsReportedNotThrown)
{
    ProcessOptions options;
    options.argv = { "/nonexistent/program" };
    auto result = runProcess(options);
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.spawnError.find("/nonexistent/program"), std::string::npos);

    options.argv = {};
    EXPECT_FALSE(runProcess(options).started);
}

// Fields of /proc/<pid>/stat after the command name: 0 state, 1 parent, 2 group, 3 session.
std::vector<std::string> statusFields(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::vector<std::string> fields;
    for (std::string field; rest >> field && fields.size() < 4;)
        fields.push_back(field);
    return fields;
}

TEST(Process, ADetachedProcessIsNobodysChildAndHoldsNothingOfOurs)
{
    // A descriptor without close-on-exec, as a careless library would leave one.
    const int leaked = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 0);
    const DetachedStart start = startDetachedProcess({ "/bin/sleep", "30" });
    ::close(leaked);
    ASSERT_TRUE(start.started) << start.error;

    const auto fields = statusFields(start.pid);
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_NE(std::stoi(fields[1]), ::getpid()) << "not our child";
    EXPECT_NE(std::stoi(fields[3]), ::getsid(0)) << "a session of its own";
    const std::string proc = "/proc/" + std::to_string(start.pid);
    EXPECT_EQ(std::filesystem::read_symlink(proc + "/cwd"), "/");
    // Just after the exec the loader still holds libraries open: look once the program sleeps.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const auto sleeping = [&] {
        std::string channel;
        std::getline(std::ifstream(proc + "/wchan"), channel);
        return channel.find("nanosleep") != std::string::npos;
    };
    while (!sleeping() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::map<std::string, std::string> descriptors;
    for (const auto& entry : std::filesystem::directory_iterator(proc + "/fd"))
        descriptors[entry.path().filename()] = std::filesystem::read_symlink(entry.path());
    const std::map<std::string, std::string> onlyNull { { "0", "/dev/null" }, { "1", "/dev/null" }, { "2", "/dev/null" } };
    EXPECT_EQ(descriptors, onlyNull);

    ::kill(start.pid, SIGKILL);
    EXPECT_EQ(::waitpid(start.pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD) << "the system reaps it, not us";
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "the intermediate child is reaped";

    for (const auto& argv : { std::vector<std::string> { "/nonexistent/program" }, std::vector<std::string> { "sleep", "1" },
             std::vector<std::string> {} }) {
        const DetachedStart failed = startDetachedProcess(argv);
        EXPECT_FALSE(failed.started);
        EXPECT_FALSE(failed.error.empty());
    }
    EXPECT_NE(startDetachedProcess({ "/nonexistent/program" }).error.find("/nonexistent/program"), std::string::npos);
}

TEST(Process, EnvironmentAndWorkingFolderAreTheCallers)
{
    auto options = shell("printf '%s %s' \"$IKW_X\" \"$(pwd)\"");
    options.environment = std::vector<std::string> { "IKW_X=42", "PATH=/usr/bin:/bin" };
    options.workingDirectory = "/usr";
    EXPECT_EQ(runProcess(options).standardOutput, "42 /usr");
}

TEST(Process, FindExecutableSearchesThePath)
{
    EXPECT_EQ(findExecutable("sh", std::string_view("/nonexistent:/bin")), "/bin/sh");
    EXPECT_EQ(findExecutable("no-such-program-here", std::string_view("/bin:/usr/bin")), "");
}

}
}
