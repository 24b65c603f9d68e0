// A test hook: when $ORBIT_PATROL_TICK_LOG names a file, every frame tick
// appends one line with the monotonic time in microseconds, so a test can
// measure the frame period of the real program.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace orbit {

class TickLog {
public:
    // Opens path for appending; isOpen() tells whether that worked.
    explicit TickLog(const std::string& path);
    bool isOpen() const { return file != nullptr; }
    void record();

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file;
};

} // namespace orbit
