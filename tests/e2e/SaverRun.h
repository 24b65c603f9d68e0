// One run of the real orbit-patrol program for an end-to-end test: a scratch
// configuration folder (so the user's settings are never touched, and a test
// can write its own), an optional tick log, and the X display to look at it.
#pragma once

#include "ChildProcess.h"
#include "X11TestDisplay.h"

#include "tests/support/TestFiles.h"

#include <memory>

namespace orbit::test {

inline std::string saverProgram() { return std::string(ORBIT_BINARY_DIR) + "/orbit-patrol"; }

class SaverRun {
public:
    SaverRun() : scratch("e2e") {}

    // Writes $XDG_CONFIG_HOME/Torvo/orbit-patrol.ini with text.
    void writeSettings(const std::string& text)
    {
        std::filesystem::create_directories(settingsFile().parent_path());
        writeFileBytes(settingsFile(), {text.begin(), text.end()});
    }
    std::filesystem::path settingsFile() const { return scratch.path() / "config" / "Torvo" / "orbit-patrol.ini"; }
    std::filesystem::path tickLogFile() const { return scratch.path() / "ticks.log"; }

    ChildProcess& start(const std::vector<std::string>& switches,
                        std::map<std::string, std::string> extraEnv = {})
    {
        std::vector<std::string> argv{saverProgram()};
        argv.insert(argv.end(), switches.begin(), switches.end());
        extraEnv["XDG_CONFIG_HOME"] = (scratch.path() / "config").string();
        extraEnv["ORBIT_PATROL_TICK_LOG"] = tickLogFile().string();
        // Qt warns on stderr without a runtime folder; the tests read stderr.
        const std::filesystem::path runtime = scratch.path() / "runtime";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        extraEnv["XDG_RUNTIME_DIR"] = runtime.string();
        process = std::make_unique<ChildProcess>(argv, extraEnv, scratch.path());
        return *process;
    }
    ChildProcess& child() { return *process; }

    // Tick times in microseconds from the program's tick log.
    std::vector<long long> ticks() const
    {
        std::vector<long long> times;
        const std::vector<std::uint8_t> bytes = readFileBytes(tickLogFile());
        std::string line;
        for (std::uint8_t byte : bytes) {
            if (byte == '\n') {
                times.push_back(std::stoll(line));
                line.clear();
            } else {
                line += static_cast<char>(byte);
            }
        }
        return times;
    }

    X11TestDisplay x;

private:
    ScratchDir scratch;
    std::unique_ptr<ChildProcess> process;
};

} // namespace orbit::test
