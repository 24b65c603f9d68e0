// The starship: a flying object carrying the loaded 3DS model, four engine
// flames and ten laser bolts fired from four guns in turn. The model is owned
// here but deleted only by releaseModel (its GL objects need the context), as
// the saver window does on destroy.
#pragma once

#include "FlyingObject.h"
#include "ShipEffects.h"

#include <memory>

namespace orbit {

class EffectPainter;
class Model3ds;
class SettingsStore;
class ShotSound;
struct LoadedModel;

class SceneModel final : public FlyingObject {
public:
    // Constructs the effects (resetting bolts 0..9: twenty draws from random)
    // and reads "Fire" from settings for the sound flag.
    SceneModel(RandomGenerator& random, SettingsStore& settings);
    // The model must have been released (releaseModel) while its context was current.
    ~SceneModel() override;
    SceneModel(const SceneModel&) = delete;
    SceneModel& operator=(const SceneModel&) = delete;

    // Draws the model one unit behind the object's origin, scaled by modelScale,
    // in its own attribute scope (GL current). Without a model only the
    // placement is made.
    void draw() const override;

    // Takes the loader's result: model (may be null), modelSize, modelScale.
    void takeModel(LoadedModel loaded);
    // Deletes the model and its GL objects; call with the context current.
    void releaseModel();
    bool hasModel() const { return model != nullptr; }

    // One frame of effects after update and drawOriented: the flames, then
    // for each bolt in use placement (if just spawned, with the shot sound when
    // both flags allow), motion and life. Drawing goes to painter.
    void drawEffects(RandomGenerator& random, EffectPainter& painter, const ShotSound& sound);
    // Starts the shot sound; true when it started.
    bool playShotSound(const ShotSound& sound) const;

    // Distance of the bolt spawn point behind the ship, scene units.
    static constexpr double spawnDistance = 3.0;
    // Speed used when the ship did not move, so the bolt's direction stays finite.
    static constexpr double restingSpeed = 0.01;

    std::unique_ptr<Model3ds> model;
    double modelSize = 0.0;
    double modelScale = 0.0;
    ShipEffects effects;

private:
    void placeSpawnedBolt(Shot& bolt, const ShotSound& sound);
};

} // namespace orbit
