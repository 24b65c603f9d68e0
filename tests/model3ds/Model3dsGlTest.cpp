// The GL side of a model under a headless context: what the display list
// draws (colours and texture bindings checked through the pixels), texture
// loader dispatch and the names left after failed loads, GL error messages, the heap's Retry/Cancel path, and the
// vertex-array-range path through a fake procedure table.
#include "ThreeDsWriter.h"
#include "model3ds/SceneLoading.h"
#include "platform/HeadlessGlContext.h"
#include "platform/MemoryResources.h"
#include "tests/support/TestDoubles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <new>
#include <set>

namespace orbit {
namespace {

using namespace orbit::test;

constexpr int side = 64;

class ModelGl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(context.create(side, side)) << context.error();
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    LoadedModel load(const std::vector<std::uint8_t>& bytes, const GlProcLookup* procs, bool forceTwoSided = false)
    {
        resources.add("FILE3DS", 1, bytes);
        ModelServices services{resources, notifier, diagnostics, procs, &loaders, &hooks};
        return loadBuiltInScene(1, forceTwoSided, services);
    }

    // Draws the model with identity transforms, lit only by a white ambient
    // light, so each pixel shows its material's ambient colour (times the
    // texture when texturing is on).
    std::vector<std::uint8_t> render(const Model3ds& model, bool textured = false)
    {
        glViewport(0, 0, side, side);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        const GLfloat white[] = {1, 1, 1, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, white);
        textured ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
        model.drawList();
        glFinish();
        std::vector<std::uint8_t> pixels(side * side * 4);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    static std::array<int, 3> pixel(const std::vector<std::uint8_t>& pixels, int x, int y)
    {
        const std::size_t at = (static_cast<std::size_t>(y) * side + x) * 4;
        return {pixels[at], pixels[at + 1], pixels[at + 2]};
    }

    HeadlessGlContext context;
    MemoryResources resources;
    RecordingNotifier notifier{"orbit-patrol"};
    RecordingSink diagnostics;
    TextureLoaders loaders;
    CompileHooks hooks;
};

// Two squares side by side across the whole view: left in "Left", right in "Right".
std::vector<std::uint8_t> twoSquares(std::vector<Chunk> materials)
{
    const std::vector<Point3> l{{-1, -1, 0}, {0, -1, 0}, {0, 1, 0}, {-1, 1, 0}};
    const std::vector<Point3> r{{0, -1, 0}, {1, -1, 0}, {1, 1, 0}, {0, 1, 0}};
    const std::vector<Face3> quad{{0, 2, 1, 0}, {0, 3, 2, 0}};
    materials.push_back(meshObject("L", l, quad, "Left"));
    materials.push_back(meshObject("R", r, quad, "Right"));
    return sceneFile(std::move(materials));
}

Chunk ambientMaterial(const std::string& name, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                      const std::string& texture = "")
{
    std::vector<Chunk> children{materialName(name), colourChunk(0xA010, {colour24(r, g, b)}),
                                colourChunk(0xA020, {colour24(0, 0, 0)})};
    if (!texture.empty())
        children.push_back(textureMap(texture));
    return material(children);
}

TEST_F(ModelGl, ListDrawsEachMaterialInItsColour)
{
    const LoadedModel loaded = load(twoSquares({ambientMaterial("Left", 255, 0, 0), ambientMaterial("Right", 0, 0, 255)}),
                                    &context);
    ASSERT_NE(loaded.model, nullptr);
    EXPECT_TRUE(glIsList(loaded.model->displayList()));
    EXPECT_NE(loaded.model->vertexArray(), nullptr);
    EXPECT_FALSE(loaded.model->varAvailable()); // Mesa advertises no NV_vertex_array_range
    EXPECT_TRUE(notifier.messages.empty());
    // The list holds its own copy of the geometry: pointing the arrays
    // elsewhere after compiling changes nothing drawn.
    const std::vector<float> elsewhere(8 * 16, 0.0f);
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, elsewhere.data());
    const auto pixels = render(*loaded.model);
    // 255/256 of full red comes out as 254.
    EXPECT_EQ(pixel(pixels, side / 4, side / 2), (std::array<int, 3>{254, 0, 0}));
    EXPECT_EQ(pixel(pixels, 3 * side / 4, side / 2), (std::array<int, 3>{0, 0, 254}));
    EXPECT_EQ(loaded.modelSize, 2.0);
}

// The names that are texture objects among the first few hundred.
std::set<unsigned> liveTextureNames()
{
    std::set<unsigned> live;
    for (unsigned name = 1; name < 256; ++name) {
        if (glIsTexture(name))
            live.insert(name);
    }
    return live;
}

TEST_F(ModelGl, TexturesGoToTheLoaderOfTheirExtensionAndAreBoundInTheList)
{
    std::vector<std::pair<std::string, unsigned>> bmpCalls, tgaCalls;
    loaders.bmp = [&](const std::string& path, unsigned texture, UserNotifier&) {
        bmpCalls.emplace_back(path, texture);
        if (path == "HUGE.bmp")
            throw std::bad_alloc();
        const std::uint8_t green[] = {0, 255, 0, 0};
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, green);
        return true;
    };
    loaders.tga = [&](const std::string& path, unsigned texture, UserNotifier&) {
        tgaCalls.emplace_back(path, texture);
        glBindTexture(GL_TEXTURE_2D, texture); // makes it a texture object, then fails
        return false;
    };
    LoadedModel loaded =
        load(twoSquares({ambientMaterial("Left", 255, 255, 255, "HULL.bmp"), ambientMaterial("Right", 255, 255, 255, "SKIN.TGA"),
                         ambientMaterial("Photo", 255, 255, 255, "PIC.JPG"), ambientMaterial("Plain", 255, 255, 255),
                         ambientMaterial("Huge", 255, 255, 255, "HUGE.bmp")}),
             &context);
    // A texture the heap cannot hold costs only that texture.
    ASSERT_NE(loaded.model, nullptr);
    EXPECT_EQ(diagnostics.recorded, "Out of memory loading HUGE.bmp\n");
    const auto& materials = loaded.model->materials();
    ASSERT_EQ(materials.size(), 5u);
    EXPECT_EQ(bmpCalls.size(), 2u);
    EXPECT_EQ(bmpCalls[0], (std::pair<std::string, unsigned>{"HULL.bmp", materials[0].texture}));
    ASSERT_EQ(tgaCalls.size(), 1u);
    EXPECT_EQ(tgaCalls[0].first, "SKIN.TGA");
    EXPECT_TRUE(glIsTexture(materials[0].texture));
    // A failed load deletes the texture object and the material binds 0.
    EXPECT_FALSE(glIsTexture(tgaCalls[0].second));
    EXPECT_EQ(materials[1].texture, 0u);
    EXPECT_EQ(materials[4].texture, 0u);
    // A JPEG name reaches no loader: generated, never filled.
    EXPECT_NE(materials[2].texture, 0u);
    EXPECT_FALSE(glIsTexture(materials[2].texture));
    EXPECT_EQ(materials[3].texture, 0u);

