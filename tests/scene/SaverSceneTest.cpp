// The saver scene without GL: its construction order, seen through the random
// draws (31 ships' bolts take 20 draws each before the star field, the seed
// comes after it, the starship starts on satellite 0's orbit), and the marker keys.
#include "scene/SaverScene.h"

#include "tests/support/RecordingSceneServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace orbit {
namespace {

class CountingSwapper final : public BufferSwapper {
public:
    void swapBuffers() override { ++swaps; }
    int swaps = 0;
};

TEST(SaverScene, StarsFollowTheBoltResetsThenTheSeedRandomizesSatCountSatellitesAndTheStarshipTakesSatelliteZero)
{
    for (const auto& [stored, count] : {std::pair<const char*, int>{nullptr, 3}, {"5", 5}}) {
        test::RecordingSceneServices services;
        if (stored)
            services.settings.writeString(settings::section, settings::satCountKey, stored);
        const auto scene = std::make_unique<const SaverScene>(services.services(), 4242u);
        // Draws 621..625 of the unseeded generator: 12354, 15377, then 14885,
        // 22759, 22934; the latitude is rounded to float before the cosines.
        const Star& star = scene->starField().stars()[0];
        EXPECT_NEAR(length(star.position - Vec3{-272.67109031, -112.98447236, 53.71206119}), 0.0, 1e-7);
        EXPECT_FLOAT_EQ(star.brightness[2], 22934.0f / 32767.0f);
        EXPECT_EQ(scene->satelliteCount(), count);
        RandomGenerator twin;
        twin.seed(4242u);
        for (int i = 0; i < SaverScene::satellitePoolSize; ++i) {
            FlyingObject expected;
            if (i < count)
                expected.randomize(twin);
            EXPECT_EQ(scene->satellite(i).position.x, expected.position.x) << i;
        }
        const SceneModel& ship = scene->sceneModel();
        const Satellite& zero = scene->satellite(0);
        EXPECT_EQ(std::tuple(ship.latitude, ship.longitude, ship.radius, ship.latitudeStep, ship.roll, ship.rollStep),
                  std::tuple(zero.latitude, zero.longitude, zero.radius, zero.latitudeStep, zero.roll, zero.rollStep));
        EXPECT_EQ(length(ship.position - zero.position), 0.0);
        EXPECT_EQ(length(ship.delta), 0.0) << "the rest keeps the starship's own values";
    }
}

TEST(SaverScene, MarkerKeysNudgeByATenthPerTickWhileHeldEvenBeforeSetUp)
{
    // Where the marker is after three ticks from (0, 0, -2).
    const std::pair<ControlKey, Vec3> rows[] = {
        {ControlKey::S, {-0.3, 0, -2}}, {ControlKey::F, {0.3, 0, -2}},  {ControlKey::W, {0, -0.3, -2}},
        {ControlKey::R, {0, 0.3, -2}},  {ControlKey::E, {0, 0, -2.3}}, {ControlKey::D, {0, 0, -1.7}},
        {ControlKey::Z, {0, 0, -2}}};
    for (const auto& [key, expected] : rows) {
        test::RecordingSceneServices services;
        const auto scene = std::make_unique<SaverScene>(services.services(), 1u);
        CountingSwapper swapper;
        scene->setKey(key, true);
        for (int tick = 0; tick < 3; ++tick)
            scene->timerTick(swapper);
        scene->setKey(key, false);
        scene->timerTick(swapper);
        EXPECT_NEAR(length(scene->markerPoint() - expected), 0.0, 1e-12);
        // Without set-up there is no GL context: no frame is drawn or presented.
        EXPECT_FALSE(scene->drawFrame(swapper));
        EXPECT_EQ(swapper.swaps, 0);
    }
}

} // namespace
} // namespace orbit
