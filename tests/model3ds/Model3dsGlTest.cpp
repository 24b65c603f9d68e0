// The GL side of a model under a headless context: what the display list
// draws, texture loading, a GL error message, the heap's Retry/Cancel path and
// the vertex-array-range path through a fake procedure table.
#include "ThreeDsWriter.h"
#include "model3ds/SceneLoading.h"
#include "platform/HeadlessGlContext.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestDoubles.h"
#include "tests/support/TestFiles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <new>
#include <set>

namespace orbit {
namespace {

using namespace orbit::test;

constexpr int side = 64;

// Two squares side by side across the whole view: left in "Left", right in "Right".
std::vector<std::uint8_t> twoSquares(std::vector<Chunk> materials)
{
    const std::vector<Face3> quad{{0, 2, 1, 0}, {0, 3, 2, 0}};
    materials.push_back(meshObject("L", {{-1, -1, 0}, {0, -1, 0}, {0, 1, 0}, {-1, 1, 0}}, quad, "Left"));
    materials.push_back(meshObject("R", {{0, -1, 0}, {1, -1, 0}, {1, 1, 0}, {0, 1, 0}}, quad, "Right"));
    return sceneFile(std::move(materials));
}

const std::vector<std::uint8_t> redAndBlue =
    twoSquares({material("Left", {colour(0xA010, 1, 0, 0)}), material("Right", {colour(0xA010, 0, 0, 1)})});

class ModelGl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(context.create(side, side)) << context.error();
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    LoadedModel load(const std::vector<std::uint8_t>& bytes, const GlProcLookup* procs)
    {
        resources.add("FILE3DS", 1, bytes);
        ModelServices services{resources, notifier, diagnostics, procs, &loaders, &hooks};
        return loadBuiltInScene(1, false, services);
    }

    HeadlessGlContext context;
    MemoryResources resources;
    RecordingNotifier notifier{"orbit-patrol"};
    RecordingSink diagnostics;
    TextureLoaders loaders;
    CompileHooks hooks;
};

TEST_F(ModelGl, ListDrawsEachMaterialInItsColourWithTheTextureItsLoaderMadeAndReportsAGlError)
{
    glEnable(0x1234); // pending when the list is compiled
    std::vector<std::pair<std::string, unsigned>> calls;
    loaders.bmp = [&](const std::string& path, unsigned texture, UserNotifier&) {
        calls.emplace_back(path, texture);
        if (path == "HUGE.bmp")
            throw std::bad_alloc();
        const std::uint8_t green[] = {0, 255, 0, 0};
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, green);
        return true;
    };
    loaders.tga = [&](const std::string& path, unsigned texture, UserNotifier&) {
        calls.emplace_back(path, texture);
        glBindTexture(GL_TEXTURE_2D, texture); // makes it a texture object, then fails
        return false;
    };
    // Texture files are looked for beside the scene file, a plain name in any
    // case; the kind goes by the last three letters in any case. A folder is
    // not a texture file: the loader gets the stored name.
    ScratchDir dir("model3ds-gl");
    writeFileBytes(dir.path() / "hull.bmp", {0});
    std::filesystem::create_directory(dir.path() / "skin.tga");
    const std::string scene = (dir.path() / "ship.3ds").string();
    writeFileBytes(scene, twoSquares({
        material("Left", {colour(0xA010, 1, 1, 1), textureMap("HULL.bMp")}),
        material("Right", {colour(0xA010, 0, 0, 1), colour(0xA030, 1, 0, 0), textureMap("SKIN.TGA")}),
        material("Short", {textureMap("mp")}), // no kind: generated, never filled
        material("Huge", {textureMap("HUGE.bmp")}),
    }));
    ModelServices services{resources, notifier, diagnostics, &context, &loaders, &hooks};
    LoadedModel loaded = loadSceneFile(scene, false, services);
    // A texture the heap cannot hold costs only that texture.
    ASSERT_NE(loaded.model, nullptr);
    EXPECT_EQ(diagnostics.recorded, "Out of memory loading HUGE.bmp\n");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "glGetError reports GL_INVALID_ENUM when compiling display list");
    EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
    EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::Ok);
    const auto& m = loaded.model->materials();
    ASSERT_EQ(m.size(), 4u);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], (std::pair{(dir.path() / "hull.bmp").string(), m[0].texture}));
    EXPECT_EQ(calls[1].first, "SKIN.TGA");
    // A failed load deletes its texture object and the material binds 0.
    EXPECT_EQ((std::array{m[1].texture == 0, m[2].texture == 0, m[3].texture == 0}),
              (std::array{true, false, true}));
    EXPECT_FALSE(loaded.model->varAvailable()); // Mesa advertises no NV_vertex_array_range

    // The list holds its own copy of the geometry: pointing the arrays
    // elsewhere after compiling changes nothing drawn. Under a white ambient
    // light and the default light 0 shining down the view, a pixel shows its
    // material's ambient colour times the texture, plus its specular colour:
    // the left square green from its texture, the right one blue lit red.
    const std::vector<float> elsewhere(8 * 16, 0.0f);
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, elsewhere.data());
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat white[] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, white);
    loaded.model->drawList();
    std::array<std::uint8_t, 6> middles{}; // of the left and the right half
    glReadPixels(side / 4, side / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, middles.data());
    glReadPixels(3 * side / 4, side / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, middles.data() + 3);
    EXPECT_EQ(middles, (std::array<std::uint8_t, 6>{0, 255, 0, 255, 0, 255}));
    // The list binds 0, not the deleted name, which would make an object nobody owns.
    EXPECT_FALSE(glIsTexture(calls[1].second));
    EXPECT_TRUE(glIsTexture(m[2].texture)); // generated, never filled: made by the first bind
    const std::array textures{m[0].texture, m[2].texture};
    const unsigned list = loaded.model->displayList();
    loaded.model.reset();
    EXPECT_FALSE(glIsList(list));
    EXPECT_FALSE(glIsTexture(textures[0]) || glIsTexture(textures[1]));
}

