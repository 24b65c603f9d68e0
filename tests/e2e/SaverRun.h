// One run of the real orbit-patrol program: a scratch configuration folder (the
// user's settings are never touched) and the X display.
#pragma once

#include "ChildProcess.h"
#include "X11TestDisplay.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>

namespace orbit::test {

using namespace std::chrono_literals;

class SaverRun {
public:
    void writeSettings(const std::string& text)
    {
        std::filesystem::create_directories(settingsFile().parent_path());
        writeFileBytes(settingsFile(), {text.begin(), text.end()});
    }
    std::string settings() const
    {
        const std::vector<std::uint8_t> bytes = readFileBytes(settingsFile());
        return {bytes.begin(), bytes.end()};
    }
    std::filesystem::path settingsFile() const { return scratch.path() / "config" / "Torvo" / "orbit-patrol.ini"; }

    ChildProcess& start(const std::vector<std::string>& switches, std::map<std::string, std::string> env = {})
    {
        std::vector<std::string> argv{std::string(ORBIT_BINARY_DIR) + "/orbit-patrol"};
        argv.insert(argv.end(), switches.begin(), switches.end());
        env["XDG_CONFIG_HOME"] = (scratch.path() / "config").string();
        // Qt warns on stderr without a runtime folder; the tests read stderr.
        const std::filesystem::path runtime = scratch.path() / "runtime";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        env["XDG_RUNTIME_DIR"] = runtime.string();
        process = std::make_unique<ChildProcess>(argv, env, scratch.path());
        return *process;
    }
    ChildProcess& child() { return *process; }

    void expectExit(int want, std::chrono::milliseconds timeout = 5s)
    {
        EXPECT_EQ(process->waitForExit(timeout), std::optional<int>(want)) << process->standardError();
    }

    X11TestDisplay x;

private:
    ScratchDir scratch{"e2e"};
    std::unique_ptr<ChildProcess> process;
};

} // namespace orbit::test
