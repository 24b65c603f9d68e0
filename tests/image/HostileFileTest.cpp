// Files that lie about their size: a header claiming the largest picture or
// mesh a reader accepts over next to no data must not take memory out of
// proportion to the bytes present. This program counts what operator new hands out.
#include "image/BmpFile.h"
#include "image/JpegDecoder.h"
#include "image/TgaFile.h"
#include "model3ds/SceneLoading.h"
#include "platform/MemoryResources.h"
#include "tests/image/TestImageFiles.h"
#include "tests/model3ds/ThreeDsWriter.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

// Unlike a resident size, this counts an array nobody touched, and it reads
// the same under a sanitizer.
std::size_t heldBytes = 0;
std::size_t peakBytes = 0;

// Out of line, so the compiler does not pair operator new with free.
[[gnu::noinline]] void* takeBlock(std::size_t size)
{
    void* block = std::malloc(size);
    if (block == nullptr)
        throw std::bad_alloc();
    heldBytes += malloc_usable_size(block);
    peakBytes = std::max(peakBytes, heldBytes);
    return block;
}

void giveBack(void* block) noexcept
{
    if (block != nullptr)
        heldBytes -= malloc_usable_size(block);
    std::free(block);
}

} // namespace

// The array forms too: a sanitizer's runtime would take them otherwise.
void* operator new(std::size_t size) { return takeBlock(size); }
void* operator new[](std::size_t size) { return takeBlock(size); }
void operator delete(void* p) noexcept { giveBack(p); }
void operator delete[](void* p) noexcept { giveBack(p); }
void operator delete(void* p, std::size_t) noexcept { giveBack(p); }
void operator delete[](void* p, std::size_t) noexcept { giveBack(p); }

namespace orbit {
namespace {

using test::BmpTestFile;
using test::Bytes;
using test::GreyJpeg;
using test::tgaFile;

// Points and faces counted 65535 under chunk lengths near 4 GiB, no records.
Bytes hugeMeshClaims()
{
    using test::Chunk;
    const Chunk points{0x4110, {0xFF, 0xFF}, {}, 0xFFFFFFF0u};
    const Chunk faces{0x4120, {0xFF, 0xFF}, {}, 0xFFFFFFF0u};
    return test::sceneFile({test::namedObject("hull", {test::triMesh({points, faces})})});
}

// A 3DS file read as the built-in scene takes the same path from the bytes on.
void readScene(const Bytes& file)
{
    MemoryResources resources;
    resources.add("FILE3DS", 1, file);
    RecordingNotifier notifier("orbit-patrol");
    RecordingSink sink;
    ModelServices services{resources, notifier, sink};
    (void)loadBuiltInScene(1, false, services);
}

TEST(HostileFiles, MemoryStaysInProportionToTheBytesPresent)
{
    constexpr std::size_t mib = 1024;
    using Reader = void (*)(const Bytes&);
    const Reader bmp = [](const Bytes& file) { (void)decodeBmp(file); };
    const Reader tga = [](const Bytes& file) { (void)decodeTga(file); };
    const Reader jpg = [](const Bytes& file) { (void)JpegDecoder().decode(file); };
    struct Row {
        const char* what;
        Reader read;
        Bytes file;
        std::size_t limitKib;
    };
    // The least scan data the decoder accepts for a grey 2048 x 2048 frame.
    const Bytes scan2048(2048 * 2048 / 256, 0);
    // Only the bytes after a 60000-byte comment may count as the frame's data.
    const Bytes grey2048 = GreyJpeg{.width = 2048, .height = 2048}.build();
    const Bytes commented = test::cat(test::cat({0xFF, 0xD8, 0xFF, 0xFE, 0xEA, 0x62}, Bytes(60000, 'x')),
                                      Bytes(grey2048.begin() + 2, grey2048.end()));
    const Row rows[] = {
        {"BMP of 60 bytes claiming 16384 x 16384 at 24 bits", bmp,
         BmpTestFile{.width = 16384, .height = 16384, .bits = Bytes(6, 0x7F)}.build(), 1 * mib},
        {"RLE8 BMP claiming 16384 x 16384 with one run", bmp,
         BmpTestFile{.width = 16384, .height = 16384, .bitCount = 8, .compression = 1, .clrUsed = 1,
                     .palette = {0xFFFFFF}, .bits = {255, 0, 0, 1}}
             .build(),
         16 * mib},
        {"raw TGA header claiming 16384 x 16384 at 32 bits", tga, tgaFile(2, 16384, 16384, 32, {}), 16 * mib},
        {"run-length TGA claiming 16384 x 16384 with one packet", tga,
         tgaFile(10, 16384, 16384, 32, Bytes(5, 0xFF)), 16 * mib},
        {"JPEG of 2048 x 2048 after a long comment, no scan data", jpg, commented, 1 * mib},
        // One 2048 x 2048 output array is 12 MiB: a second SOS must not hold a second.
        {"JPEG of 2048 x 2048 decoded again through a second SOS", jpg,
         GreyJpeg{.width = 2048, .height = 2048, .afterScanHeader = test::scanHeader(), .scan = scan2048}
             .build(),
         16 * mib},
        {"3DS claiming 65535 points and faces", readScene, hugeMeshClaims(), 16 * mib},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        peakBytes = heldBytes;
        const std::size_t before = heldBytes;
        row.read(row.file);
        const std::size_t grownKib = (peakBytes - before) / 1024;
        std::printf("[ peak     ] %-55s +%zu KiB\n", row.what, grownKib);
        EXPECT_LT(grownKib, row.limitKib);
    }
}

} // namespace
} // namespace orbit
