// The base of everything that flies: an orbit around the origin stepped once
// per frame, a heading derived from the frame-to-frame movement, a steady roll,
// and drawing with that placement. The family's virtual operations are the
// destructor, draw, respawnIfFar, update, moveTo, moveAlong, placeOnOrbit,
// drawOriented and drawAt. Fields are plain public data:
// the saver scene copies orbits between objects and tests set them directly.
// The random generator is passed in by reference wherever a draw can happen.
#pragma once

#include "Vec3.h"

namespace orbit {

class RandomGenerator;

class FlyingObject {
public:
    FlyingObject() = default;
    FlyingObject(const FlyingObject&) = default;
    FlyingObject& operator=(const FlyingObject&) = default;

    // Nothing to release.
    virtual ~FlyingObject() = default;
    // Draws the object in its own frame (GL current); the base draws nothing.
    virtual void draw() const {}
    // Randomize when position lies farther than respawnDistance from the origin.
    virtual void respawnIfFar(RandomGenerator& random);
    // One frame of orbit motion, heading and roll.
    virtual void update(RandomGenerator& random);
    // Jump to (x, y, z); heading from the jump; roll wrapped at 360.
    virtual void moveTo(double x, double y, double z);
    // Stand at (x, y, z) having come along (dx, dy, dz); roll wrapped to (-360, 360).
    virtual void moveAlong(double x, double y, double z, double dx, double dy, double dz);
    // Position from latitude, longitude and radius on the flight path.
    virtual void placeOnOrbit();
    // Draw with translation, heading and roll (GL current, matrix kept).
    virtual void drawOriented() const;
    // Draw translated only (GL current, matrix kept).
    virtual void drawAt() const;

    // A new random orbit, steps and roll: nine draws from random.
    void randomize(RandomGenerator& random);
    // headingAxis and headingAngle from delta; a zero delta keeps the old
    // heading, since it has no direction to point along.
    void headFromDelta();

    static constexpr double respawnDistance = 200.0;
    // The update's roll and orbit-angle wrap limit (one limit serves both).
    static constexpr double wrapLimit = 3600.0;

    Vec3 position;          // scene units
    Vec3 previousPosition;  // scene units, before the last move
    Vec3 delta;             // previousPosition - position: points backwards along the path
    double latitude = 0.0;  // radians
    double longitude = 0.0; // radians
    double radius = 0.0;    // scene units
    double latitudeStep = 0.0;  // radians per frame
    double longitudeStep = 0.0; // radians per frame
    double roll = 0.0;          // degrees about the object's own z axis
    double rollStep = 0.0;      // degrees per frame
    float headingAngle = 0.0f;  // degrees
    Vec3 headingAxis;           // rotation axis of the heading (z = 0)
};

// Where randomize puts an object for an orbit (no "1 +" term, unlike placeOnOrbit).
Vec3 orbitStartPoint(double latitudeRad, double longitudeRad, double radius);
// The flight path's point for an orbit: radius (1 + cos lat) cos lon, radius sin lat,
// radius cos lat sin lon.
Vec3 orbitPathPoint(double latitudeRad, double longitudeRad, double radius);

} // namespace orbit
