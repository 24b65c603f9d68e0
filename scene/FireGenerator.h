// The procedural fire: a 32 x 32 intensity grid seeded along its base with
// random heat, spread upwards and cooled a little each step, and coloured
// through a black-blue-white ramp into an RGB image. GL-free; the scene uploads
// image() as the fire texture every frame.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace orbit {

class RandomGenerator;

class FireGenerator {
public:
    static constexpr int width = 32;
    static constexpr int height = 32;
    static constexpr int stepsPerFrame = 7;

    FireGenerator();

    // Ramp, all intensities and image bytes to 0, then one seed.
    void initialise(RandomGenerator& random);
    // Columns 2..width-3 of row 0 get 156 - trunc(r * 100 / 32767), 56..156.
    void seed(RandomGenerator& random);
    // One step: seed, then spread every row from the top down to row 1.
    void step(RandomGenerator& random);
    // Rows 3..height-2 coloured into image rows y-1; image rows 0, 1,
    // height-2 and height-1 are never written.
    void colour();
    // A frame's worth: stepsPerFrame steps, then colour.
    void advance(RandomGenerator& random);

    // Intensity of column x (0..width-1) at height y above the base (0..height-1).
    std::uint8_t intensity(int x, int y) const { return grid[index(x, y)]; }
    void setIntensity(int x, int y, std::uint8_t value) { grid[index(x, y)] = value; }
    // The bordered read of the spread: 0 left and right of the grid, rows
    // below 0 read row 0, rows above height-1 read the top row.
    int value(int x, int y) const;

    // RGB bytes, rows of width pixels (96 bytes) one after the other, row 0 first.
    std::span<const std::uint8_t> image() const { return pixels; }
    // Ramp entry i (0..255): (clamp(4i-769), clamp(4i-513), clamp(4i-257)).
    static std::array<std::uint8_t, 3> rampColour(int i);

private:
    static std::size_t index(int x, int y) { return static_cast<std::size_t>(x * height + y); }

    std::array<std::uint8_t, width * height> grid{};
    std::array<std::array<std::uint8_t, 3>, 256> ramp{};
    std::array<std::uint8_t, width * height * 3> pixels{};
};

} // namespace orbit