    // The left square is bound to the green texture in the list, the right
    // one to no texture (white).
    glBindTexture(GL_TEXTURE_2D, 0);
    for (int frame = 0; frame < 99; ++frame)
        render(*loaded.model, true);
    const auto pixels = render(*loaded.model, true);
    EXPECT_EQ(pixel(pixels, side / 4, side / 2), (std::array<int, 3>{0, 254, 0}));
    EXPECT_EQ(pixel(pixels, 3 * side / 4, side / 2), (std::array<int, 3>{254, 254, 254}));
    // After 100 draws the only texture objects are names the model owns: the
    // loaded one and the JPEG name the list binds.
    EXPECT_EQ(liveTextureNames(), (std::set<unsigned>{materials[0].texture, materials[2].texture}));
    // The model owns its list and textures.
    const unsigned list = loaded.model->displayList();
    loaded.model.reset();
    EXPECT_FALSE(glIsList(list));
    EXPECT_TRUE(liveTextureNames().empty());
}

// Fills the projection stack (depth > 0) or empties it again (depth 0).
void projectionStackTo(bool full)
{
    glMatrixMode(GL_PROJECTION);
    GLint depth = 0;
    glGetIntegerv(full ? GL_MAX_PROJECTION_STACK_DEPTH : GL_PROJECTION_STACK_DEPTH, &depth);
    for (int i = full ? 0 : 1; i < depth; ++i)
        full ? glPushMatrix() : glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(ModelGl, EachPendingGlErrorIsReportedOnce)
{
    const std::pair<const char*, void (*)()> cases[] = {
        {"INVALID_ENUM", [] { glEnable(0x1234); }},
        {"INVALID_VALUE", [] { glLineWidth(-1.0f); }},
        {"INVALID_OPERATION", [] { glEndList(); }},
        {"STACK_UNDERFLOW", [] { glPopMatrix(); }},
        {"STACK_OVERFLOW", [] { projectionStackTo(true); }},
        {nullptr, [] {}}, // nothing pending, nothing shown
    };
    for (const auto& [error, provoke] : cases) {
        SCOPED_TRACE(error ? error : "none");
        notifier.messages.clear();
        provoke();
        const LoadedModel loaded = load(twoSquares({ambientMaterial("Left", 1, 1, 1), ambientMaterial("Right", 1, 1, 1)}),
                                        &context);
        projectionStackTo(false);
        ASSERT_NE(loaded.model, nullptr);
        ASSERT_EQ(notifier.messages.size(), error ? 1u : 0u);
        if (error) {
            EXPECT_EQ(notifier.messages[0].text, std::string("glGetError reports GL_") + error + " when compiling display list");
            EXPECT_EQ(notifier.messages[0].caption, "orbit-patrol");
            EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::Ok);
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(ModelGl, ModelWithoutVerticesAllocatesNothingAndAsksNothing)
{
    int heapRequests = 0;
    hooks.heapAllocationFails = [&](std::size_t) {
        ++heapRequests;
        return true;
    };
    const LoadedModel loaded = load(sceneFile({ambientMaterial("Only", 255, 0, 0)}), &context);
    ASSERT_NE(loaded.model, nullptr);
    EXPECT_EQ(heapRequests, 0);
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(loaded.model->vertexArray(), nullptr);
    EXPECT_TRUE(glIsList(loaded.model->displayList())); // colours recorded, nothing drawn
}

TEST_F(ModelGl, FailingHeapAsksRetryOrCancelAndCancelEndsTheProcess)
{
    struct Case {
        std::vector<MessageReply> replies;
        int failures; // heap refusals before it gives
        int exits;
    };
    const Case cases[] = {
        {{MessageReply::Retry, MessageReply::Retry}, 2, 0},
        {{MessageReply::Retry, MessageReply::Cancel}, 5, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exits);
        RecordingNotifier fresh{"orbit-patrol"}; // replies are consumed: one notifier per case
        fresh.scriptedReplies = c.replies;
        int refusals = 0;
        std::vector<int> exitCodes;
        hooks.heapAllocationFails = [&](std::size_t bytes) {
            EXPECT_EQ(bytes, 8u * 32u); // two squares of four points
            return refusals++ < c.failures;
        };
        hooks.exitProcess = [&](int code) { exitCodes.push_back(code); };
        resources.add("FILE3DS", 1, twoSquares({ambientMaterial("Left", 1, 0, 0), ambientMaterial("Right", 0, 0, 1)}));
        ModelServices services{resources, fresh, diagnostics, &context, &loaders, &hooks};
        const LoadedModel loaded = loadBuiltInScene(1, false, services);
        ASSERT_EQ(fresh.messages.size(), c.replies.size());
        for (const auto& message : fresh.messages) {
            EXPECT_EQ(message.text, "Failed to load the 3DS mesh into System memory!");
            EXPECT_EQ(message.caption, "orbit-patrol");
            EXPECT_EQ(message.buttons, MessageButtons::RetryCancel);
        }
        EXPECT_EQ(exitCodes, std::vector<int>(static_cast<std::size_t>(c.exits), 0));
        ASSERT_NE(loaded.model, nullptr);
        EXPECT_EQ(loaded.model->vertexArray() != nullptr, c.exits == 0);
    }
}

// The fake NV_vertex_array_range / NV_fence driver. Its entry points are plain
// functions, so they reach the recording through this one test-only pointer.
struct FakeNv {
    std::vector<std::string> calls;
    bool allocationFails = false;
    std::vector<std::byte> memory;
    std::array<float, 4> allocation{}; // size, read, write, priority
    int rangeSize = -1;
    const void* rangePointer = nullptr;
    unsigned setCondition = 0;
    std::vector<unsigned> deletedFences;
    const void* freed = nullptr;
};
FakeNv* fakeNv = nullptr;

void* fakeAllocate(int size, float read, float write, float priority)
{
    fakeNv->calls.push_back("allocate");
    fakeNv->allocation = {static_cast<float>(size), read, write, priority};
    fakeNv->memory.assign(static_cast<std::size_t>(size), std::byte{0});
    return fakeNv->allocationFails ? nullptr : fakeNv->memory.data();
}
void fakeFree(void* pointer)
{
    fakeNv->calls.push_back("free");
    fakeNv->freed = pointer;
}
void fakeRange(int size, const void* pointer)
{
    fakeNv->calls.push_back("range");
    fakeNv->rangeSize = size;
    fakeNv->rangePointer = pointer;
}
void fakeGenFences(int n, unsigned* fences)
{
    fakeNv->calls.push_back("genFences");
    std::fill(fences, fences + n, 7u);
}
void fakeDeleteFences(int n, const unsigned* fences)
{
    fakeNv->calls.push_back("deleteFences");
    fakeNv->deletedFences.assign(fences, fences + n);
}
void fakeSetFence(unsigned, unsigned condition)
{
    fakeNv->calls.push_back("setFence");
    fakeNv->setCondition = condition;
}
void fakeFinishFence(unsigned) { fakeNv->calls.push_back("finishFence"); }
unsigned char fakeIsFence(unsigned)
{
    fakeNv->calls.push_back("isFence");
    return 1;
}
// Entry points the range path must never call.
void fakeFlush() { fakeNv->calls.push_back("unused"); }
unsigned char fakeTestFence(unsigned) { return 1; }
void fakeGetFenceiv(unsigned, unsigned, int*) { fakeNv->calls.push_back("unused"); }

class FakeNvLookup final : public GlProcLookup {
public:
    explicit FakeNvLookup(std::set<std::string> missing = {}) : missing(std::move(missing)) {}
    GlProc find(const char* name) const override
    {
        if (missing.count(name))
            return nullptr;
        static_assert(sizeof(GlProc) == sizeof(void*));
        const std::map<std::string, GlProc> table{
            {"glXAllocateMemoryNV", reinterpret_cast<GlProc>(&fakeAllocate)},
            {"glXFreeMemoryNV", reinterpret_cast<GlProc>(&fakeFree)},
            {"glVertexArrayRangeNV", reinterpret_cast<GlProc>(&fakeRange)},
            {"glFlushVertexArrayRangeNV", reinterpret_cast<GlProc>(&fakeFlush)},
            {"glGenFencesNV", reinterpret_cast<GlProc>(&fakeGenFences)},
            {"glDeleteFencesNV", reinterpret_cast<GlProc>(&fakeDeleteFences)},
            {"glSetFenceNV", reinterpret_cast<GlProc>(&fakeSetFence)},
            {"glTestFenceNV", reinterpret_cast<GlProc>(&fakeTestFence)},
            {"glFinishFenceNV", reinterpret_cast<GlProc>(&fakeFinishFence)},
            {"glIsFenceNV", reinterpret_cast<GlProc>(&fakeIsFence)},
            {"glGetFenceivNV", reinterpret_cast<GlProc>(&fakeGetFenceiv)},
        };
        const auto found = table.find(name);
        return found == table.end() ? nullptr : found->second;
    }

private:
    std::set<std::string> missing;
};

class ModelGlNv : public ModelGl {
protected:
    void SetUp() override
    {
        ModelGl::SetUp();
        fakeNv = &fake;
        hooks.extensionAdvertised = [](const char*) { return true; };
        hooks.exitProcess = [this](int code) { exitCodes.push_back(code); };
    }
    void TearDown() override
    {
        while (glGetError() != GL_NO_ERROR) {
        }
        glDisableClientState(GL_VERTEX_ARRAY);
        fakeNv = nullptr;
    }
    FakeNv fake;
    std::vector<int> exitCodes;
};

TEST_F(ModelGlNv, RangePathAllocatesFencesAndChecksTheRangeThenEndsWhenInvalid)
{
    const FakeNvLookup lookup;
    LoadedModel loaded = load(twoSquares({ambientMaterial("Left", 1, 1, 1), ambientMaterial("Right", 1, 1, 1)}), &lookup);
    ASSERT_NE(loaded.model, nullptr);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"allocate", "range", "genFences", "finishFence", "setFence"}));
    EXPECT_EQ(fake.allocation, (std::array<float, 4>{8 * 32, 0.2f, 0.0f, 0.75f}));
    EXPECT_EQ(fake.rangeSize, 8 * 32);
    EXPECT_EQ(fake.rangePointer, fake.memory.data());
    EXPECT_EQ(fake.setCondition, 0x84F2u);
    EXPECT_TRUE(loaded.model->varAvailable());
    EXPECT_EQ(loaded.model->vertexArray(), fake.memory.data());
    // The vertices were copied into the range memory before the check.
    float firstX = 0;
    std::memcpy(&firstX, fake.memory.data() + 5 * sizeof(float), sizeof firstX);
    EXPECT_EQ(firstX, -1.0f);
    // Mesa has no such range, so it is never valid here.
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Vertex Array Range is Invalid");
    EXPECT_EQ(notifier.messages[0].caption, "CompileDisplayList Error!");
    EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(exitCodes, std::vector<int>{0});
    fake.calls.clear();
    loaded.model.reset();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"free", "deleteFences"}));
    EXPECT_EQ(fake.freed, fake.memory.data());
    EXPECT_EQ(fake.deletedFences, std::vector<unsigned>{7});
}

