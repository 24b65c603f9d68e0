// Immediate-mode flame fan: 3 planes x 3 quads per flame, 36 quads for four.
#include "EngineFlame.h"

#include <GL/gl.h>

namespace orbit {

namespace {
constexpr float ninth = 1.0f / 9.0f;
constexpr double halfWidth = 0.06;
constexpr double quadLengths[] = {0.5, 0.45, 0.4};
constexpr double fanStepDeg = 60.0;
} // namespace

void EngineFlame::drawFlame(Vec3 at, unsigned fireTexture) const
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, fireTexture);
    glPushMatrix();
    glTranslated(at.x, at.y, at.z);
    glDisable(GL_LIGHTING);
    for (int plane = 0; plane < 3; ++plane) {
        glBegin(GL_QUADS);
        glColor4f(1.0f, 1.0f, 1.0f, ninth);
        for (double quadLength : quadLengths) {
            glTexCoord2d(0, 1);
            glVertex3d(0, halfWidth, quadLength);
            glTexCoord2d(1, 1);
            glVertex3d(0, -halfWidth, quadLength);
            glTexCoord2d(1, 0);
            glVertex3d(0, -halfWidth, 0);
            glTexCoord2d(0, 0);
            glVertex3d(0, halfWidth, 0);
        }
        glEnd();
        glRotated(fanStepDeg, 0.0, 0.0, 1.0);
    }
    glPopMatrix();
    glEnable(GL_LIGHTING);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

} // namespace orbit
