// The shot sound through SDL: WAVE files built here byte by byte, played on
// SDL's dummy output (which consumes the queue in real time, like a sound
// card), and on a driver that does not exist, as on a machine without audio.
#include "platform/SdlSoundPlayer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orbit {
namespace {

// A PCM RIFF WAVE file whose data chunk holds dataBytes bytes (a saw tooth)
// but declares declaredDataBytes.
std::vector<std::uint8_t> makeWave(std::uint32_t rate, std::uint32_t channels, std::uint32_t bits,
                                   std::uint32_t dataBytes, std::uint32_t declaredDataBytes = 0)
{
    if (declaredDataBytes == 0)
        declaredDataBytes = dataBytes;
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
    put(36 + declaredDataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2); // PCM
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2);
    put(bits, 2);
    tag("data");
    put(declaredDataBytes, 4);
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
    // One second of 16-bit mono: far longer than this test takes to queue it twice.
    const auto wav = makeWave(22050, 1, 16, 44100);
    ASSERT_TRUE(player.playAsync(wav));
    EXPECT_GT(player.queuedBytes(), 0u);
    ASSERT_TRUE(player.playAsync(wav));
    // Appending would leave nearly two sounds' worth waiting.
    EXPECT_GT(player.queuedBytes(), 44100u / 2);
    EXPECT_LE(player.queuedBytes(), 44100u);
    // Another format reopens the output.
    EXPECT_TRUE(player.playAsync(makeWave(11025, 2, 8, 6000)));
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
    // Bad data does not take the output away.
    EXPECT_TRUE(player.playAsync(good));
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
