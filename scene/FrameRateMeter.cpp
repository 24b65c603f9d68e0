#include "FrameRateMeter.h"

#include <algorithm>
#include <cstdio>

namespace orbit {

namespace {
constexpr double largestShown = 9999.9;
}

FrameRateMeter::FrameRateMeter() { formatLines(); }

void FrameRateMeter::frame(double nowSeconds, double cpuSeconds)
{
    if (!started || nowSeconds < periodStart || cpuSeconds < periodCpuStart) {
        started = true;
        periodStart = nowSeconds;
        periodCpuStart = cpuSeconds;
        frames = 0;
        return;
    }
    ++frames;
    const double elapsed = nowSeconds - periodStart;
    if (elapsed < periodSeconds)
        return;
    rate = std::min(largestShown, frames / elapsed);
    cpuMs = std::min(largestShown, (cpuSeconds - periodCpuStart) * 1000.0 / frames);
    measured = true;
    periodStart = nowSeconds;
    periodCpuStart = cpuSeconds;
    frames = 0;
    formatLines();
}

std::string_view FrameRateMeter::line(int index) const
{
    if (index < 0 || index >= lineCount)
        return {};
    return std::string_view(lines[static_cast<std::size_t>(index)].data());
}

void FrameRateMeter::formatLines()
{
    if (measured) {
        std::snprintf(lines[0].data(), lines[0].size(), "FPS: %.1f", rate);
        std::snprintf(lines[1].data(), lines[1].size(), "CPU: %.1f ms", cpuMs);
    } else {
        std::snprintf(lines[0].data(), lines[0].size(), "FPS: --");
        std::snprintf(lines[1].data(), lines[1].size(), "CPU: -- ms");
    }
}

} // namespace orbit
