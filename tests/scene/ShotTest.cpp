// Bolt lives and the starship's effects without GL, through a recording painter.
#include "scene/EffectPainter.h"
#include "scene/SceneModel.h"
#include "scene/ShotSound.h"

#include "platform/MemoryResources.h"
#include "platform/RandomGenerator.h"
#include "platform/SettingsStore.h"
#include "platform/SoundPlayer.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace orbit {
namespace {

TEST(Shot, ResetDrawsDelayThenLifetimeWaitsFadesOverItsLifeAndFliesForwards)
{
    RandomGenerator random; // 16838, 5758: 20 + 77 and 10 + 1
    Shot bolt;
    bolt.alive = bolt.spawned = true;
    bolt.age = 9;
    bolt.gun = 3;
    bolt.spin = 12.0f;
    bolt.resetShot(random);
    EXPECT_EQ((std::array{bolt.delay, bolt.lifetime, bolt.age, bolt.gun}), (std::array{97, 11, 0, 0}));
    EXPECT_FALSE(bolt.alive || bolt.spawned || bolt.spin != 0.0f);

    bolt.delay = 25;
    bolt.lifetime = 10;
    for (int frame = 1; frame <= 26; ++frame) { // delay + 1 frames of waiting
        EXPECT_FALSE(bolt.stepShot(random).has_value()) << "waiting frame " << frame;
        EXPECT_EQ(bolt.alive, frame == 26) << "frame " << frame;
    }
    EXPECT_TRUE(bolt.spawned);
    for (int tenths = 9; tenths >= 0; --tenths)
        EXPECT_NEAR(bolt.stepShot(random).value_or(-1.0f), tenths / 10.0f, 1e-6f);
    EXPECT_EQ(bolt.stepShot(random), std::nullopt) << "the 11th frame resets";
    EXPECT_FALSE(bolt.alive);

    bolt.position = {1.0, 2.0, 3.0};
    bolt.delta = {0.0, 0.0, 1.0}; // backwards along the path is +z
    bolt.update(random);
    bolt.update(random);
    EXPECT_EQ((std::array{bolt.position.z, bolt.previousPosition.z, bolt.delta.z}), (std::array{-2.0, 0.5, 1.0}));
}

struct BoltDraw {
    int shotIndex, gun;
    float alpha;
    Vec3 position;
};

class RecordingPainter final : public EffectPainter {
public:
    explicit RecordingPainter(const SceneModel& ship) : ship(ship) {}
    void drawFlames(const FlyingObject&, const std::array<EngineFlame, 4>&) override { ++flameFans; }
    void drawBolt(const Shot& bolt, float alpha) override
    {
        bolts.push_back({static_cast<int>(&bolt - ship.effects.shots.data()), bolt.gun, alpha, bolt.position});
    }
    const SceneModel& ship;
    int flameFans = 0;
    std::vector<BoltDraw> bolts;
};

class StarshipEffects : public ::testing::Test {
protected:
    StarshipEffects()
    {
        resources.add("WAVE", ShotSound::waveResourceId, std::vector<std::uint8_t>(64, 0x52));
        sound.prepare();
    }

    // Frames of motion and effects; the guns of the bolts placed, in order.
    std::vector<int> runFrames(SceneModel& ship, RecordingPainter& painter, int frames)
    {
        std::vector<int> guns;
        for (int frame = 0; frame < frames; ++frame) {
            std::vector<const Shot*> spawned;
            for (const Shot& bolt : ship.effects.shots)
                if (bolt.spawned)
                    spawned.push_back(&bolt);
            ship.update(random);
            ship.drawEffects(random, painter, sound);
            for (const Shot* bolt : spawned)
                guns.push_back(bolt->gun);
        }
        return guns;
    }