TEST_F(ModelGl, FailingHeapAsksRetryOrCancelAndCancelEndsTheProcess)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        MessageReply reply;   // to the first request, which fails
        std::size_t requests; // of 256 bytes: two squares of four points
    };
    const Case cases[] = {
        {redAndBlue, MessageReply::Retry, 2},
        {redAndBlue, MessageReply::Cancel, 1},
        // Nothing to hold: no request at all, which the user could never satisfy.
        {sceneFile({material("Only")}), MessageReply::Cancel, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requests);
        notifier = RecordingNotifier{"orbit-patrol"}; // replies are consumed: a fresh one per case
        notifier.scriptedReplies = {c.reply};
        std::vector<std::size_t> requests;
        std::vector<int> exitCodes;
        hooks.heapAllocationFails = [&](std::size_t bytes) {
            requests.push_back(bytes);
            return requests.size() == 1;
        };
        hooks.exitProcess = [&](int code) { exitCodes.push_back(code); };
        const LoadedModel loaded = load(c.bytes, &context);
        EXPECT_EQ(requests, std::vector<std::size_t>(c.requests, 8u * 32u));
        ASSERT_EQ(notifier.messages.size(), c.requests == 0 ? 0u : 1u);
        if (c.requests != 0) {
            EXPECT_EQ(notifier.messages[0].text, "Failed to load the 3DS mesh into System memory!");
            EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
            EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::RetryCancel);
        }
        EXPECT_EQ(exitCodes, std::vector<int>(c.requests == 1 ? 1 : 0, 0));
        ASSERT_NE(loaded.model, nullptr);
        EXPECT_EQ(loaded.model->vertexArray() != nullptr, c.requests == 2);
    }
}

// A fake NV_vertex_array_range / NV_fence driver that notes each call.
// Entry points are plain functions, so they share this state.
std::vector<std::string> nvCalls;
std::vector<float> nvMemory(1024);
bool nvAllocationFails = false;

template <typename EntryPoint>
GlProc proc(EntryPoint entryPoint)
{
    return reinterpret_cast<GlProc>(+entryPoint);
}

