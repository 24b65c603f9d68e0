// The shot sound through SDL: WAVE files built here byte by byte, played on
// SDL's dummy output (which consumes the queue in real time, like a sound
// card), and on a driver that does not exist, as on a machine without audio.
#include "platform/SdlSoundPlayer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace orbit {
namespace {

void put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

void putTag(std::vector<std::uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(tag[i]));
}

// A PCM RIFF WAVE file: fmt chunk, then a data chunk of dataBytes bytes (a
// saw tooth). declaredDataBytes lets a test lie about the data size.
std::vector<std::uint8_t> makeWave(unsigned rate, unsigned channels, unsigned bits, std::uint32_t dataBytes,
                                   std::uint32_t declaredDataBytes)
{
    std::vector<std::uint8_t> wav;
    putTag(wav, "RIFF");
    put32(wav, 36 + declaredDataBytes);
    putTag(wav, "WAVE");
    putTag(wav, "fmt ");
    put32(wav, 16);
    put16(wav, 1); // PCM
    put16(wav, channels);
    put32(wav, rate);
    put32(wav, rate * channels * bits / 8);
    put16(wav, channels * bits / 8);
    put16(wav, bits);
    putTag(wav, "data");
    put32(wav, declaredDataBytes);
    for (std::uint32_t i = 0; i < dataBytes; ++i)
        wav.push_back(static_cast<std::uint8_t>(i * 7));
    return wav;
}

std::vector<std::uint8_t> makeWave(unsigned rate, unsigned channels, unsigned bits, std::uint32_t dataBytes)
{
    return makeWave(rate, channels, bits, dataBytes, dataBytes);
}

class SdlSoundPlayerTest : public testing::Test {
protected:
    void useDriver(const char* driver) { setenv("SDL_AUDIODRIVER", driver, 1); }
    void TearDown() override { unsetenv("SDL_AUDIODRIVER"); }
};

TEST_F(SdlSoundPlayerTest, PlaysAndANewSoundRestartsInsteadOfQueueingBehind)
{
    useDriver("dummy");
    SdlSoundPlayer player;
    // One second of 16-bit mono: far longer than this test takes to queue it twice.
    const auto wav = makeWave(22050, 1, 16, 44100);
    ASSERT_TRUE(player.playAsync(wav));
    EXPECT_GT(player.queuedBytes(), 0u);
    EXPECT_LE(player.queuedBytes(), 44100u);
    ASSERT_TRUE(player.playAsync(wav));
    // Appending would leave nearly two sounds' worth waiting.
    EXPECT_GT(player.queuedBytes(), 44100u / 2);
    EXPECT_LE(player.queuedBytes(), 44100u);
}

TEST_F(SdlSoundPlayerTest, AnotherFormatReopensTheOutput)
{
    useDriver("dummy");
    SdlSoundPlayer player;
    EXPECT_TRUE(player.playAsync(makeWave(22050, 1, 16, 8000)));
    EXPECT_TRUE(player.playAsync(makeWave(11025, 2, 8, 6000)));
    EXPECT_GT(player.queuedBytes(), 0u);
    EXPECT_LE(player.queuedBytes(), 6000u);
}

TEST_F(SdlSoundPlayerTest, DataThatIsNoWaveIsRefused)
{
    useDriver("dummy");
    SdlSoundPlayer player;
    const auto good = makeWave(22050, 1, 16, 2000);
    const std::vector<std::vector<std::uint8_t>> bad{
        {},
        {'R', 'I', 'F', 'F'},
        std::vector<std::uint8_t>(good.begin(), good.begin() + 30), // cut inside the fmt chunk
        std::vector<std::uint8_t>(100, 0x55),
        makeWave(22050, 1, 0, 2000), // zero bits per sample
        makeWave(0, 1, 16, 2000),    // zero sample rate
    };
    for (std::size_t i = 0; i < bad.size(); ++i)
        EXPECT_FALSE(player.playAsync(bad[i])) << "case " << i;
    // The player is still usable afterwards.
    EXPECT_TRUE(player.playAsync(good));
}

TEST_F(SdlSoundPlayerTest, DataChunkLongerThanTheFileIsNeverReadPastTheEnd)
{
    useDriver("dummy");
    SdlSoundPlayer player;
    // Claims 1 MB of samples but holds 100 bytes; whatever SDL makes of it,
    // no more than the bytes present may be queued.
    const auto wav = makeWave(22050, 1, 16, 100, 1'000'000);
    if (player.playAsync(wav)) {
        EXPECT_LE(player.queuedBytes(), 100u);
    }
}

TEST_F(SdlSoundPlayerTest, NoAudioDeviceAnswersFalseEveryTime)
{
    useDriver("no-such-driver");
    SdlSoundPlayer player;
    const auto wav = makeWave(22050, 1, 16, 2000);
    EXPECT_FALSE(player.playAsync(wav));
    EXPECT_FALSE(player.playAsync(wav));
    EXPECT_EQ(player.queuedBytes(), 0u);
}

} // namespace
} // namespace orbit
