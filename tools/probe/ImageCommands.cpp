// The image subcommands of orbit-patrol-inspect: decode a JPEG (file or
// built-in resource), a BMP or a TGA file exactly as the screensaver would and
// write the result as a netpbm file, upright, so it can be viewed or compared.
#include "ToolCommands.h"

#include "image/BmpFile.h"
#include "image/JpegDecoder.h"
#include "image/TgaFile.h"
#include "platform/FileBytes.h"
#include "resources/EmbeddedResources.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace orbit::inspect {

namespace {

struct ImageArguments {
    std::string input;
    std::string output;
    std::optional<int> resource;
};

// FILE -o OUT, in any order; with allowResource also --resource ID instead of FILE.
std::optional<ImageArguments> parse(Arguments args, bool allowResource)
{
    ImageArguments parsed;
    bool haveInput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-o" && i + 1 < args.size() && parsed.output.empty()) {
            parsed.output = std::string(args[++i]);
        } else if (arg == "--resource" && allowResource && i + 1 < args.size() && !haveInput) {
            const std::string_view text = args[++i];
            int id = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
            if (ec != std::errc{} || end != text.data() + text.size())
                return std::nullopt;
            parsed.resource = id;
            haveInput = true;
        } else if (!arg.empty() && arg.front() != '-' && !haveInput) {
            parsed.input = std::string(arg);
            haveInput = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveInput || parsed.output.empty())
        return std::nullopt;
    return parsed;
}

int fail(const std::string& line)
{
    std::fprintf(stderr, "%s%s", line.c_str(), !line.empty() && line.back() == '\n' ? "" : "\n");
    return 1;
}

bool writeFile(const std::string& path, const std::string& header, const std::vector<std::uint8_t>& body)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return false;
    const bool ok = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size() &&
                    std::fwrite(body.data(), 1, body.size(), file.get()) == body.size();
    return ok && std::fflush(file.get()) == 0;
}

int writeOrFail(const std::string& path, const std::string& header, const std::vector<std::uint8_t>& body)
{
    if (!writeFile(path, header, body))
        return fail("orbit-patrol-inspect: cannot write " + path);
    return 0;
}

std::string ppmHeader(int width, int height)
{
    return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
}

int jpegCommand(Arguments args)
{
    const std::optional<ImageArguments> parsed = parse(args, true);
    if (!parsed)
        return usage();
    JpegDecoder decoder;
    std::string name;
    if (parsed->resource) {
        name = "resource " + std::to_string(*parsed->resource);
        decoder.decode(EmbeddedResources{}, *parsed->resource);
    } else {
        name = parsed->input;
        std::vector<std::uint8_t> bytes;
        int cause = 0;
        if (!readWholeFile(parsed->input, bytes, cause))
            return fail("orbit-patrol-inspect: cannot read " + parsed->input);
        decoder.decode(bytes);
    }
    if (decoder.pixels() == nullptr)
        return fail("orbit-patrol-inspect: " + name + ": no image (not a baseline JPEG this decoder reads)");

    // The decoder's rows run bottom-up as B, G, R with padding; PPM wants
    // top-down R, G, B.
    const int width = decoder.width();
    const int height = decoder.height();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    std::uint8_t* to = rgb.data();
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* from = decoder.pixels() + static_cast<std::size_t>(y) * decoder.stride();
        for (int x = 0; x < width; ++x, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    return writeOrFail(parsed->output, ppmHeader(width, height), rgb);
}

int bmpCommand(Arguments args)
{
    const std::optional<ImageArguments> parsed = parse(args, false);
    if (!parsed)
        return usage();
    const BmpResult result = readBmpFile(parsed->input);
    if (!result.ok())
        return fail(bmpErrorMessage(result.error, parsed->input));
    const RgbImageRecord& record = result.record;
    const std::size_t row = static_cast<std::size_t>(record.width) * 3;
    std::vector<std::uint8_t> rgb;
    rgb.reserve(record.data.size());
    for (int y = record.height - 1; y >= 0; --y) {
        const auto start = record.data.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * row);
        rgb.insert(rgb.end(), start, start + static_cast<std::ptrdiff_t>(row));
    }
    return writeOrFail(parsed->output, ppmHeader(record.width, record.height), rgb);
}

int tgaCommand(Arguments args)
{
    const std::optional<ImageArguments> parsed = parse(args, false);
    if (!parsed)
        return usage();
    const TgaResult result = readTgaFile(parsed->input);
    if (!result.ok())
        return fail(tgaErrorMessage(result.error, parsed->input));
    const TgaImage& image = result.image;
    const int width = image.header.width;
    const int height = image.header.height;
    const bool alpha = image.glFormat == TgaImage::glRgba;
    // Texture row 0 (the file's first row) is the picture's bottom row, so it
    // is written last.
    const std::size_t row = static_cast<std::size_t>(width) * static_cast<std::size_t>(image.bytesPerPixel);
    std::vector<std::uint8_t> body;
    body.reserve(image.pixels.size());
    for (int y = height - 1; y >= 0; --y) {
        const auto start = image.pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * row);
        body.insert(body.end(), start, start + static_cast<std::ptrdiff_t>(row));
    }
    const std::string header = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
                               "\nDEPTH " + std::to_string(alpha ? 4 : 3) + "\nMAXVAL 255\nTUPLTYPE " +
                               (alpha ? "RGB_ALPHA" : "RGB") + "\nENDHDR\n";
    return writeOrFail(parsed->output, header, body);
}

// A picture the heap cannot hold ends the command with a message, not an abort.
int guarded(int (*command)(Arguments), Arguments args)
{
    try {
        return command(args);
    } catch (const std::bad_alloc&) {
        return fail("orbit-patrol-inspect: out of memory");
    }
}

} // namespace

int runJpeg(Arguments args) { return guarded(jpegCommand, args); }
int runBmp(Arguments args) { return guarded(bmpCommand, args); }
int runTga(Arguments args) { return guarded(tgaCommand, args); }

} // namespace orbit::inspect
