// Bolt motion and life. The random factors are single-precision constants and
// the results are truncated towards zero, which keeps delay in 20..170 and
// lifetime in 10..20 for every draw in 0..32767.
#include "Shot.h"

#include "platform/RandomGenerator.h"

#include <GL/gl.h>

namespace orbit {

namespace {
constexpr float delayFactor = 150.0f / 32767.0f;
constexpr float lifetimeFactor = 10.0f / 32767.0f;
constexpr float faintestAlpha = 0.0001f;
} // namespace

void Shot::draw() const
{
    const GLfloat diffuse[] = {0.6f, 0.7f, 0.5f, 1.0f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
}

void Shot::update(RandomGenerator&)
{
    previousPosition = position;
    placeOnOrbit();
    headFromDelta();
}

void Shot::placeOnOrbit() { position = position - delta * flightSpeed; }

void Shot::resetShot(RandomGenerator& random)
{
    alive = false;
    spawned = false;
    age = 0;
    delay = 20 + static_cast<int>(random.next() * delayFactor);
    lifetime = 10 + static_cast<int>(random.next() * lifetimeFactor);
    gun = 0;
    spin = 0.0f;
}

std::optional<float> Shot::stepShot(RandomGenerator& random)
{
    ++age;
    if (alive && age > lifetime) {
        resetShot(random);
        return std::nullopt;
    }
    if (alive) {
        float alpha = 1.0f - static_cast<float>(age) / static_cast<float>(lifetime);
        if (alpha < faintestAlpha)
            alpha = 0.0f;
        return alpha;
    }
    if (age > delay) {
        age = 0;
        alive = true;
        spawned = true;
    }
    return std::nullopt;
}

} // namespace orbit
