// posix_spawn with redirected output; waits poll with WNOHANG so a test never
// blocks on a program that hangs.
#include "ChildProcess.h"

#include "tests/support/TestFiles.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace orbit::test {

namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& changes)
{
    std::vector<std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        if (!changes.contains(name))
            merged.push_back(text);
    }
    for (const auto& [name, value] : changes) {
        if (!value.empty())
            merged.push_back(name + "=" + value);
    }
    return merged;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

int statusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return -1;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                           const std::filesystem::path& outputDir)
    : stderrPath(outputDir / "stderr.txt")
{
    std::vector<std::string> args = argv;
    std::vector<std::string> environment = mergedEnvironment(env);
    std::vector<char*> argPointers = pointersTo(args);
    std::vector<char*> envPointers = pointersTo(environment);
    const std::string stdoutFile = (outputDir / "stdout.txt").string();
    const std::string stderrFile = stderrPath.string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argPointers.data(), envPointers.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess()
{
    if (pid > 0 && !status) {
        kill(pid, SIGKILL);
        int waitStatus = 0;
        waitpid(pid, &waitStatus, 0);
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    if (status || pid <= 0)
        return status;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int waitStatus = 0;
        if (waitpid(pid, &waitStatus, WNOHANG) == pid) {
            status = statusOf(waitStatus);
            return status;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool ChildProcess::running() { return pid > 0 && !waitForExit(std::chrono::milliseconds(0)); }

void ChildProcess::sendSignal(int signalNumber)
{
    if (running())
        kill(pid, signalNumber);
}

std::string ChildProcess::standardError() const
{
    const std::vector<std::uint8_t> bytes = readFileBytes(stderrPath);
    return {bytes.begin(), bytes.end()};
}

int runToEnd(const std::vector<std::string>& argv, std::chrono::milliseconds timeout)
{
    ScratchDir scratch("run");
    ChildProcess child(argv, {}, scratch.path());
    return child.waitForExit(timeout).value_or(-1);
}

} // namespace orbit::test