struct FakeNvLookup final : GlProcLookup {
    std::set<std::string> missing;
    GlProc find(const char* name) const override
    {
        const std::map<std::string, GlProc> table{
            {"glXAllocateMemoryNV", proc([](int, float, float, float) -> void* {
                 nvCalls.push_back("allocate");
                 return nvAllocationFails ? nullptr : nvMemory.data();
             })},
            {"glXFreeMemoryNV", proc([](void*) { nvCalls.push_back("free"); })},
            {"glVertexArrayRangeNV", proc([](int, const void*) { nvCalls.push_back("range"); })},
            {"glGenFencesNV", proc([](int, unsigned* fences) {
                 nvCalls.push_back("genFences");
                 *fences = 7;
             })},
            {"glDeleteFencesNV", proc([](int, const unsigned*) { nvCalls.push_back("deleteFences"); })},
            {"glSetFenceNV", proc([](unsigned, unsigned) { nvCalls.push_back("setFence"); })},
            {"glFinishFenceNV", proc([](unsigned) { nvCalls.push_back("finishFence"); })},
        };
        // The path never calls the other entry points (glIsFenceNV,
        // glTestFenceNV, ...): a call would show as "unused".
        const auto found = table.find(name);
        if (missing.contains(name))
            return nullptr;
        return found == table.end() ? proc([] { nvCalls.push_back("unused"); }) : found->second;
    }
};

TEST_F(ModelGl, RangePathNeedsItsEntryPointsAndExtensionsThenChecksTheRangeAndEndsWhenInvalid)
{
    // A missing entry point, called or not, or an extension not advertised
    // refuses the range; entry points never called may be missing, and a
    // failed range allocation falls back to the heap.
    const std::pair<std::set<std::string>, const char*> refusals[] = {
        {{"glFinishFenceNV"}, ""},
        {{"glIsFenceNV"}, ""},
        {{}, "GL_NV_fence"},
        {{"glFlushVertexArrayRangeNV", "glTestFenceNV", "glGetFenceivNV"}, nullptr},
    };
    nvAllocationFails = true;
    for (const auto& [missing, absent] : refusals) {
        SCOPED_TRACE(missing.empty() ? absent : *missing.begin());
        nvCalls.clear();
        hooks.extensionAdvertised = [absent](const char* name) {
            return !absent || name != std::string(absent);
        };
        FakeNvLookup lookup;
        lookup.missing = missing;
        const LoadedModel loaded = load(redAndBlue, &lookup);
        ASSERT_NE(loaded.model, nullptr);
        EXPECT_EQ(nvCalls, std::vector<std::string>(absent ? 0 : 1, "allocate"));
        EXPECT_FALSE(loaded.model->varAvailable());
        EXPECT_TRUE(notifier.messages.empty());
        EXPECT_NE(loaded.model->vertexArray(), nullptr); // on the heap
    }

    // Everything there: the vertices are copied into the range memory (the
    // first x shown) before the check, which Mesa always fails.
    std::vector<int> exitCodes;
    hooks.exitProcess = [&](int code) { exitCodes.push_back(code); };
    nvCalls.clear();
    nvAllocationFails = false;
    const FakeNvLookup lookup;
    LoadedModel loaded = load(redAndBlue, &lookup);
    ASSERT_NE(loaded.model, nullptr);
    EXPECT_EQ(nvCalls, (std::vector<std::string>{"allocate", "range", "genFences", "finishFence", "setFence"}));
    EXPECT_TRUE(loaded.model->varAvailable());
    EXPECT_EQ(loaded.model->vertexArray(), nvMemory.data());
    EXPECT_EQ(nvMemory[5], -1.0f);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Vertex Array Range is Invalid");
    EXPECT_EQ(notifier.messages[0].caption, "CompileDisplayList Error!");
    EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(exitCodes, std::vector<int>{0});
    nvCalls.clear();
    loaded.model.reset();
    EXPECT_EQ(nvCalls, (std::vector<std::string>{"free", "deleteFences"}));
}

} // namespace
} // namespace orbit
