// Files that lie about their size. Each reader is given a file whose header
// claims the largest picture or mesh it accepts while holding next to no data,
// and must not take memory out of proportion to the bytes present. Every read
// runs in a forked child, so its peak address space is its own. (A file too
// big to buffer at all is the inspect tool test's.)
#include "image/BmpFile.h"
#include "image/JpegDecoder.h"
#include "image/TgaFile.h"
#include "model3ds/SceneLoading.h"
#include "platform/FileBytes.h"
#include "platform/MemoryResources.h"
#include "tests/image/BmpTestFile.h"
#include "tests/image/TestJpegWriter.h"
#include "tests/model3ds/ThreeDsWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ORBIT_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORBIT_UNDER_ASAN 1
#endif
#endif

namespace orbit {
namespace {

using test::Bytes;

// Runs work in a forked child and returns what it computed, or -1 when the
// child did not end normally (a crash, an escaped exception).
long inChild(const std::function<long()>& work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // Anything escaping work ends the child here, never in the test runner.
        long value = -1;
        try {
            value = work();
        } catch (...) {
            _exit(3);
        }
        const bool sent = write(fds[1], &value, sizeof value) == sizeof value;
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    long value = -1;
    const bool got = pid > 0 && read(fds[0], &value, sizeof value) == sizeof value;
    close(fds[0]);
    int status = 0;
    if (pid > 0)
        waitpid(pid, &status, 0);
    return got && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? value : -1;
}

// The process's peak address-space size in KiB (VmPeak): unlike the peak
// resident set it also counts a buffer freed before anyone touched it, and
// a new array mapped while an old one is still held.
long peakVirtualKib()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmPeak: %ld kB", &kib) == 1)
            break;
    }
    std::fclose(status);
    return kib;
}

// How far the child's peak address space grew over read, in KiB.
long peakGrowthKib(const std::function<void()>& read)
{
    return inChild([&] {
        const long before = peakVirtualKib();
        read();
        const long after = peakVirtualKib();
        return before < 0 || after < 0 ? -1 : after - before;
    });
}

Bytes withBytes(Bytes head, std::size_t count, std::uint8_t value = 0)
{
    head.insert(head.end(), count, value);
    return head;
}

Bytes tgaHeader(int type, int width, int height, int bits)
{
    return {0, 0, static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(width),
            static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(height),
            static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(bits), 0};
}

// A grey JPEG frame whose Huffman tables give every one-bit code the same
// meaning (DC difference 0, then end of block), so any bits decode, two per
// block: side * side / 256 bytes are the least data the decoder accepts.
Bytes greyJpeg(int side, std::size_t scanBytes, bool sosTwice)
{
    test::TestJpeg jpeg;
    jpeg.width = side;
    jpeg.height = side;
    Bytes file = jpeg.encodeWith(Bytes(scanBytes, 0x5A));
    const Bytes dht{0xFF, 0xC4};
    const auto tables = std::search(file.begin(), file.end(), dht.begin(), dht.end());
    const std::size_t dcLength = 2u + (tables[2] << 8 | tables[3]);
    const std::size_t acLength = 2u + (tables[dcLength + 2] << 8 | tables[dcLength + 3]);
    Bytes anyBit;
    for (const std::uint8_t tableClass : {0x00, 0x10}) {
        anyBit.insert(anyBit.end(), {0xFF, 0xC4, 0, 2 + 17 + 2, tableClass, 2});
        anyBit.insert(anyBit.end(), 15, 0);
        anyBit.insert(anyBit.end(), {0, 0});
    }
    file.insert(file.erase(tables, tables + static_cast<std::ptrdiff_t>(dcLength + acLength)), anyBit.begin(),
                anyBit.end());
    if (sosTwice) {
        // The same SOS segment again right after the first: the frame is
        // decoded once per segment.
        const Bytes marker{0xFF, 0xDA};
        const auto sos = std::search(file.begin(), file.end(), marker.begin(), marker.end());
        const Bytes segment(sos, sos + 10);
        file.insert(sos + 10, segment.begin(), segment.end());
    }
    return file;
}

