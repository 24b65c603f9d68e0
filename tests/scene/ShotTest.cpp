// Bolt lives, the starship's effects through a recording painter, and the shot
// sound, all without GL.
#include "scene/EffectPainter.h"
#include "scene/SceneModel.h"
#include "scene/ShotSound.h"

#include "platform/MemoryResources.h"
#include "platform/RandomGenerator.h"
#include "platform/SettingsStore.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(length(ShipEffects::gunOffset(-1)) + length(ShipEffects::gunOffset(4)), 0.0) << "no such gun";
}

// Records what the ship asks to be drawn, and checks each bolt on the frame it appears.
struct RecordingPainter final : EffectPainter {
    explicit RecordingPainter(const SceneModel& ship) : ship(ship) {}
    void drawFlames(const FlyingObject&, const std::array<EngineFlame, 4>&) override { ++flameFans; }
    void drawBolt(const Shot& bolt, float alpha) override
    {
        EXPECT_LT(&bolt - ship.effects.shots.data(), 10) << "only ten bolts fly";
        if (bolt.age != 1)
            return;
        guns.push_back(bolt.gun);
        // Placed 3 units behind the ship, then one step of 2.5 forwards; a ship at rest gives no NaN.
        const double speed = length(ship.delta);
        const Vec3 expected = speed > 0.0 ? ship.position + ship.delta / speed * 0.5 : ship.position;
        EXPECT_NEAR(length(bolt.position - expected), 0.0, 1e-9);
        EXPECT_FLOAT_EQ(alpha, 1.0f - 1.0f / static_cast<float>(bolt.lifetime));
        EXPECT_FLOAT_EQ(bolt.spin, static_cast<float>(ship.roll));
    }
    const SceneModel& ship;
    int flameFans = 0;
    std::vector<int> guns; // of the bolts placed, in order
};

TEST(StarshipEffects, GunsTakeTurnsAndEachPlacementStartsTheSoundUnlessFireIsZeroOrNotTheSource)
{
    // "Fire" setting, sound source, ship at rest, the sound plays
    const std::tuple<int, bool, bool, bool> cases[] = {{1, true, false, true}, {0, true, false, false},
                                                        {1, false, true, false}};
    for (const auto& [fire, source, resting, heard] : cases) {
        SCOPED_TRACE(testing::Message() << fire << source << resting);
        MemoryResources resources;
        resources.add("WAVE", 151, std::vector<std::uint8_t>(64, 0x52));
        resources.add("WAVE", 152, std::vector<std::uint8_t>(20, 0x52));
        RecordingSoundPlayer player;
        const ShotSound sound(resources, player);
        MemorySettingsStore settings;
        settings.writeInt(settings::section, settings::fireKey, fire);
        RandomGenerator random;
        SceneModel ship(random, settings);
        ship.randomize(random);
        ship.effects.soundSource = source; // the window makes the starship the source
        EXPECT_TRUE(sound.prepare());
        if (resting)
            ship.delta = {};
        RecordingPainter painter(ship);
        for (int frame = 0; frame < 600; ++frame) {
            if (!resting)
                ship.update(random);
            ship.drawEffects(random, painter, sound);
        }
        ASSERT_GE(painter.guns.size(), 12u);
        for (std::size_t i = 0; i < painter.guns.size(); ++i)
            EXPECT_EQ(painter.guns[i], static_cast<int>(i % 4)) << "placement " << i;
        EXPECT_EQ(player.plays, heard ? static_cast<int>(painter.guns.size()) : 0);
        EXPECT_EQ(player.prepared, std::vector<std::size_t>{64u}) << "wave 151, decoded once, not per shot";
        EXPECT_EQ(painter.flameFans, 600);
        for (std::size_t i = 10; i < ship.effects.shots.size(); ++i) // the rest of the pool is never touched
            ASSERT_TRUE(ship.effects.shots[i].delay == 0 && !ship.effects.shots[i].alive) << i;
    }
}

} // namespace
} // namespace orbit
