// The saver scene without GL: its construction order, seen through the random
// draws (31 ships' bolts take 20 draws each before the star field, the seed
// comes after it, the starship starts on satellite 0's orbit), the settings it
// reads, and the marker keys.
#include "scene/SaverScene.h"

#include "tests/support/RecordingSceneServices.h"

#include <gtest/gtest.h>

#include <memory>

namespace orbit {
namespace {

struct Services : test::RecordingSceneServices {
    std::unique_ptr<SaverScene> scene(std::uint32_t tick = 1u) { return std::make_unique<SaverScene>(services(), tick); }
};

class CountingSwapper final : public BufferSwapper {
public:
    void swapBuffers() override { ++swaps; }
    int swaps = 0;
};

TEST(SaverScene, StarFieldFollowsTheBoltResetsAndIsTheSameEveryRun)
{
    Services a, b;
    const auto first = a.scene(1000u);
    const auto second = b.scene(987654u);
    // Draws 621..625 of the unseeded generator: 12354, 15377, then 14885,
    // 22759, 22934; the latitude is rounded to float before the cosines.
    const Star& star = first->starField().stars()[0];
    EXPECT_NEAR(length(star.position - Vec3{-272.67109031, -112.98447236, 53.71206119}), 0.0, 1e-7);
    EXPECT_FLOAT_EQ(star.brightness[0], 14885.0f / 32767.0f);
    EXPECT_FLOAT_EQ(star.brightness[2], 22934.0f / 32767.0f);
    const auto& stars = first->starField().stars();
    for (std::size_t i = 0; i < stars.size(); ++i) {
        ASSERT_NEAR(length(stars[i].position), 300.0, 1e-9);
        ASSERT_EQ(stars[i].position.x, second->starField().stars()[i].position.x);
    }
}

TEST(SaverScene, SeedsAfterTheStarsRandomizesSatCountSatellitesAndStartsTheStarshipOnSatelliteZero)
{
    const std::pair<const char*, int> rows[] = {{nullptr, 3}, {"5", 5}, {"11", 10}};
    for (const auto& [stored, expectedCount] : rows) {
        Services services;
        if (stored)
            services.settings.writeString(settings::section, settings::satCountKey, stored);
        const auto scene = services.scene(4242u);
        EXPECT_EQ(scene->satelliteCount(), expectedCount);
        RandomGenerator twin;
        twin.seed(4242u);
        for (int i = 0; i < SaverScene::satellitePoolSize; ++i) {
            const Satellite& satellite = scene->satellite(i);
            if (i >= expectedCount) {
                EXPECT_EQ(satellite.radius, 0.0) << "satellite " << i << " was randomized";
                continue;
            }
            FlyingObject expected;
            expected.randomize(twin);
            EXPECT_EQ(satellite.position.x, expected.position.x) << i;
            EXPECT_EQ(satellite.rollStep, expected.rollStep) << i;
        }
        const SceneModel& ship = scene->sceneModel();
        const Satellite& zero = scene->satellite(0);
        for (auto field : {&FlyingObject::latitude, &FlyingObject::longitude, &FlyingObject::radius,
                           &FlyingObject::latitudeStep, &FlyingObject::longitudeStep, &FlyingObject::roll,
                           &FlyingObject::rollStep})
            EXPECT_EQ(ship.*field, zero.*field);
        EXPECT_EQ(length(ship.position - zero.position), 0.0);
        EXPECT_EQ(length(ship.delta), 0.0) << "the rest keeps the starship's own values";
        EXPECT_TRUE(ship.effects.soundSource);
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
        Services services;
        const auto scene = services.scene();
        const Vec3 shipBefore = scene->sceneModel().position;
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
        EXPECT_EQ(length(scene->sceneModel().position - shipBefore), 0.0);
    }
}

} // namespace
} // namespace orbit
