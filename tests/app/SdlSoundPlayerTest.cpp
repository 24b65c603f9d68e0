// The shot sound through SDL on its dummy output (which consumes the queue in
// real time, like a sound card), and on a driver that does not exist.
#include "platform/SdlSoundPlayer.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

TEST_F(SdlSoundPlayerTest, ANewSoundRestartsInsteadOfQueueingBehind)
{
    SdlSoundPlayer player;
    const auto wav = makeWave(22050, 1, 16, 44100); // one second: far longer than queueing it twice takes
    ASSERT_TRUE(player.playAsync(wav));
    ASSERT_TRUE(player.playAsync(wav));
    EXPECT_GT(player.queuedBytes(), 44100u / 2);
    EXPECT_LE(player.queuedBytes(), 44100u); // appending would leave nearly two sounds waiting
    EXPECT_TRUE(player.playAsync(makeWave(11025, 2, 8, 6000))); // another format reopens the output
    EXPECT_GT(player.queuedBytes(), 0u);
    EXPECT_LE(player.queuedBytes(), 6000u);
}

TEST_F(SdlSoundPlayerTest, BadDataIsRefusedAndNeverReadPastItsEnd)
{
    SdlSoundPlayer player;
    const auto good = makeWave(22050, 1, 16, 2000);
    for (const std::vector<std::uint8_t>& bad : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>(100, 0x55),
                                                 std::vector<std::uint8_t>(good.begin(), good.begin() + 30)})
        EXPECT_FALSE(player.playAsync(bad)) << bad.size() << " bytes";
    EXPECT_TRUE(player.playAsync(good)); // bad data does not take the output away
    // Claims 1 MB of samples but holds 100 bytes: no more than those may be queued.
    if (player.playAsync(makeWave(22050, 1, 16, 100, 1'000'000))) {
        EXPECT_LE(player.queuedBytes(), 100u);
    }
}

TEST_F(SdlSoundPlayerTest, NoAudioDeviceAnswersFalseEveryTime)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlSoundPlayer player;
    const auto wav = makeWave(22050, 1, 16, 2000);
    EXPECT_FALSE(player.playAsync(wav));
    EXPECT_FALSE(player.playAsync(wav));
    EXPECT_EQ(player.queuedBytes(), 0u);
}

} // namespace
} // namespace orbit
