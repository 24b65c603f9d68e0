// Flames and bolts in GL. A bolt is five quads 36 degrees apart about its own z
// axis, two units long, at its gun's offset; the alpha carries the fading.
#include "GlEffectPainter.h"

#include "ShipEffects.h"
#include "Shot.h"

#include <GL/gl.h>

namespace orbit {

namespace {
constexpr int boltQuads = 5;
constexpr double boltStepDeg = 36.0;
constexpr double boltHalfWidth = 0.12;
constexpr double boltHalfLength = 1.0;
} // namespace

void GlEffectPainter::drawFlames(const FlyingObject& ship, const std::array<EngineFlame, 4>& flames)
{
    glPushMatrix();
    glTranslated(ship.position.x, ship.position.y, ship.position.z);
    glRotated(-ship.headingAngle, ship.headingAxis.x, ship.headingAxis.y, ship.headingAxis.z);
    glRotated(ship.roll, 0.0, 0.0, 1.0);
    for (std::size_t i = 0; i < flames.size(); ++i)
        flames[i].drawFlame(ShipEffects::flamePositions[i], textures.fireTexture);
    glPopMatrix();
}

void GlEffectPainter::drawBolt(const Shot& bolt, float alpha)
{
    glPushMatrix();
    glTranslated(bolt.position.x, bolt.position.y, bolt.position.z);
    glRotated(-bolt.headingAngle, bolt.headingAxis.x, bolt.headingAxis.y, bolt.headingAxis.z);
    glRotated(bolt.spin, 0.0, 0.0, 1.0);
    const Vec3 gun = ShipEffects::gunOffset(bolt.gun);
    glTranslated(gun.x, gun.y, gun.z);

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, textures.flareTexture);
    glDisable(GL_LIGHTING);
    for (int quad = 0; quad < boltQuads; ++quad) {
        glBegin(GL_QUADS);
        glColor4f(1.0f, 1.0f, 1.0f, alpha);
        glTexCoord2d(0, 1);
        glVertex3d(0, boltHalfWidth, boltHalfLength);
        glTexCoord2d(1, 1);
        glVertex3d(0, -boltHalfWidth, boltHalfLength);
        glTexCoord2d(1, 0);
        glVertex3d(0, -boltHalfWidth, -boltHalfLength);
        glTexCoord2d(0, 0);
        glVertex3d(0, boltHalfWidth, -boltHalfLength);
        glEnd();
        glRotated(boltStepDeg, 0.0, 0.0, 1.0);
    }
    glEnable(GL_LIGHTING);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

} // namespace orbit
