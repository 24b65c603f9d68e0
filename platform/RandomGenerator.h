// The process's pseudo-random generator with the C run-time's interface:
// integers 0..32767 from the ISO C sample generator. One object, owned by the
// application and passed by reference, so tests can seed it. Unseeded it starts
// from 1, as rand() does, which is what makes the star field the same each run.
#pragma once

#include <cstdint>

namespace orbit {

class RandomGenerator {
public:
    static constexpr int maxValue = 32767;

    void seed(std::uint32_t value) { state = value; }

    // Next value in 0..maxValue.
    int next()
    {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state / 65536u) % 32768u);
    }

private:
    std::uint32_t state = 1;
};

} // namespace orbit
