// Star placement: the latitude is held as a float (it was declared so), which
// rounds it slightly before the cosines; longitude stays double.
#include "StarField.h"

#include "platform/RandomGenerator.h"

#include <GL/gl.h>

#include <cmath>

namespace orbit {

void StarField::generate(RandomGenerator& random)
{
    for (Star& star : field) {
        const float latitude = static_cast<float>(random.next() * (3.14 / 32767) - 1.57);
        const double longitude = random.next() * (6.28 / 32767);
        // The float latitude widens to double before the cosines (C's cos and sin).
        const double lat = latitude;
        star.position = {skyRadius * std::cos(longitude) * std::cos(lat), skyRadius * std::sin(lat),
                         skyRadius * std::sin(longitude) * std::cos(lat)};
        for (float& value : star.brightness)
            value = static_cast<float>(random.next()) / 32767.0f;
    }
}

void StarField::draw() const
{
    for (const Star& star : field) {
        const float grey = star.brightness[0];
        glBegin(GL_POINTS);
        glColor3f(grey, grey, grey);
        glVertex3d(star.position.x, star.position.y, star.position.z);
        glEnd();
    }
}

} // namespace orbit
