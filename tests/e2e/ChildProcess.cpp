// Waits poll with WNOHANG so a test never blocks on a program that hangs.
#include "ChildProcess.h"

#include "tests/support/TestFiles.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orbit::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                           const std::filesystem::path& outputDir)
    : outputDir(outputDir)
{
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (std::string& arg : args)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    const std::string stdoutFile = (outputDir / "stdout.txt").string();
    const std::string stderrFile = (outputDir / "stderr.txt").string();
    pid = fork();
    if (pid != 0)
        return;
    for (const auto& [name, value] : env)
        value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
    dup2(open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    execvp(pointers[0], pointers.data());
    _exit(127);
}

ChildProcess::~ChildProcess()
{
    if (pid > 0 && !status) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!status && pid > 0) {
        int waitStatus = 0;
        if (waitpid(pid, &waitStatus, WNOHANG) == pid)
            status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
        else if (std::chrono::steady_clock::now() >= deadline)
            break;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return status;
}

void ChildProcess::sendSignal(int signalNumber)
{
    if (running())
        kill(pid, signalNumber);
}

std::string ChildProcess::standardError() const
{
    const std::vector<std::uint8_t> bytes = readFileBytes(outputDir / "stderr.txt");
    return {bytes.begin(), bytes.end()};
}

int runToEnd(const std::vector<std::string>& argv)
{
    ScratchDir scratch("run");
    ChildProcess child(argv, {}, scratch.path());
    return child.waitForExit(std::chrono::seconds(10)).value_or(-1);
}

} // namespace orbit::test
