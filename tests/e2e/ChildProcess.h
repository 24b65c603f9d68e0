// Runs a program for a test with extra environment (an empty value removes a
// variable), its output in files, and a kill when the test ends first.
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
    ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                 const std::filesystem::path& outputDir);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Empty while the process still runs; a signal reports 128 + its number.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running() { return pid > 0 && !waitForExit(std::chrono::milliseconds(0)); }
    void sendSignal(int signalNumber);
    pid_t id() const { return pid; }
    std::string standardError() const;

private:
    pid_t pid = -1;
    std::optional<int> status;
    std::filesystem::path outputDir;
};

// The exit status, or -1 when the program is still running at the timeout.
int runToEnd(const std::vector<std::string>& argv);

} // namespace orbit::test
