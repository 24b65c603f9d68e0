// The starship's loaders without GL: what the user is told, what goes to the
// diagnostics, the scale, and the file stream's 1 MiB window.
#include "ThreeDsWriter.h"
#include "model3ds/ByteStream.h"
#include "model3ds/SceneLoading.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestDoubles.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <limits>

namespace orbit {
namespace {

using namespace orbit::test;

std::vector<std::uint8_t> spanFile(float extent)
{
    return sceneFile({meshObject("S", {{0, 0, 0}, {extent, 0, 0}, {0, extent / 2, 0}}, {{0, 1, 2, 0}}, "")});
}

TEST(SceneLoading, FilesAndTheBuiltInSceneLoadOrTellTheUserWhichSourceFailed)
{
    ScratchDir dir("model3ds-load");
    const std::string ship = (dir.path() / "ship.3ds").string();
    writeFileBytes(ship, spanFile(400));
    const std::string notModel = (dir.path() / "picture.3ds").string();
    writeFileBytes(notModel, {'B', 'M', 0, 0, 0, 0, 0, 0});
    const std::string missing = (dir.path() / "missing.3ds").string();
    // A usable built-in scene is never substituted for a failed file.
    const std::vector<std::uint8_t> usable = spanFile(2);
    struct Case {
        std::string path; // empty: the built-in scene
        std::vector<std::uint8_t> builtIn;
        std::string diagnostics;
        // The scale brings the largest extent to two units; no extent (no
        // points at all: -infinity) leaves 2.
        double size = 0, scale = 0;
    };
    const Case cases[] = {
        {ship, usable, "", 400, 0.005},
        {"", sceneFile({}), "", -std::numeric_limits<double>::infinity(), 2},
        {notModel, usable, "Not in 3DS format.\nFailed to parse " + notModel + "\n"},
        {missing, usable, "File could not be opened " + std::to_string(ENOENT) + "\n"},
        {dir.path().string(), usable, "File could not be opened " + std::to_string(EISDIR) + "\n"},
        {"", {0x4D, 0x3C}, "Not in 3DS format.\nFailed to parse"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        MemoryResources resources;
        RecordingNotifier notifier{"orbit-patrol"};
        RecordingSink diagnostics;
        ModelServices services{resources, notifier, diagnostics, nullptr};
        resources.add("FILE3DS", 184, c.builtIn);
        const LoadedModel loaded =
            c.path.empty() ? loadBuiltInScene(184, true, services) : loadSceneFile(c.path, true, services);
        EXPECT_EQ(diagnostics.recorded, c.diagnostics);
        if (c.diagnostics.empty()) {
            ASSERT_NE(loaded.model, nullptr);
            EXPECT_EQ(loaded.modelSize, c.size);
            EXPECT_DOUBLE_EQ(loaded.modelScale, c.scale);
            EXPECT_EQ(loaded.model->displayList(), 0u); // without GL nothing is made on the GL side
            EXPECT_TRUE(notifier.messages.empty());
            continue;
        }
        EXPECT_EQ(loaded.model, nullptr);
        ASSERT_EQ(notifier.messages.size(), 1u);
        const std::string text = c.path.empty() ? "Error loading 3ds default file"
                                                : "Error loading 3ds file \"" + c.path + "\"";
        EXPECT_EQ(notifier.messages[0].text, text);
        EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
        EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::Ok);
    }
}

TEST(ByteStream, FileReadsAcrossItsWindowAsInMemoryUntilItShrinks)
{
    constexpr std::size_t window = std::size_t{1} << 20; // the stream's window size
    ScratchDir dir("model3ds-stream");
    std::vector<std::uint8_t> bytes(2 * window + 7);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13); // a wrong offset shows
    const std::string path = (dir.path() / "pattern.bin").string();
    writeFileBytes(path, bytes);
    ByteStream file;
    int cause = 0;
    ASSERT_TRUE(file.openFile(path, cause)) << cause;
    ByteStream memory(bytes);
    // Values ending at, straddling and starting after the window's end, a
    // seek back, and the last bytes of the file.
    for (const std::size_t start : {window - 4, window - 2, window + 1, std::size_t{3}, bytes.size() - 4}) {
        file.seek(start);
        memory.seek(start);
        std::uint32_t fromFile = 0, fromMemory = 0;
        ASSERT_TRUE(file.readU32(fromFile, bytes.size())) << start;
        ASSERT_TRUE(memory.readU32(fromMemory, bytes.size()));
        EXPECT_EQ(fromFile, fromMemory) << start;
    }
    // Outside the window now: the refill finds the file shorter, then no read is tried any more.
    std::filesystem::resize_file(path, window / 2);
    for (const std::size_t start : {2 * window, std::size_t{5}}) {
        std::uint8_t byte = 0;
        file.seek(start);
        EXPECT_FALSE(file.readU8(byte, bytes.size())) << start;
        EXPECT_EQ(file.readError(), EIO);
    }
}

} // namespace
} // namespace orbit
