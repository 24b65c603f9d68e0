// Decoding throughput of JpegDecoder against libjpeg-turbo (float IDCT, as
// close to our arithmetic as it offers) on the very same 4:2:0 JPEG bytes.
// The images are made here with libjpeg from a deterministic pattern of
// gradients and noise, so no large file lives in the repository. Each case
// reports MPixel/s in the "pixels" rate counter.
#include "image/JpegDecoder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <jpeglib.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace {

std::vector<std::uint8_t> makePicture(int width, int height)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) & 31) - 16;
            const double fx = static_cast<double>(x) / width;
            const double fy = static_cast<double>(y) / height;
            const int r = static_cast<int>(128 + 100 * std::sin(fx * 9 + fy * 3)) + grain;
            const int g = static_cast<int>(128 + 100 * std::cos(fy * 7 - fx * 2)) + grain;
            const int b = static_cast<int>(255 * fx * fy) + grain / 2;
            std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            p[0] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
        }
    }
    return rgb;
}

// Baseline, quality 85, 2x2 luminance with 1x1 chroma (libjpeg's default).
std::vector<std::uint8_t> encode420(int width, int height)
{
    const std::vector<std::uint8_t> rgb = makePicture(width, height);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<std::size_t>(cinfo.next_scanline) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

const std::vector<std::uint8_t>& imageOfSide(int side)
{
    // Benchmarks run one after another on one thread; each size is encoded once.
    static std::map<int, std::vector<std::uint8_t>> cache;
    auto it = cache.find(side);
    if (it == cache.end())
        it = cache.emplace(side, encode420(side, side)).first;
    return it->second;
}

void orbitDecoder(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const std::vector<std::uint8_t>& jpeg = imageOfSide(side);
    for (auto _ : state) {
        orbit::JpegDecoder decoder;
        decoder.decode(jpeg);
        benchmark::DoNotOptimize(decoder.pixels());
        if (decoder.width() != side)
            state.SkipWithError("decode failed");
    }
    state.counters["pixels"] = benchmark::Counter(static_cast<double>(side) * side * static_cast<double>(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

// freshBuffer: a new output array per decode, as our decoder makes one, so
// both pay for first touching its pages; otherwise one array is reused.
void libjpegTurbo(benchmark::State& state, bool freshBuffer)
{
    const int side = static_cast<int>(state.range(0));
    const std::vector<std::uint8_t>& jpeg = imageOfSide(side);
    const std::size_t bytes = static_cast<std::size_t>(side) * side * 3;
    std::unique_ptr<std::uint8_t[]> out = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
    for (auto _ : state) {
        if (freshBuffer)
            out = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr jerr{};
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.dct_method = JDCT_FLOAT;
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = out.get() + static_cast<std::size_t>(cinfo.output_scanline) * side * 3;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(out.get());
    }
    state.counters["pixels"] = benchmark::Counter(static_cast<double>(side) * side * static_cast<double>(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(orbitDecoder)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libjpegTurbo, reusedBuffer, false)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libjpegTurbo, freshBuffer, true)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
