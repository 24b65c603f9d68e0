// The shot sound through SDL on its dummy output (which consumes the queue in
// real time, like a sound card), and on a driver that does not exist. How
// soon a shot is heard is measured by bench/ShotSoundLatency, not here.
#include "platform/SdlSoundPlayer.h"

#include "resources/EmbeddedResources.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace orbit {
namespace {

// Every shot goes out, also while the sound is still playing: it restarts
// rather than queueing behind itself. Bad data is refused without taking the
// output away, and is never read past its end. Without a device every call
// answers false.
TEST(SdlSoundPlayer, EveryShotGoesOutAndBadDataOrNoDeviceIsRefused)
{
    using namespace std::chrono;
    const std::span<const std::uint8_t> shot = EmbeddedResources().find("WAVE", 151);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        SdlSoundPlayer player;
        EXPECT_FALSE(player.play()) << "nothing prepared";
        EXPECT_FALSE(player.prepare({}) || player.prepare(std::vector<std::uint8_t>(100, 0x55)));
        ASSERT_TRUE(player.prepare(shot));
        EXPECT_FALSE(player.lastStartHeard()) << "nothing sounds before the first shot";
        for (int i = 0; i < 3; ++i) {
            const auto fired = steady_clock::now();
            ASSERT_TRUE(player.play());
            std::optional<steady_clock::time_point> heard;
            while (!(heard = player.lastStartHeard()) && steady_clock::now() - fired < seconds(2))
                std::this_thread::sleep_for(microseconds(200));
            ASSERT_TRUE(heard) << "shot " << i << " never went out";
            EXPECT_GE(*heard, fired);
        }
        // Its header claims 13 kB of samples but 100 bytes are there: SDL refuses it or keeps what is there.
        EXPECT_TRUE(!player.prepare(shot.first(100)) || player.play());
    }
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlSoundPlayer player;
    EXPECT_FALSE(player.prepare(shot) || player.prepare(shot) || player.play() || player.lastStartHeard());
    unsetenv("SDL_AUDIODRIVER");
}

} // namespace
} // namespace orbit
