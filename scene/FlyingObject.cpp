// Orbit motion of the flying objects. The random factors are single-precision
// constants (fractions of the generator's 32767), so the products are formed in
// float before they widen into the double fields; a seed then gives the same
// flight on every build. The orbit angles wrap at 3600 although they are in
// radians: the wrap only matters after hours of flight.
#include "FlyingObject.h"

#include "platform/RandomGenerator.h"

#include <GL/gl.h>

#include <cmath>

namespace orbit {

namespace {
constexpr float rollFactor = 360.0f / 32767.0f;
constexpr float rollStepFactor = 4.0f / 32767.0f;
constexpr float latitudeFactor = 3.14f / 32767.0f;
constexpr float longitudeFactor = 6.28f / 32767.0f;
constexpr float radiusFactor = 2.0f / 32767.0f;
constexpr float speedFactor = 0.5f / 32767.0f;
constexpr float stepFactor = 0.02f / 32767.0f;
constexpr double deltaScaleX = 0.05555555555555555; // 1/18
constexpr double deltaScaleYz = 0.05;               // 1/20

void stepRollWrapped(double& roll, double rollStep, double limit)
{
    roll += rollStep;
    if (roll >= limit)
        roll = 0.0;
    if (!(roll > 0.0))
        roll += limit;
}
} // namespace

Vec3 orbitStartPoint(double latitudeRad, double longitudeRad, double radius)
{
    return {radius * std::cos(latitudeRad) * std::cos(longitudeRad), radius * std::sin(latitudeRad),
            radius * std::cos(latitudeRad) * std::sin(longitudeRad)};
}

Vec3 orbitPathPoint(double latitudeRad, double longitudeRad, double radius)
{
    return {radius * (1.0 + std::cos(latitudeRad)) * std::cos(longitudeRad), radius * std::sin(latitudeRad),
            radius * std::cos(latitudeRad) * std::sin(longitudeRad)};
}

void FlyingObject::randomize(RandomGenerator& random)
{
    roll = random.next() * rollFactor;
    rollStep = 2 - random.next() * rollStepFactor;
    random.next(); // drawn and not used
    latitude = random.next() * latitudeFactor - 1.57;
    longitude = random.next() * longitudeFactor;
    radius = 20 - random.next() * radiusFactor;
    position = orbitStartPoint(latitude, longitude, radius);
    previousPosition = position;
    const float speed = static_cast<float>(random.next() * speedFactor + 0.5);
    latitudeStep = random.next() * stepFactor + 0.02;
    longitudeStep = random.next() * stepFactor + 0.02;
    delta = {speed * position.x * deltaScaleX, speed * position.y * deltaScaleYz, speed * position.z * deltaScaleYz};
}

void FlyingObject::headFromDelta()
{
    const double size = length(delta);
    if (!(size > 0.0))
        return;
    headingAxis = {delta.y, -delta.x, 0.0};
    double cosine = delta.z / size;
    if (cosine > 1.0)
        cosine = 1.0;
    if (cosine < -1.0)
        cosine = -1.0;
    headingAngle = static_cast<float>(std::acos(cosine) * degreesPerRadian);
}

void FlyingObject::respawnIfFar(RandomGenerator& random)
{
    if (length(position) > respawnDistance)
        randomize(random);
}

void FlyingObject::update(RandomGenerator& random)
{
    respawnIfFar(random);
    latitude += latitudeStep;
    if (latitude >= wrapLimit)
        latitude -= wrapLimit;
    longitude += longitudeStep;
    if (longitude >= wrapLimit)
        longitude -= wrapLimit;
    previousPosition = position;
    placeOnOrbit();
    delta = previousPosition - position;
    headFromDelta();
    stepRollWrapped(roll, rollStep, wrapLimit);
}

void FlyingObject::moveTo(double x, double y, double z)
{
    previousPosition = position;
    position = {x, y, z};
    delta = previousPosition - position;
    headFromDelta();
    stepRollWrapped(roll, rollStep, 360.0);
}

void FlyingObject::moveAlong(double x, double y, double z, double dx, double dy, double dz)
{
    position = {x, y, z};
    previousPosition = position - Vec3{dx, dy, dz};
    delta = previousPosition - position;
    headFromDelta();
    roll += rollStep;
    if (roll >= 360.0)
        roll -= 360.0;
    if (!(roll > -360.0))
        roll += 360.0;
}

void FlyingObject::placeOnOrbit() { position = orbitPathPoint(latitude, longitude, radius); }

void FlyingObject::drawOriented() const
{
    glPushMatrix();
    glTranslated(position.x, position.y, position.z);
    glRotated(-headingAngle, headingAxis.x, headingAxis.y, headingAxis.z);
    glRotated(roll, 0.0, 0.0, 1.0);
    draw();
    glPopMatrix();
}

void FlyingObject::drawAt() const
{
    glPushMatrix();
    glTranslated(position.x, position.y, position.z);
    draw();
    glPopMatrix();
}

} // namespace orbit
