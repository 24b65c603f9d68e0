// Starship drawing and effects. drawEffects handles each bolt in one order:
// place a freshly spawned bolt, move it (its update), then age and draw it
// (stepShot), so a bolt appears on the frame after it came alive, already one
// step along its path.
#include "SceneModel.h"

#include "EffectPainter.h"
#include "ShotSound.h"

#include "model3ds/SceneLoading.h"
#include "platform/SettingsStore.h"

#include <GL/gl.h>

namespace orbit {

namespace {
constexpr double modelOffsetZ = 1.0; // the model's origin sits one unit behind the object
constexpr float modelShininess = 128.0f;
} // namespace

SceneModel::SceneModel(RandomGenerator& random, SettingsStore& settings)
    : effects(random, settings::shotSoundEnabled(settings))
{
}

SceneModel::~SceneModel() = default;

void SceneModel::draw() const
{
    glTranslated(0.0, 0.0, modelOffsetZ);
    glEnable(GL_NORMALIZE);
    glScaled(modelScale, modelScale, modelScale);
    glPushMatrix();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMaterialf(GL_FRONT, GL_SHININESS, modelShininess);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    if (model)
        model->drawList();
    glPopAttrib();
    glPopMatrix();
}

void SceneModel::takeModel(LoadedModel loaded)
{
    model = std::move(loaded.model);
    modelSize = loaded.modelSize;
    modelScale = loaded.modelScale;
}

void SceneModel::releaseModel() { model.reset(); }

bool SceneModel::playShotSound(const ShotSound& sound) const { return sound.play(); }

void SceneModel::placeSpawnedBolt(Shot& bolt, const ShotSound& sound)
{
    if (effects.soundSource && effects.soundEnabled)
        playShotSound(sound);
    double speed = length(delta);
    if (speed == 0.0)
        speed = restingSpeed;
    bolt.position = position;
    bolt.spin = static_cast<float>(roll);
    bolt.gun = effects.nextGun;
    effects.nextGun = (effects.nextGun + 1) % ShipEffects::gunCount;
    bolt.delta = delta / speed;
    bolt.position = bolt.position + bolt.delta * spawnDistance;
    bolt.spawned = false;
}

void SceneModel::drawEffects(RandomGenerator& random, EffectPainter& painter, const ShotSound& sound)
{
    painter.drawFlames(*this, effects.flames);
    for (int i = 0; i < effects.shotCount; ++i) {
        Shot& bolt = effects.shots[static_cast<std::size_t>(i)];
        if (bolt.spawned)
            placeSpawnedBolt(bolt, sound);
        bolt.update(random);
        if (const auto alpha = bolt.stepShot(random))
            painter.drawBolt(bolt, *alpha);
    }
}

} // namespace orbit
