// The render subcommand: runs the real scene set-up and N frames of the real
// frame code on a headless EGL context and writes the last frame as a PNG.
// The PNG is written compressed by libpng.
#include "ToolCommands.h"

#include "platform/DiagnosticSink.h"
#include "platform/HeadlessGlContext.h"
#include "platform/SettingsStore.h"
#include "platform/SoundPlayer.h"
#include "platform/UserNotifier.h"
#include "resources/EmbeddedResources.h"
#include "scene/GlNameCensus.h"
#include "scene/SaverScene.h"

#include <GL/gl.h>
#include <png.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orbit::inspect {

namespace {

constexpr int maxSide = 8192;
constexpr int maxFrames = 1000000;

struct RenderArguments {
    int frames = 200;
    int width = 640;
    int height = 480;
    std::string model;
    std::uint32_t seed = 7000;
    std::string output;
    long censusEvery = 0; // frames between census lines on stderr; 0: none
};

template <typename T>
bool parseNumber(std::string_view text, T& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc{} && end == text.data() + text.size();
}

bool parseSize(std::string_view text, int& width, int& height)
{
    const auto x = text.find('x');
    if (x == std::string_view::npos)
        return false;
    return parseNumber(text.substr(0, x), width) && parseNumber(text.substr(x + 1), height) && width > 0 &&
           height > 0 && width <= maxSide && height <= maxSide;
}

std::optional<RenderArguments> parse(Arguments args)
{
    RenderArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (!hasValue)
            return std::nullopt;
        const std::string_view value = args[++i];
        if (arg == "--frames") {
            if (!parseNumber(value, parsed.frames) || parsed.frames < 1 || parsed.frames > maxFrames)
                return std::nullopt;
        } else if (arg == "--size") {
            if (!parseSize(value, parsed.width, parsed.height))
                return std::nullopt;
        } else if (arg == "--model") {
            parsed.model = std::string(value);
        } else if (arg == "--seed") {
            if (!parseNumber(value, parsed.seed))
                return std::nullopt;
        } else if (arg == "--census-every") {
            if (!parseNumber(value, parsed.censusEvery) || parsed.censusEvery < 1)
                return std::nullopt;
        } else if (arg == "-o") {
            parsed.output = std::string(value);
        } else {
            return std::nullopt;
        }
    }
    if (parsed.output.empty())
        return std::nullopt;
    return parsed;
}

// ---- PNG -----------------------------------------------------------------------

// Writes rgb (bottom-up rows of width RGB pixels, as glReadPixels returns
// them) as a compressed 8-bit RGB PNG; libpng removes a file it could not
// finish.
bool writePng(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    const auto bottomUp = -static_cast<png_int_32>(width * 3); // a negative stride: the bottom row comes first
    const bool written = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), bottomUp, nullptr) != 0;
    png_image_free(&image);
    return written;
}

// ---- Rendering ----------------------------------------------------------------

// Presents like the window; on the last frame reads the back buffer first.
class CapturingSwapper final : public BufferSwapper {
public:
    CapturingSwapper(HeadlessGlContext& gl, int width, int height) : gl(gl), width(width), height(height) {}
    void swapBuffers() override
    {
        if (captureNext) {
            pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
            glReadBuffer(GL_BACK);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
            captured = true;
        }
        gl.swapBuffers();
    }
    HeadlessGlContext& gl;
    int width;
    int height;
    bool captureNext = false;
    bool captured = false;
    std::vector<std::uint8_t> pixels;
};

int fail(const std::string& line)
{
    std::fprintf(stderr, "orbit-patrol-inspect: %s\n", line.c_str());
    return 1;
}

} // namespace

int runRender(Arguments args)
{
    const auto parsed = parse(args);
    if (!parsed)
        return usage();
    const RenderArguments& options = *parsed;

    HeadlessGlContext gl;
    if (!gl.create(options.width, options.height))
        return fail(gl.error());

    RandomGenerator random;
    MemorySettingsStore settings;
    if (!options.model.empty())
        settings.writeString(settings::section, settings::sceneFileNameKey, options.model);
    const EmbeddedResources resources;
    StderrNotifier notifier;
    StdoutSink diagnostics;
    SilentSoundPlayer sound;
    auto scene = std::make_unique<SaverScene>(SceneServices{random, settings, resources, notifier, diagnostics, sound},
                                              options.seed);
    scene->resize(options.width, options.height);
    scene->setUpScene(nullptr, gl);
    scene->fitCamera();

    CapturingSwapper swapper(gl, options.width, options.height);
    for (int frame = 1; frame <= options.frames; ++frame) {
        swapper.captureNext = frame == options.frames;
        scene->timerTick(swapper);
        if (options.censusEvery > 0 && frame % options.censusEvery == 0)
            std::fprintf(stderr, "%s\n", censusLine(frame, takeGlNameCensus()).c_str());
    }
    scene->releaseModel();
    if (!swapper.captured)
        return fail("no frame was drawn");
    if (!writePng(options.output, swapper.pixels, options.width, options.height))
        return fail("cannot write " + options.output);
    return 0;
}

} // namespace orbit::inspect
