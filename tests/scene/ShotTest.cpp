// Bolt lives and the starship's effects without GL: a recording painter takes
// the place of the GL one, so the fading, the gun order, the placement behind
// the ship and the shot sound's conditions are checked frame by frame.
#include "scene/SceneModel.h"
#include "scene/EffectPainter.h"
#include "scene/Satellite.h"
#include "scene/ShotSound.h"

#include "platform/MemoryResources.h"
#include "platform/RandomGenerator.h"
#include "platform/SettingsStore.h"
#include "platform/SoundPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace orbit {
namespace {

struct BoltDraw {
    int shotIndex;
    int gun;
    float alpha;
    Vec3 position;
};

class RecordingPainter final : public EffectPainter {
public:
    explicit RecordingPainter(const SceneModel* ship = nullptr) : ship(ship) {}
    void drawFlames(const FlyingObject&, const std::array<EngineFlame, 4>&) override { ++flameFans; }
    void drawBolt(const Shot& bolt, float alpha) override
    {
        const int index = ship ? static_cast<int>(&bolt - ship->effects.shots.data()) : -1;
        bolts.push_back({index, bolt.gun, alpha, bolt.position});
    }
    const SceneModel* ship;
    int flameFans = 0;
    std::vector<BoltDraw> bolts;
};

TEST(Shot, ResetDrawsDelayThenLifetimeWithinTheirRanges)
{
    RandomGenerator random;
    random.seed(77);
    RandomGenerator twin;
    twin.seed(77);
    for (int i = 0; i < 2000; ++i) {
        Shot bolt;
        bolt.alive = true;
        bolt.spawned = true;
        bolt.age = 9;
        bolt.gun = 3;
        bolt.spin = 12.0f;
        bolt.resetShot(random);
        const int r1 = twin.next(), r2 = twin.next();
        EXPECT_EQ(bolt.delay, 20 + static_cast<int>(r1 * 150.0f / 32767.0f));
        EXPECT_EQ(bolt.lifetime, 10 + static_cast<int>(r2 * 10.0f / 32767.0f));
        ASSERT_GE(bolt.delay, 20);
        ASSERT_LE(bolt.delay, 170);
        ASSERT_GE(bolt.lifetime, 10);
        ASSERT_LE(bolt.lifetime, 20);
        EXPECT_FALSE(bolt.alive);
        EXPECT_FALSE(bolt.spawned);
        EXPECT_EQ(bolt.age, 0);
        EXPECT_EQ(bolt.gun, 0);
        EXPECT_EQ(bolt.spin, 0.0f);
    }
}

TEST(Shot, LifetimeTenBoltIsDrawnOnTenFramesFadingToZeroThenReset)
{
    RandomGenerator random;
    Shot bolt;
    bolt.delay = 25;
    bolt.lifetime = 10;
    // Waits delay + 1 frames: nothing drawn, comes alive on the last one.
    for (int frame = 1; frame <= 26; ++frame) {
        EXPECT_FALSE(bolt.stepShot(random).has_value()) << "waiting frame " << frame;
        EXPECT_EQ(bolt.alive, frame == 26) << "frame " << frame;
    }
    EXPECT_TRUE(bolt.spawned);
    EXPECT_EQ(bolt.age, 0);
    const float expected[] = {0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f, 0.0f};
    for (float alpha : expected) {
        const auto drawn = bolt.stepShot(random);
        ASSERT_TRUE(drawn.has_value());
        EXPECT_NEAR(*drawn, alpha, 1e-6f);
    }
    EXPECT_EQ(bolt.stepShot(random), std::nullopt) << "the 11th frame resets";
    EXPECT_FALSE(bolt.alive);
    EXPECT_GE(bolt.delay, 20);
    EXPECT_GE(bolt.lifetime, 10);
}

TEST(Shot, FliesForwardsTwoAndAHalfUnitsPerFrame)
{
    RandomGenerator random;
    Shot bolt;
    bolt.position = {1.0, 2.0, 3.0};
    bolt.delta = {0.0, 0.0, 1.0}; // backwards along the path is +z
    bolt.update(random);
    EXPECT_DOUBLE_EQ(bolt.position.z, 0.5);
    EXPECT_DOUBLE_EQ(bolt.previousPosition.z, 3.0);
    EXPECT_DOUBLE_EQ(bolt.delta.z, 1.0) << "delta keeps its spawn value";
    EXPECT_FLOAT_EQ(bolt.headingAngle, 0.0f);
    bolt.update(random);
    EXPECT_DOUBLE_EQ(bolt.position.z, -2.0);
}

class StarshipEffects : public ::testing::Test {
protected:
    StarshipEffects()
    {
        resources.add("WAVE", ShotSound::waveResourceId, std::vector<std::uint8_t>(64, 0x52));
    }
    MemoryResources resources;
    MemorySettingsStore settings;
    RecordingSoundPlayer player;
    RandomGenerator random;
};

// Runs frames of the starship's motion and effects, collecting every placement.
struct Placement {
    int frame;
    int shotIndex;
    int gun;
};

std::vector<Placement> runFrames(SceneModel& ship, RandomGenerator& random, RecordingPainter& painter,
                                 const ShotSound& sound, int frames)
{
    std::vector<Placement> placements;
    for (int frame = 0; frame < frames; ++frame) {
        std::vector<int> spawned;
        for (int i = 0; i < ship.effects.shotCount; ++i)
            if (ship.effects.shots[static_cast<std::size_t>(i)].spawned)
                spawned.push_back(i);
        ship.update(random);
        ship.drawEffects(random, painter, sound);
        for (int i : spawned)
            placements.push_back({frame, i, ship.effects.shots[static_cast<std::size_t>(i)].gun});
    }
    return placements;
}

TEST_F(StarshipEffects, GunsTakeTurnsAndEveryPlacementStartsTheSound)
{
    SceneModel ship(random, settings);
    ship.randomize(random);
    ship.effects.soundSource = true;
    const ShotSound sound(resources, player);
    RecordingPainter painter(&ship);
    const auto placements = runFrames(ship, random, painter, sound, 600);
    ASSERT_GE(placements.size(), 12u);
    for (std::size_t i = 0; i < placements.size(); ++i)
        EXPECT_EQ(placements[i].gun, static_cast<int>(i % 4)) << "placement " << i;
    EXPECT_EQ(player.played.size(), placements.size());
    for (std::size_t bytes : player.played)
        EXPECT_EQ(bytes, 64u);
    EXPECT_EQ(painter.flameFans, 600);
}

TEST_F(StarshipEffects, FireZeroStillFiresButSilently)
{
    settings.writeInt(settings::section, settings::fireKey, 0);
    SceneModel ship(random, settings);
    ship.randomize(random);
    ship.effects.soundSource = true;
    EXPECT_FALSE(ship.effects.soundEnabled);
    const ShotSound sound(resources, player);
    RecordingPainter painter(&ship);
    const auto placements = runFrames(ship, random, painter, sound, 400);
    EXPECT_FALSE(placements.empty());
    EXPECT_FALSE(painter.bolts.empty());
    EXPECT_TRUE(player.played.empty());
}

TEST_F(StarshipEffects, NoSoundUntilTheShipIsMadeTheSoundSource)
{
    SceneModel ship(random, settings);
    ship.randomize(random);
    EXPECT_FALSE(ship.effects.soundSource);
    const ShotSound sound(resources, player);
    RecordingPainter painter(&ship);
    EXPECT_FALSE(runFrames(ship, random, painter, sound, 400).empty());
    EXPECT_TRUE(player.played.empty());
}

TEST_F(StarshipEffects, BoltAppearsHalfAUnitBehindTheShipAndFadesFromPointNine)
{
    SceneModel ship(random, settings);
    ship.randomize(random);
    ship.update(random);
    Shot& bolt = ship.effects.shots[0];
    bolt.alive = true;
    bolt.spawned = true;
    bolt.age = 0;
    bolt.lifetime = 10;
    const ShotSound sound(resources, player);
    RecordingPainter painter(&ship);
    ship.effects.nextGun = 2;
    ship.drawEffects(random, painter, sound);
    const Vec3 unitBack = ship.delta / length(ship.delta);
    // Placed 3 units behind, then one step of 2.5 forwards.
    const Vec3 expected = ship.position + unitBack * 0.5;
    ASSERT_FALSE(painter.bolts.empty());
    const BoltDraw& first = painter.bolts.front();
    EXPECT_EQ(first.shotIndex, 0);
    EXPECT_EQ(first.gun, 2);
    EXPECT_NEAR(first.alpha, 0.9f, 1e-6f);
    EXPECT_NEAR(first.position.x, expected.x, 1e-9);
    EXPECT_NEAR(first.position.y, expected.y, 1e-9);
    EXPECT_NEAR(first.position.z, expected.z, 1e-9);
    EXPECT_FLOAT_EQ(bolt.spin, static_cast<float>(ship.roll));
    EXPECT_FALSE(bolt.spawned);
    EXPECT_EQ(ship.effects.nextGun, 3);
}

TEST_F(StarshipEffects, RestingShipGivesAFiniteBolt)
{
    SceneModel ship(random, settings);
    ship.position = {1.0, 1.0, 1.0};
    ship.delta = {0.0, 0.0, 0.0};
    Shot& bolt = ship.effects.shots[4];
    bolt.spawned = true;
    bolt.alive = true;
    bolt.lifetime = 10;
    const ShotSound sound(resources, player);
    RecordingPainter painter(&ship);
    ship.drawEffects(random, painter, sound);
    EXPECT_EQ(bolt.delta.x, 0.0);
    EXPECT_EQ(bolt.delta.z, 0.0);
    EXPECT_FALSE(std::isnan(bolt.position.x));
    EXPECT_DOUBLE_EQ(bolt.position.z, 1.0);
}

TEST_F(StarshipEffects, OnlyTheFirstTenBoltsAreEverTouched)
{
    SceneModel ship(random, settings);
    ship.randomize(random);
    const ShotSound sound(resources, player);
    RecordingPainter painter(&ship);
    runFrames(ship, random, painter, sound, 500);
    for (const BoltDraw& draw : painter.bolts)
        EXPECT_LT(draw.shotIndex, 10);
    for (std::size_t i = 10; i < ship.effects.shots.size(); ++i) {
        const Shot& unused = ship.effects.shots[i];
        ASSERT_EQ(unused.delay, 0) << i;
        ASSERT_EQ(unused.age, 0) << i;
        ASSERT_FALSE(unused.alive) << i;
        ASSERT_EQ(unused.position.x, 0.0) << i;
    }
}

TEST(ShotSound, PlaysWave151OrReportsWhyNot)
{
    MemoryResources withWave;
    withWave.add("WAVE", 151, std::vector<std::uint8_t>(10, 1));
    withWave.add("WAVE", 152, std::vector<std::uint8_t>(20, 2));
    MemoryResources withoutWave;
    withoutWave.add("WAVE", 152, std::vector<std::uint8_t>(20, 2));

    RecordingSoundPlayer player;
    EXPECT_TRUE(ShotSound(withWave, player).play());
    ASSERT_EQ(player.played.size(), 1u);
    EXPECT_EQ(player.played[0], 10u) << "resource 151, not 152";

    player.result = false; // no audio device
    EXPECT_FALSE(ShotSound(withWave, player).play());
    EXPECT_EQ(player.played.size(), 2u);

    player.result = true;
    EXPECT_FALSE(ShotSound(withoutWave, player).play());
    EXPECT_EQ(player.played.size(), 2u) << "nothing handed to the service without the resource";
}

TEST(Satellite, ConstructionResetsTenBoltsAndReadsFire)
{
    RandomGenerator random;
    RandomGenerator twin;
    MemorySettingsStore settings;
    settings.writeInt(settings::section, settings::fireKey, 0);
    Satellite satellite(random, settings);
    for (int i = 0; i < 10; ++i) {
        const int r1 = twin.next(), r2 = twin.next();
        EXPECT_EQ(satellite.effects.shots[static_cast<std::size_t>(i)].delay,
                  20 + static_cast<int>(r1 * 150.0f / 32767.0f));
        EXPECT_EQ(satellite.effects.shots[static_cast<std::size_t>(i)].lifetime,
                  10 + static_cast<int>(r2 * 10.0f / 32767.0f));
    }
    EXPECT_EQ(random.next(), twin.next()) << "twenty draws, no more";
    EXPECT_FALSE(satellite.effects.soundEnabled);
    EXPECT_FALSE(satellite.effects.soundSource);
    EXPECT_EQ(satellite.effects.shotCount, 10);
    EXPECT_EQ(satellite.effects.nextGun, 0);
}

} // namespace
} // namespace orbit