// Points and faces counted 65535 under chunk lengths near 4 GiB, no records.
Bytes hugeMeshClaims()
{
    using test::Chunk;
    const Chunk points{0x4110, {0xFF, 0xFF}, {}, 0xFFFFFFF0u};
    const Chunk faces{0x4120, {0xFF, 0xFF}, {}, 0xFFFFFFF0u};
    return test::sceneFile({test::namedObject("hull", {test::triMesh({points, faces})})});
}

// Reads path the way the program does for its kind: BMP and TGA textures,
// a JPEG through the decoder, a 3DS scene without GL.
void readAsProgram(const std::string& path, const std::string& kind)
{
    if (kind == "bmp") {
        (void)readBmpFile(path);
    } else if (kind == "tga") {
        (void)readTgaFile(path);
    } else if (kind == "jpg") {
        std::vector<std::uint8_t> bytes;
        int cause = 0;
        JpegDecoder decoder;
        if (readWholeFile(path, bytes, cause))
            decoder.decode(bytes);
    } else {
        MemoryResources resources;
        RecordingNotifier notifier("orbit-patrol");
        RecordingSink sink;
        ModelServices services{resources, notifier, sink};
        (void)loadSceneFile(path, false, services);
    }
}

TEST(HostileFiles, MemoryStaysInProportionToTheBytesPresent)
{
#ifdef ORBIT_UNDER_ASAN
    // The files are still read, so the sanitizer checks every access.
    constexpr bool measured = false;
    std::printf("[ skipped  ] peak checks: the sanitizer's quarantine keeps freed arrays mapped\n");
#else
    constexpr bool measured = true;
#endif
    constexpr long mib = 1024;
    struct Row {
        const char* what;
        const char* kind;
        Bytes file;
        long limitKib;
    };
    const Row rows[] = {
        {"BMP of 60 bytes claiming 16384 x 16384 at 24 bits", "bmp",
         test::BmpTestFile{.width = 16384, .height = 16384, .bits = Bytes(6, 0x7F)}.build(), 1 * mib},
        {"RLE8 BMP claiming 16384 x 16384 with one run", "bmp",
         test::BmpTestFile{.width = 16384, .height = 16384, .bitCount = 8, .compression = 1, .clrUsed = 1,
                           .palette = {0xFFFFFF}, .bits = {255, 0, 0, 1}}
             .build(),
         16 * mib},
        {"1-bit BMP claiming 16384 x 16384 with one row's worth", "bmp",
         test::BmpTestFile{.width = 16384, .height = 16384, .bitCount = 1, .palette = {0, 0xFFFFFF},
                           .bits = Bytes(2048, 0x55)}
             .build(),
         16 * mib},
        {"raw TGA header claiming 16384 x 16384 at 32 bits", "tga", tgaHeader(2, 16384, 16384, 32), 16 * mib},
        {"run-length TGA claiming 16384 x 16384 with one packet", "tga",
         withBytes(tgaHeader(10, 16384, 16384, 32), 5, 0xFF), 16 * mib},
        {"JPEG headers claiming 16384 x 16384", "jpg", greyJpeg(16384, 0, false), 16 * mib},
        // One 2048 x 2048 output array is 12 MiB: a second SOS must not
        // hold a second one.
        {"JPEG of 2048 x 2048 decoded once", "jpg", greyJpeg(2048, 2048 * 2048 / 256, false), 16 * mib},
        {"JPEG of 2048 x 2048 decoded again through a second SOS", "jpg", greyJpeg(2048, 2048 * 2048 / 256, true), 16 * mib},
        {"3DS claiming 65535 points and faces", "3ds", hugeMeshClaims(), 16 * mib},
    };
    test::ScratchDir dir("hostile");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = (dir.path() / (std::string("file.") + row.kind)).string();
        test::writeFileBytes(path, row.file);
        const long grown = peakGrowthKib([&] { readAsProgram(path, row.kind); });
        std::printf("[ peak     ] %-55s %zu bytes: +%ld KiB\n", row.what, row.file.size(), grown);
        EXPECT_GE(grown, 0);
        if (measured) {
            EXPECT_LT(grown, row.limitKib);
        }
    }
}

} // namespace
} // namespace orbit
