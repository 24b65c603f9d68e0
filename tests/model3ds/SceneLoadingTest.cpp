// The starship's loaders without GL: what the user is told, what goes to the
// diagnostics, the scale, and where texture files are looked for.
#include "ThreeDsWriter.h"
#include "model3ds/SceneLoading.h"
#include "model3ds/TexturePath.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestDoubles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
#include <filesystem>

namespace orbit {
namespace {

using namespace orbit::test;

struct Harness {
    MemoryResources resources;
    RecordingNotifier notifier{"orbit-patrol"};
    RecordingSink diagnostics;
    ModelServices services{resources, notifier, diagnostics, nullptr};
};

std::vector<std::uint8_t> spanFile(float extent)
{
    return sceneFile({simpleMaterial("M", 1, 1, 1),
                      meshObject("S", {{0, 0, 0}, {extent, 0, 0}, {0, extent / 2, 0}}, {{0, 1, 2, 0}}, "M")});
}

TEST(SceneLoading, ScaleBringsTheLargestExtentToTwoUnits)
{
    const std::pair<double, double> cases[] = {
        {400, 0.005}, {2, 1.0}, {0, 2.0}, {1e-11, 2.0}, {-std::numeric_limits<double>::infinity(), 2.0}};
    for (const auto& [size, scale] : cases)
        EXPECT_DOUBLE_EQ(modelScaleForSize(size), scale) << size;
}

TEST(SceneLoading, UserFileLoadsWithItsSizeAndScale)
{
    ScratchDir dir("model3ds-load");
    const std::string path = (dir.path() / "ship.3ds").string();
    writeFileBytes(path, spanFile(400));
    Harness h;
    const LoadedModel loaded = loadSceneFile(path, true, h.services);
    ASSERT_NE(loaded.model, nullptr);
    EXPECT_EQ(loaded.modelSize, 400);
    EXPECT_DOUBLE_EQ(loaded.modelScale, 0.005);
    EXPECT_TRUE(h.notifier.messages.empty());
    EXPECT_EQ(h.diagnostics.recorded, "");
    // Without GL nothing is made on the GL side.
    EXPECT_EQ(loaded.model->displayList(), 0u);
    EXPECT_EQ(loaded.model->vertexArray(), nullptr);
}

TEST(SceneLoading, FailuresTellTheUserWhichSourceFailedAndGiveNoModel)
{
    ScratchDir dir("model3ds-fail");
    const std::string notModel = (dir.path() / "picture.3ds").string();
    writeFileBytes(notModel, {'B', 'M', 0, 0, 0, 0, 0, 0});
    const std::string missing = (dir.path() / "missing.3ds").string();
    struct Case {
        std::string path;
        std::string diagnostics;
    };
    const Case cases[] = {
        {notModel, "Not in 3DS format.\nFailed to parse " + notModel + "\n"},
        {missing, "File could not be opened " + std::to_string(ENOENT) + "\n"},
        {dir.path().string(), "File could not be opened " + std::to_string(EISDIR) + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Harness h;
        // A usable built-in scene is present and must not be substituted.
        h.resources.add("FILE3DS", 184, spanFile(2));
        const LoadedModel loaded = loadSceneFile(c.path, true, h.services);
        EXPECT_EQ(loaded.model, nullptr);
        EXPECT_EQ(h.diagnostics.recorded, c.diagnostics);
        ASSERT_EQ(h.notifier.messages.size(), 1u);
        EXPECT_EQ(h.notifier.messages[0].text, "Error loading 3ds file \"" + c.path + "\"");
        EXPECT_EQ(h.notifier.messages[0].caption, "orbit-patrol");
        EXPECT_EQ(h.notifier.messages[0].buttons, MessageButtons::Ok);
    }
}

TEST(SceneLoading, BuiltInSceneLoadsFromItsResourceOrSaysSo)
{
    Harness good;
    good.resources.add("FILE3DS", 184, spanFile(4));
    const LoadedModel loaded = loadBuiltInScene(184, true, good.services);
    ASSERT_NE(loaded.model, nullptr);
    EXPECT_DOUBLE_EQ(loaded.modelScale, 0.5);

    for (const bool present : {false, true}) {
        Harness bad;
        if (present)
            bad.resources.add("FILE3DS", 184, {0x4D, 0x3C, 6, 0, 0, 0});
        const LoadedModel failed = loadBuiltInScene(184, true, bad.services);
        EXPECT_EQ(failed.model, nullptr);
        EXPECT_EQ(bad.diagnostics.recorded, "Not in 3DS format.\nFailed to parse");
        ASSERT_EQ(bad.notifier.messages.size(), 1u);
        EXPECT_EQ(bad.notifier.messages[0].text, "Error loading 3ds default file");
        EXPECT_EQ(bad.notifier.messages[0].caption, "orbit-patrol");
    }
}

// Changes the working directory for one test and puts it back.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& path) : previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous); }

private:
    std::filesystem::path previous;
};

TEST(TexturePath, StoredNameFirstThenBesideTheSceneThenIgnoringCase)
{
    ScratchDir dir("model3ds-textures");
    const auto cwd = dir.path() / "cwd";
    const auto scene = dir.path() / "scene";
    std::filesystem::create_directories(cwd);
    std::filesystem::create_directories(scene);
    writeFileBytes(cwd / "HERE.BMP", {1});
    writeFileBytes(scene / "HERE.BMP", {2});
    writeFileBytes(scene / "BESIDE.TGA", {3});
    writeFileBytes(scene / "hull.bmp", {4});
    std::filesystem::create_directories(scene / "DIR.BMP");
    const WorkingDirectory inside(cwd);
    const std::string folder = scene.string();
    struct Case {
        const char* stored;
        std::string sceneFolder;
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {"HERE.BMP", folder, "HERE.BMP", true},
        {"BESIDE.TGA", folder, (scene / "BESIDE.TGA").string(), true},
        {"HULL.BMP", folder, (scene / "hull.bmp").string(), true},
        {"NOWHERE.BMP", folder, "NOWHERE.BMP", false},
        {"DIR.BMP", folder, "DIR.BMP", false},
        {"BESIDE.TGA", "", "BESIDE.TGA", false}, // the built-in scene has no folder
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const TexturePath found = resolveTexturePath(c.stored, c.sceneFolder);
        EXPECT_EQ(found.path, c.path);
        EXPECT_EQ(found.exists, c.exists);
    }
}

} // namespace
} // namespace orbit