    MemoryResources resources;
    MemorySettingsStore settings;
    RecordingSoundPlayer player;
    RandomGenerator random;
    ShotSound sound{resources, player};
};

TEST_F(StarshipEffects, GunsTakeTurnsEveryPlacementStartsTheSoundAndOnlyTenBoltsFly)
{
    SceneModel ship(random, settings);
    ship.randomize(random);
    ship.effects.soundSource = true;
    RecordingPainter painter(ship);
    const auto guns = runFrames(ship, painter, 600);
    ASSERT_GE(guns.size(), 12u);
    for (std::size_t i = 0; i < guns.size(); ++i)
        EXPECT_EQ(guns[i], static_cast<int>(i % 4)) << "placement " << i;
    EXPECT_EQ(player.plays, static_cast<int>(guns.size()));
    EXPECT_EQ(player.prepared, std::vector<std::size_t>{64u}) << "decoded once, not per shot";
    EXPECT_EQ(painter.flameFans, 600);
    for (const BoltDraw& draw : painter.bolts)
        ASSERT_LT(draw.shotIndex, 10);
    for (std::size_t i = 10; i < ship.effects.shots.size(); ++i) // the rest of the pool is never touched
        ASSERT_TRUE(ship.effects.shots[i].delay == 0 && !ship.effects.shots[i].alive) << i;
}

TEST_F(StarshipEffects, FireZeroOrNoSoundSourceStillFiresButSilently)
{
    for (const bool fireOff : {true, false}) {
        settings.writeInt(settings::section, settings::fireKey, fireOff ? 0 : 1);
        SceneModel ship(random, settings);
        ship.randomize(random);
        ship.effects.soundSource = fireOff; // the window makes the starship the source
        EXPECT_EQ(ship.effects.soundEnabled, !fireOff);
        RecordingPainter painter(ship);
        EXPECT_FALSE(runFrames(ship, painter, 400).empty()) << fireOff;
        EXPECT_FALSE(painter.bolts.empty()) << fireOff;
        EXPECT_EQ(player.plays, 0) << fireOff;
    }
}

TEST_F(StarshipEffects, BoltAppearsHalfAUnitBehindTheShipFadesFromPointNineAndIsFiniteAtRest)
{
    SceneModel ship(random, settings);
    ship.randomize(random);
    ship.update(random);
    for (const bool resting : {false, true}) {
        if (resting) // a zero direction must not turn into NaN
            ship.delta = {};
        Shot& bolt = ship.effects.shots[0];
        bolt.alive = bolt.spawned = true;
        bolt.age = 0;
        bolt.lifetime = 10;
        ship.effects.nextGun = 2;
        RecordingPainter painter(ship);
        ship.drawEffects(random, painter, sound);
        // Placed 3 units behind, then one step of 2.5 forwards.
        const Vec3 expected = resting ? ship.position : ship.position + ship.delta / length(ship.delta) * 0.5;
        ASSERT_EQ(painter.bolts.size(), 1u);
        const BoltDraw& first = painter.bolts.front();
        EXPECT_EQ((std::pair{first.shotIndex, first.gun}), (std::pair{0, 2}));
        EXPECT_NEAR(first.alpha, 0.9f, 1e-6f);
        EXPECT_NEAR(length(first.position - expected), 0.0, 1e-9) << resting;
        EXPECT_FLOAT_EQ(bolt.spin, static_cast<float>(ship.roll));
        EXPECT_FALSE(bolt.spawned);
        EXPECT_EQ(ship.effects.nextGun, 3);
    }
}

TEST(ShotSound, PreparesWave151OnceAndPlaysOnlyWhatWasPrepared)
{
    MemoryResources withWave, withoutWave;
    withWave.add("WAVE", 151, std::vector<std::uint8_t>(10, 1));
    for (MemoryResources* resources : {&withWave, &withoutWave})
        resources->add("WAVE", 152, std::vector<std::uint8_t>(20, 2));
    // resources, answer of the service, prepared, played
    const std::tuple<MemoryResources*, bool, bool, bool> cases[] = {
        {&withWave, true, true, true}, {&withWave, false, false, false}, {&withoutWave, true, false, false}};
    for (const auto& [resources, deviceAnswer, prepared, played] : cases) {
        RecordingSoundPlayer player;
        player.result = deviceAnswer;
        const ShotSound sound(*resources, player);
        EXPECT_EQ(sound.prepare(), prepared);
        EXPECT_EQ(sound.play(), played);
        EXPECT_EQ(player.prepared, resources == &withWave ? std::vector<std::size_t>{10u} : std::vector<std::size_t>{})
            << "resource 151, not 152; nothing handed over without it";
    }
}

} // namespace
} // namespace orbit