TEST_F(ModelGlNv, FailedRangeAllocationFallsBackToTheHeapWithTheSameList)
{
    const auto bytes = twoSquares({ambientMaterial("Left", 255, 0, 0), ambientMaterial("Right", 0, 255, 0)});
    fake.allocationFails = true;
    const FakeNvLookup lookup;
    const LoadedModel viaFallback = load(bytes, &lookup);
    ASSERT_NE(viaFallback.model, nullptr);
    EXPECT_EQ(fake.calls, std::vector<std::string>{"allocate"});
    EXPECT_FALSE(viaFallback.model->varAvailable());
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_TRUE(exitCodes.empty());
    EXPECT_EQ(pixel(render(*viaFallback.model), side / 4, side / 2), (std::array<int, 3>{254, 0, 0}));
}

TEST_F(ModelGlNv, RangePathNeedsEveryEntryPointItCallsAndBothExtensions)
{
    std::vector<std::pair<std::set<std::string>, const char*>> refusals; // missing procedure, absent extension
    for (const char* name : {"glXAllocateMemoryNV", "glXFreeMemoryNV", "glVertexArrayRangeNV", "glGenFencesNV",
                             "glDeleteFencesNV", "glSetFenceNV", "glFinishFenceNV", "glIsFenceNV"})
        refusals.push_back({{name}, ""});
    refusals.push_back({{}, "GL_NV_vertex_array_range"});
    refusals.push_back({{}, "GL_NV_fence"});
    // Entry points that are never called may be missing.
    refusals.push_back({{"glFlushVertexArrayRangeNV", "glTestFenceNV", "glGetFenceivNV"}, nullptr});
    const auto bytes = twoSquares({ambientMaterial("Left", 1, 1, 1), ambientMaterial("Right", 1, 1, 1)});
    for (const auto& [missing, absent] : refusals) {
        SCOPED_TRACE(missing.empty() ? absent : *missing.begin());
        fake.calls.clear();
        hooks.extensionAdvertised = [absent](const char* name) { return !absent || std::string(name) != absent; };
        const FakeNvLookup lookup(missing);
        const LoadedModel loaded = load(bytes, &lookup);
        ASSERT_NE(loaded.model, nullptr);
        EXPECT_EQ(fake.calls.empty(), absent != nullptr);
        EXPECT_NE(loaded.model->vertexArray(), nullptr);
    }
}

} // namespace
} // namespace orbit
