// The saver scene's construction order, checked without GL by replaying the
// random draws on a twin generator: 31 ships' bolts (20 draws each) come
// before the star field, the seed comes after it, and the starship starts on
// satellite 0's orbit.
#include "scene/SaverScene.h"

#include "platform/MemoryResources.h"
#include "platform/SettingsStore.h"
#include "platform/SoundPlayer.h"
#include "platform/UserNotifier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace orbit {
namespace {

struct Services {
    RandomGenerator random;
    MemorySettingsStore settings;
    MemoryResources resources;
    RecordingNotifier notifier;
    RecordingSink diagnostics;
    RecordingSoundPlayer sound;
    SceneServices view() { return {random, settings, resources, notifier, diagnostics, sound}; }
};

class CountingSwapper final : public BufferSwapper {
public:
    void swapBuffers() override { ++swaps; }
    int swaps = 0;
};

constexpr int drawsBeforeStars = 31 * 20;

TEST(SaverScene, StarFieldFollowsTheBoltResetsAndIsTheSameEveryRun)
{
    Services a;
    Services b;
    const auto first = std::make_unique<SaverScene>(a.view(), 1000u);
    const auto second = std::make_unique<SaverScene>(b.view(), 987654u);

    RandomGenerator twin;
    for (int i = 0; i < drawsBeforeStars; ++i)
        twin.next();
    const auto& stars = first->starField().stars();
    for (int i = 0; i < 3; ++i) {
        const double latitude = static_cast<float>(twin.next() * (3.14 / 32767) - 1.57);
        const double longitude = twin.next() * (6.28 / 32767);
        const Star& star = stars[static_cast<std::size_t>(i)];
        EXPECT_NEAR(star.position.x, 300 * std::cos(longitude) * std::cos(latitude), 1e-9);
        EXPECT_NEAR(star.position.y, 300 * std::sin(latitude), 1e-9);
        EXPECT_NEAR(star.position.z, 300 * std::sin(longitude) * std::cos(latitude), 1e-9);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(star.brightness[static_cast<std::size_t>(k)], twin.next() / 32767.0f);
    }
    for (std::size_t i = 0; i < stars.size(); ++i) {
        ASSERT_NEAR(length(stars[i].position), 300.0, 1e-9);
        ASSERT_EQ(stars[i].position.x, second->starField().stars()[i].position.x);
    }
    EXPECT_EQ(stars.size(), 3000u);
}

TEST(SaverScene, SeedsAfterTheStarsAndStartsTheStarshipOnSatelliteZero)
{
    Services services;
    services.settings.writeInt(settings::section, settings::satCountKey, 5);
    const auto scene = std::make_unique<SaverScene>(services.view(), 4242u);

    RandomGenerator twin;
    twin.seed(4242u);
    for (int i = 0; i < 5; ++i) {
        FlyingObject expected;
        expected.randomize(twin);
        const Satellite& satellite = scene->satellite(i);
        EXPECT_EQ(satellite.position.x, expected.position.x) << i;
        EXPECT_EQ(satellite.latitude, expected.latitude) << i;
        EXPECT_EQ(satellite.rollStep, expected.rollStep) << i;
    }
    for (int i = 5; i < SaverScene::satellitePoolSize; ++i)
        EXPECT_EQ(scene->satellite(i).radius, 0.0) << "satellite " << i << " was randomized";

    const SceneModel& ship = scene->sceneModel();
    const Satellite& zero = scene->satellite(0);
    EXPECT_EQ(ship.position.x, zero.position.x);
    EXPECT_EQ(ship.position.y, zero.position.y);
    EXPECT_EQ(ship.position.z, zero.position.z);
    EXPECT_EQ(ship.latitude, zero.latitude);
    EXPECT_EQ(ship.longitude, zero.longitude);
    EXPECT_EQ(ship.radius, zero.radius);
    EXPECT_EQ(ship.latitudeStep, zero.latitudeStep);
    EXPECT_EQ(ship.longitudeStep, zero.longitudeStep);
    EXPECT_EQ(ship.roll, zero.roll);
    EXPECT_EQ(ship.rollStep, zero.rollStep);
    // The rest keeps the starship's own values.
    EXPECT_EQ(ship.delta.x, 0.0);
    EXPECT_EQ(ship.previousPosition.x, 0.0);
    EXPECT_TRUE(ship.effects.soundSource);
    EXPECT_TRUE(ship.effects.soundEnabled);
    EXPECT_TRUE(scene->shared().builtInSceneInUse);
}

TEST(SaverScene, SatelliteCountIsClampedToOneToTen)
{
    struct Row {
        const char* stored;
        int expected;
    };
    const Row rows[] = {{nullptr, 3}, {"0", 1}, {"-4", 1}, {"1", 1}, {"7", 7}, {"10", 10}, {"11", 10},
                        {"99999999999", 10}, {"abc", 3}};
    for (const Row& row : rows) {
        Services services;
        if (row.stored)
            services.settings.writeString(settings::section, settings::satCountKey, row.stored);
        const auto scene = std::make_unique<SaverScene>(services.view(), 1u);
        EXPECT_EQ(scene->satelliteCount(), row.expected) << (row.stored ? row.stored : "(absent)");
        for (int i = 0; i < SaverScene::satellitePoolSize; ++i)
            EXPECT_EQ(scene->satellite(i).radius > 0.0, i < row.expected) << "satellite " << i;
    }
}

TEST(SaverScene, FireSettingReachesEveryShip)
{
    Services services;
    services.settings.writeInt(settings::section, settings::fireKey, 0);
    const auto scene = std::make_unique<SaverScene>(services.view(), 1u);
    EXPECT_FALSE(scene->sceneModel().effects.soundEnabled);
    for (int i = 0; i < SaverScene::satellitePoolSize; ++i)
        EXPECT_FALSE(scene->satellite(i).effects.soundEnabled);
}

TEST(SaverScene, NoFrameWithoutSetUp)
{
    Services services;
    const auto scene = std::make_unique<SaverScene>(services.view(), 1u);
    CountingSwapper swapper;
    const Vec3 before = scene->sceneModel().position;
    EXPECT_FALSE(scene->drawFrame(swapper));
    scene->timerTick(swapper);
    EXPECT_EQ(swapper.swaps, 0);
    EXPECT_EQ(scene->sceneModel().position.x, before.x);
}

TEST(SaverScene, MarkerKeysNudgeByATenthPerTickWhileHeld)
{
    struct Row {
        ControlKey key;
        Vec3 expected; // after three ticks from (0, 0, -2)
    };
    const Row rows[] = {
        {ControlKey::S, {-0.3, 0, -2}}, {ControlKey::F, {0.3, 0, -2}},  {ControlKey::W, {0, -0.3, -2}},
        {ControlKey::R, {0, 0.3, -2}},  {ControlKey::E, {0, 0, -2.3}}, {ControlKey::D, {0, 0, -1.7}},
        {ControlKey::Z, {0, 0, -2}},
    };
    for (const Row& row : rows) {
        Services services;
        const auto scene = std::make_unique<SaverScene>(services.view(), 1u);
        CountingSwapper swapper;
        scene->setKey(row.key, true);
        for (int tick = 0; tick < 3; ++tick)
            scene->timerTick(swapper);
        scene->setKey(row.key, false);
        scene->timerTick(swapper);
        const Vec3 marker = scene->markerPoint();
        EXPECT_NEAR(marker.x, row.expected.x, 1e-12);
        EXPECT_NEAR(marker.y, row.expected.y, 1e-12);
        EXPECT_NEAR(marker.z, row.expected.z, 1e-12);
    }
}

} // namespace
} // namespace orbit
