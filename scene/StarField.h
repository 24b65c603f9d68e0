// The background stars: 3000 points on a sphere of radius 300 around the
// camera, each with three stored brightness values of which the frame uses only
// the first, as a grey level. Generated before the generator is seeded, so the
// sky is the same in every run.
#pragma once

#include "Vec3.h"

#include <array>

namespace orbit {

class RandomGenerator;

struct Star {
    Vec3 position;                    // scene units, on the sphere of radius skyRadius
    std::array<float, 3> brightness{}; // 0..1; [0] is the grey level drawn
};

class StarField {
public:
    // Exactly the stars that are drawn are stored: the sky has no spare slots.
    static constexpr int starCount = 3000;
    static constexpr double skyRadius = 300.0;

    // Five draws per star, in star order: latitude, longitude, three brightnesses.
    void generate(RandomGenerator& random);
    // One GL_POINTS block per star in its grey (GL current, lighting off).
    void draw() const;

    const std::array<Star, starCount>& stars() const { return field; }

private:
    std::array<Star, starCount> field{};
};

} // namespace orbit
