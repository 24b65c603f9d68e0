// The shot sound through SDL on its dummy output (which consumes the queue in
// real time, like a sound card), and on a driver that does not exist.
#include "platform/SdlSoundPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>
#include <tuple>

namespace orbit {
namespace {

// A PCM RIFF WAVE file holding dataBytes of samples but declaring declaredBytes.
std::vector<std::uint8_t> makeWave(std::uint32_t rate, std::uint32_t channels, std::uint32_t bits,
                                   std::uint32_t dataBytes, std::uint32_t declaredBytes = 0)
{
    declaredBytes = declaredBytes ? declaredBytes : dataBytes;
    std::vector<std::uint8_t> wav;
    auto put = [&wav](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    auto tag = [&put](const char* text) {
        for (int i = 0; i < 4; ++i)
            put(static_cast<std::uint8_t>(text[i]), 1);
    };
    tag("RIFF");
    put(36 + declaredBytes, 4);
    tag("WAVE");
    tag("fmt ");
    for (auto [value, bytes] : {std::pair{16u, 4}, {1u, 2}, {channels, 2}, {rate, 4}, {rate * channels * bits / 8, 4},
                                {channels * bits / 8, 2}, {bits, 2}})
        put(value, bytes);
    tag("data");
    put(declaredBytes, 4);
    for (std::uint32_t i = 0; i < dataBytes; ++i)
        wav.push_back(static_cast<std::uint8_t>(i * 7));
    return wav;
}

class SdlSoundPlayerTest : public testing::Test {
protected:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
    void TearDown() override { unsetenv("SDL_AUDIODRIVER"); }
};

// From play to the first non-silent sample the device callback hands out, for
// shots spread over the device buffer's period; the one-second sound is still
// playing at each shot, so it must restart rather than queue behind itself.
TEST_F(SdlSoundPlayerTest, EveryShotIsHeardWithin25Ms)
{
    using namespace std::chrono;
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t> formats[] = {
        {22050, 1, 16, 13000}, {11025, 2, 8, 6000}, {44100, 2, 16, 176400}};
    for (const auto& [rate, channels, bits, bytes] : formats) {
        SCOPED_TRACE(rate);
        SdlSoundPlayer player;
        ASSERT_TRUE(player.prepare(makeWave(rate, channels, bits, bytes)));
        EXPECT_FALSE(player.lastStartHeard()) << "nothing sounds before the first shot";
        double worstMs = 0.0;
        for (int shot = 0; shot < 12; ++shot) {
            std::this_thread::sleep_for(microseconds(2000 + 1700 * shot));
            const auto fired = steady_clock::now();
            ASSERT_TRUE(player.play());
            std::optional<steady_clock::time_point> heard;
            while (!(heard = player.lastStartHeard()) && steady_clock::now() - fired < seconds(1))
                std::this_thread::sleep_for(microseconds(200));
            ASSERT_TRUE(heard) << "shot " << shot << " never went out";
            worstMs = std::max(worstMs, duration<double, std::milli>(*heard - fired).count());
        }
        EXPECT_LE(worstMs, 25.0);
        RecordProperty("worstLatencyMs" + std::to_string(rate), std::to_string(worstMs));
    }
}

TEST_F(SdlSoundPlayerTest, BadDataIsRefusedAndNeverReadPastItsEnd)
{
    SdlSoundPlayer player;
    EXPECT_FALSE(player.play()) << "nothing prepared";
    const auto good = makeWave(22050, 1, 16, 2000);
    for (const std::vector<std::uint8_t>& bad : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>(100, 0x55),
                                                 std::vector<std::uint8_t>(good.begin(), good.begin() + 30)})
        EXPECT_FALSE(player.prepare(bad)) << bad.size() << " bytes";
    EXPECT_TRUE(player.prepare(good)); // bad data does not take the output away
    EXPECT_TRUE(player.play());
    // Claims 1 MB of samples but holds 100 bytes: SDL refuses it or keeps what is there.
    if (player.prepare(makeWave(22050, 1, 16, 100, 1'000'000))) {
        EXPECT_TRUE(player.play());
    }
}

TEST_F(SdlSoundPlayerTest, NoAudioDeviceAnswersFalseEveryTime)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlSoundPlayer player;
    const auto wav = makeWave(22050, 1, 16, 2000);
    EXPECT_FALSE(player.prepare(wav));
    EXPECT_FALSE(player.prepare(wav));
    EXPECT_FALSE(player.play());
    EXPECT_FALSE(player.lastStartHeard());
}

} // namespace
} // namespace orbit
