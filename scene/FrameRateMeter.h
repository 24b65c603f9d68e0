// The frame-rate overlay's figures: frames counted over periods of at least a
// second of wall time, giving the frame rate and the process's CPU time per
// frame, and the two text lines that show them. The figures change once per
// period, so the text is steady enough to read. Nothing here allocates.
#pragma once

#include <array>
#include <string_view>

namespace orbit {

class FrameRateMeter {
public:
    static constexpr double periodSeconds = 1.0;
    static constexpr int lineCount = 2;
    static constexpr std::size_t maxLineLength = 15;

    FrameRateMeter();

    // One frame drawn at wall time nowSeconds (monotonic), when the process
    // had used cpuSeconds of CPU time. The first call starts the first period;
    // a clock that goes back starts a new one.
    void frame(double nowSeconds, double cpuSeconds);

    bool hasFigures() const { return measured; }
    double framesPerSecond() const { return rate; }
    double cpuMsPerFrame() const { return cpuMs; }

    // "FPS: 99.8" and "CPU: 3.1 ms"; dashes for the figures until the first
    // period ends. Both figures are capped at 9999.9.
    std::string_view line(int index) const;

private:
    void formatLines();

    bool started = false;
    bool measured = false;
    double periodStart = 0.0;
    double periodCpuStart = 0.0;
    int frames = 0;
    double rate = 0.0;
    double cpuMs = 0.0;
    std::array<std::array<char, maxLineLength + 1>, lineCount> lines{};
};

} // namespace orbit
