// Runs a program for a test: spawned with extra environment variables, its
// standard output and error going to files, waited for with a timeout, and
// killed when the test ends without it having exited.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace orbit::test {

class ChildProcess {
public:
    // argv[0] is the program path. env entries are set (or replaced) on top of
    // the test's own environment; an empty value removes the variable.
    ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                 const std::filesystem::path& outputDir);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid > 0; }
    // The exit status once the process has ended within timeout; empty while
    // it still runs. A process ended by a signal reports 128 + the signal.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running();
    void sendSignal(int signalNumber);
    std::string standardError() const;

private:
    pid_t pid = -1;
    std::optional<int> status;
    std::filesystem::path stderrPath;
};

// Runs argv to its end (at most timeout) and returns its exit status, or -1.
int runToEnd(const std::vector<std::string>& argv, std::chrono::milliseconds timeout = std::chrono::seconds(10));

} // namespace orbit::test
