// The fire spread reads cells below the one it writes (rows y-1 and y-2) and the
// cell itself, so running the rows from the top down makes every read see the
// previous step's state without a second buffer.
#include "FireGenerator.h"

#include "platform/RandomGenerator.h"

#include <algorithm>

namespace orbit {

namespace {
constexpr int seedTop = 156;
constexpr int seedRange = 100;
constexpr int cooling = 5;

std::uint8_t clampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }
} // namespace

std::array<std::uint8_t, 3> FireGenerator::rampColour(int i)
{
    return {clampByte(4 * i - 769), clampByte(4 * i - 513), clampByte(4 * i - 257)};
}

FireGenerator::FireGenerator()
{
    for (int i = 0; i < 256; ++i)
        ramp[static_cast<std::size_t>(i)] = rampColour(i);
}

void FireGenerator::initialise(RandomGenerator& random)
{
    for (int i = 0; i < 256; ++i)
        ramp[static_cast<std::size_t>(i)] = rampColour(i);
    grid.fill(0);
    pixels.fill(0);
    seed(random);
}

void FireGenerator::seed(RandomGenerator& random)
{
    for (int x = 2; x <= width - 3; ++x)
        grid[index(x, 0)] = static_cast<std::uint8_t>(seedTop - random.next() * seedRange / RandomGenerator::maxValue);
}

int FireGenerator::value(int x, int y) const
{
    if (x < 0 || x > width - 1)
        return 0;
    return grid[index(x, std::clamp(y, 0, height - 1))];
}

void FireGenerator::step(RandomGenerator& random)
{
    seed(random);
    for (int y = height - 1; y >= 1; --y) {
        for (int x = 0; x < width; ++x) {
            int v = (value(x - 1, y - 2) + 2 * value(x, y - 1) + value(x, y) + value(x + 1, y - 2)) / 5;
            if (v > cooling)
                v -= cooling;
            grid[index(x, y)] = static_cast<std::uint8_t>(v);
        }
    }
}

void FireGenerator::colour()
{
    for (int y = 3; y <= height - 2; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto& rgb = ramp[grid[index(x, y)]];
            std::copy(rgb.begin(), rgb.end(), pixels.begin() + ((y - 1) * width + x) * 3);
        }
    }
}

void FireGenerator::advance(RandomGenerator& random)
{
    for (int i = 0; i < stepsPerFrame; ++i)
        step(random);
    colour();
}

} // namespace orbit
