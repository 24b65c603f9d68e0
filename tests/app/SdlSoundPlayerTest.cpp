// The shot sound through SDL on its dummy output (which consumes the queue in
// real time, like a sound card), and on a driver that does not exist. How
// soon a shot is heard is measured by bench/ShotSoundLatency, not here.
#include "platform/SdlSoundPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
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
    const auto tag = [&wav](const char* text) { wav.insert(wav.end(), text, text + 4); };
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

// Every shot goes out, also while the one-second sound is still playing: it
// restarts rather than queueing behind itself. Bad data is refused without
// taking the output away, and is never read past its end.
TEST(SdlSoundPlayer, EveryShotGoesOutInEachFormatAndBadDataIsRefused)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    using namespace std::chrono;
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t> formats[] = {
        {22050, 1, 16, 13000}, {11025, 2, 8, 6000}, {44100, 2, 16, 176400}};
    for (const auto& [rate, channels, bits, bytes] : formats) {
        SdlSoundPlayer player;
        EXPECT_FALSE(player.play()) << "nothing prepared";
        for (const std::vector<std::uint8_t>& bad : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>(100, 0x55)})
            EXPECT_FALSE(player.prepare(bad)) << bad.size() << " bytes";
        ASSERT_TRUE(player.prepare(makeWave(rate, channels, bits, bytes)));
        EXPECT_FALSE(player.lastStartHeard()) << "nothing sounds before the first shot";
        for (int shot = 0; shot < 3; ++shot) {
            const auto fired = steady_clock::now();
            ASSERT_TRUE(player.play());
            std::optional<steady_clock::time_point> heard;
            while (!(heard = player.lastStartHeard()) && steady_clock::now() - fired < seconds(2))
                std::this_thread::sleep_for(microseconds(200));
            ASSERT_TRUE(heard) << rate << " Hz, shot " << shot << " never went out";
            EXPECT_GE(*heard, fired);
        }
        // Claims 1 MB of samples but holds 100 bytes: SDL refuses it or keeps what is there.
        EXPECT_TRUE(!player.prepare(makeWave(rate, channels, bits, 100, 1'000'000)) || player.play());
    }
    unsetenv("SDL_AUDIODRIVER");
}

TEST(SdlSoundPlayer, NoAudioDeviceAnswersFalseEveryTime)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlSoundPlayer player;
    const auto wav = makeWave(22050, 1, 16, 2000);
    EXPECT_FALSE(player.prepare(wav) || player.prepare(wav) || player.play() || player.lastStartHeard());
    unsetenv("SDL_AUDIODRIVER");
}

} // namespace
} // namespace orbit
