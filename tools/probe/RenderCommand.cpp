// The render subcommand: runs the real scene set-up and N frames of the real
// frame code on a headless EGL context and writes the last frame as a PNG.
// The PNG is written with stored (uncompressed) deflate blocks, so the tool
// needs no compression library; the files are larger, never wrong.
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

// ---- PNG with stored deflate blocks -----------------------------------------

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::vector<std::uint8_t>& data)
{
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, crc32(out.data() + typeAt, data.size() + 4));
}

// zlib stream of stored blocks (at most 65535 bytes each) with its Adler-32.
std::vector<std::uint8_t> storedZlib(const std::vector<std::uint8_t>& raw)
{
    std::vector<std::uint8_t> out{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(length));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length));
        out.push_back(static_cast<std::uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    putBigEndian(out, (b << 16) | a);
    return out;
}

// rgb: bottom-up rows of width RGB pixels, as glReadPixels returns them.
std::vector<std::uint8_t> encodePng(const std::vector<std::uint8_t>& rgb, int width, int height)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = height - 1; y >= 0; --y) {
        raw.push_back(0); // filter: none
        const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(y));
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(raw));
    putChunk(png, "IEND", {});
    return png;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() && std::fflush(file.get()) == 0;
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
    if (!writeFile(options.output, encodePng(swapper.pixels, options.width, options.height)))
        return fail("cannot write " + options.output);
    return 0;
}

} // namespace orbit::inspect
