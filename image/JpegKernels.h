// The JPEG decoder's two arithmetic kernels, the inverse DCT of one block and
// the YCbCr to BGR conversion of a row, in several builds that give the same
// bytes: a plain scalar one that every other is checked against, one in GCC
// vector extensions (NEON on arm64, SSE2 on x86) and, on x86, SSE2 and AVX2
// builds with saturating packs. The widest one the CPU runs is used unless
// ORBIT_JPEG_KERNELS (scalar, vector, sse2, avx2; read once, a name that is
// not available here is ignored) or selectKernelPath() names another.
// Internal to image/ and its tests and benchmarks.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbit::jpeg {

enum class KernelPath { Scalar, Vector, Sse2, Avx2 };

// The inverse DCT of coef (natural order, dequantised), truncated toward
// zero, kept as a 16-bit sample, level shifted by 128 and clamped to 0..255;
// the 8x8 samples are written at out, rows outStride bytes apart. rowMask and
// columnMask mark the coefficient rows and columns that may hold a non-zero
// value (bit i: row or column i); coef is zero everywhere else.
using InverseDctKernel = void (*)(const float (&coef)[8][8], unsigned rowMask, unsigned columnMask,
                                  std::uint8_t* out, std::size_t outStride);
// YCbCr samples to B, G, R bytes (3 * pixels written); pixels is a multiple
// of 16.
using ColourKernel = void (*)(const std::uint8_t* yPlane, const std::uint8_t* cbPlane, const std::uint8_t* crPlane,
                              std::uint8_t* bgr, int pixels);

struct Kernels {
    KernelPath path;
    InverseDctKernel inverseDct;
    ColourKernel convertYCbCr;
};

// The paths this build has and this CPU runs, scalar first, widest last.
std::vector<KernelPath> availableKernelPaths();
const char* kernelPathName(KernelPath path);
// Makes path the one every later decode uses; false (and no change) when it
// is not available here.
bool selectKernelPath(KernelPath path);

extern std::atomic<const Kernels*> activeKernels;
const Kernels& chooseKernels();

inline const Kernels& kernels()
{
    const Kernels* chosen = activeKernels.load(std::memory_order_relaxed);
    return chosen ? *chosen : chooseKernels();
}

} // namespace orbit::jpeg
