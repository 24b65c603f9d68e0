// Bit-exactness: every product and partial sum of the inverse DCT and the
// colour conversion is rounded to single precision in one fixed order (the
// file is compiled with -ffp-contract=off so no fused multiply-add appears),
// so every build of a kernel gives the same bytes on every CPU. The scalar
// kernels are the plain formulas. The vector kernels run across independent
// columns, rows or pixels only, so each sum keeps its own order, and skip
// all-zero coefficient rows and columns, which is exact: adding a zero product
// leaves a float sum unchanged (a zero's sign cannot reach the result, which
// is truncated).
#include "JpegKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define ORBIT_JPEG_X86 1
#else
#define ORBIT_JPEG_X86 0
#endif

#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace orbit::jpeg {

namespace {

// cos(k * pi / 16) to four decimals for k = 0..7; the basis uses only these
// magnitudes.
constexpr std::array<float, 8> cosineFourDecimals = {1.0f,    0.9808f, 0.9239f, 0.8315f,
                                                     0.7071f, 0.5556f, 0.3827f, 0.1951f};

constexpr float cosPiOver16(int k)
{
    k %= 32;
    if (k > 16)
        k = 32 - k; // cos is even and 2*pi periodic
    if (k <= 7)
        return cosineFourDecimals[static_cast<std::size_t>(k)];
    if (k == 8)
        return 0.0f;
    return -cosineFourDecimals[static_cast<std::size_t>(16 - k)];
}

// basis[u][n] = c(u) * cos((2n+1) u pi / 16), c(0) = 0.7071, to four decimals.
struct Basis {
    float m[8][8];
};

constexpr Basis makeBasis()
{
    Basis b{};
    for (int u = 0; u < 8; ++u) {
        for (int n = 0; n < 8; ++n)
            b.m[u][n] = u == 0 ? 0.7071f : cosPiOver16((2 * n + 1) * u);
    }
    return b;
}

constexpr Basis basis = makeBasis();

// A truncated sample kept as 16 bits (wrapping as a 16-bit store does),
// level shifted and clamped.
std::uint8_t sampleByte(float sum)
{
    const int sample = static_cast<std::int16_t>(static_cast<int>(sum * 0.25f)) + 128;
    return static_cast<std::uint8_t>(sample < 0 ? 0 : sample > 255 ? 255 : sample);
}

std::uint8_t channelByte(float value)
{
    const int truncated = static_cast<int>(value);
    return static_cast<std::uint8_t>(truncated < 0 ? 0 : truncated > 255 ? 255 : truncated);
}

// ------------------------------------------------------------------ scalar

// s[y][x] = sum over u of (sum over v of M[v][y] * F[v][u]) * M[u][x], each
// sum from index 0 up. The masks are not needed: the skipped terms are zeros.
void inverseDctScalar(const float (&coef)[8][8], unsigned, unsigned, std::uint8_t* out, std::size_t outStride)
{
    float t[8][8];
    for (int y = 0; y < 8; ++y) {
        for (int u = 0; u < 8; ++u) {
            float sum = 0.0f;
            for (int v = 0; v < 8; ++v)
                sum = sum + basis.m[v][y] * coef[v][u];
            t[y][u] = sum;
        }
    }
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            float sum = 0.0f;
            for (int u = 0; u < 8; ++u)
                sum = sum + t[y][u] * basis.m[u][x];
            out[static_cast<std::size_t>(y) * outStride + static_cast<std::size_t>(x)] = sampleByte(sum);
        }
    }
}

void convertYCbCrScalar(const std::uint8_t* yPlane, const std::uint8_t* cbPlane, const std::uint8_t* crPlane,
                        std::uint8_t* bgr, int pixels)
{
    for (int x = 0; x < pixels; ++x) {
        const float y = yPlane[x];
        const float cb = static_cast<float>(cbPlane[x]) - 128.0f;
        const float cr = static_cast<float>(crPlane[x]) - 128.0f;
        bgr[3 * x] = channelByte(y + 1.772f * cb);
        bgr[3 * x + 1] = channelByte(y - 0.34414f * cb - 0.71414f * cr);
        bgr[3 * x + 2] = channelByte(y + 1.402f * cr);
    }
}

// ------------------------------------------------------------------ vector

// Eight floats handled as one value; plain arithmetic on it is lane-wise and,
// with contraction off, rounds each product and sum like the scalar code.
// 32-byte values are passed by reference: by value they would change the
// calling convention with the target.
typedef float Float8 __attribute__((vector_size(32)));
typedef int Int8 __attribute__((vector_size(32)));
typedef std::uint8_t Byte8 __attribute__((vector_size(8)));
typedef std::uint8_t Byte16 __attribute__((vector_size(16)));

// Narrowing in portable vector code: clamp in 32 bits, then keep the low byte.
struct ClampOps {
    [[gnu::always_inline]] static inline Byte8 clampToBytes(const Int8& value)
    {
        Int8 v = value & ~(value < 0);
        const Int8 over = v > 255;
        v = (v & ~over) | (over & 255);
        return __builtin_convertvector(v, Byte8);
    }

    template <int Rows>
    [[gnu::always_inline]] static inline void storeBlock(const Int8 (&samples)[Rows], std::uint8_t* out,
                                                         std::size_t outStride)
    {
        for (std::size_t y = 0; y < 8; ++y) {
            const Byte8 bytes = clampToBytes(samples[Rows == 1 ? 0 : y]);
            std::memcpy(out + y * outStride, &bytes, 8);
        }
    }

    [[gnu::always_inline]] static inline void bytesToFloats(const std::uint8_t* at, Float8& floats)
    {
        Byte8 bytes;
        std::memcpy(&bytes, at, 8);
        floats = __builtin_convertvector(__builtin_convertvector(bytes, Int8), Float8);
    }

    // Sixteen channel values truncated toward zero and clamped to 0..255.
    [[gnu::always_inline]] static inline Byte16 channelBytes(const Float8& first, const Float8& second)
    {
        const Byte8 low = clampToBytes(__builtin_convertvector(first, Int8));
        const Byte8 high = clampToBytes(__builtin_convertvector(second, Int8));
        return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    }
};

#if ORBIT_JPEG_X86
// Narrowing with SSE2's saturating packs. For the inverse DCT they clamp to
// 0..255 exactly, as every value that fits a byte passes them unchanged; for
// the colour conversion, truncating first and then saturating gives the same
// byte as clamping, as |value| < 1000 there.
struct PackOps {
    [[gnu::always_inline]] static inline __m128i words(const Int8& value)
    {
        __m128i low;
        __m128i high;
        std::memcpy(&low, &value, 16);
        std::memcpy(&high, reinterpret_cast<const std::uint8_t*>(&value) + 16, 16);
        return _mm_packs_epi32(low, high);
    }

    template <int Rows>
    [[gnu::always_inline]] static inline void storeBlock(const Int8 (&samples)[Rows], std::uint8_t* out,
                                                         std::size_t outStride)
    {
        if constexpr (Rows == 1) {
            const __m128i w = words(samples[0]);
            const __m128i bytes = _mm_packus_epi16(w, w);
            for (std::size_t y = 0; y < 8; ++y)
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out + y * outStride), bytes);
        } else {
            for (std::size_t y = 0; y < 8; y += 2) {
                const __m128i bytes = _mm_packus_epi16(words(samples[y]), words(samples[y + 1]));
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out + y * outStride), bytes);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (y + 1) * outStride),
                                 _mm_unpackhi_epi64(bytes, bytes));
            }
        }
    }

    // Widened with integer unpacks first: a direct byte-to-float vector
    // conversion is compiled lane by lane.
    [[gnu::always_inline]] static inline void bytesToFloats(const std::uint8_t* at, Float8& floats)
    {
        typedef int Int4 __attribute__((vector_size(16)));
        const __m128i zero = _mm_setzero_si128();
        const __m128i w = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)), zero);
        const auto low = reinterpret_cast<Int4>(_mm_unpacklo_epi16(w, zero));
        const auto high = reinterpret_cast<Int4>(_mm_unpackhi_epi16(w, zero));
        floats = __builtin_convertvector(__builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7), Float8);
    }

    [[gnu::always_inline]] static inline Byte16 channelBytes(const Float8& first, const Float8& second)
    {
        const __m128i bytes =
            _mm_packus_epi16(words(__builtin_convertvector(first, Int8)), words(__builtin_convertvector(second, Int8)));
        Byte16 result;
        std::memcpy(&result, &bytes, 16);
        return result;
    }
};
#endif

// Second pass of the inverse DCT over the first Rows rows of T (held in
// sums), then truncation, level shift and clamp into out. With one row, all
// eight rows of the block are equal to it.
template <int Rows, class Ops>
[[gnu::always_inline]] inline void finishInverseDct(Float8 (&sums)[8], const int* columnList, int columnCount,
                                                    std::uint8_t* out, std::size_t outStride)
{
    alignas(32) float t[Rows][8];
    for (int y = 0; y < Rows; ++y)
        std::memcpy(t[y], &sums[y], sizeof(Float8));
    // s[y][x] = sum over u of T[y][u] * M[u][x], one x per lane.
    if (columnCount == 0) {
        for (int y = 0; y < Rows; ++y)
            sums[y] = Float8{};
    }
    for (int i = 0; i < columnCount; ++i) {
        const int u = columnList[i];
        Float8 basisRow;
        std::memcpy(&basisRow, basis.m[u], sizeof(Float8));
        if (i == 0) {
#pragma GCC unroll 8
            for (int y = 0; y < Rows; ++y)
                sums[y] = t[y][u] * basisRow;
        } else {
#pragma GCC unroll 8
            for (int y = 0; y < Rows; ++y)
                sums[y] = sums[y] + t[y][u] * basisRow;
        }
    }
    Int8 samples[Rows];
#pragma GCC unroll 8
    for (int y = 0; y < Rows; ++y) {
        const Int8 sample = __builtin_convertvector(sums[y] * 0.25f, Int8);
        samples[y] = ((sample << 16) >> 16) + 128;
    }
    Ops::template storeBlock<Rows>(samples, out, outStride);
}

// Only the marked rows v and columns u are summed, in increasing index order
// as the scalar kernel does. Each pass keeps its eight row sums apart, so the
// eight dependency chains run side by side.
template <class Ops>
[[gnu::always_inline]] inline void inverseDctWith(const float (&coef)[8][8], unsigned rowMask, unsigned columnMask,
                                                  std::uint8_t* out, std::size_t outStride)
{
    int rowList[8];
    int rowCount = 0;
    int columnList[8];
    int columnCount = 0;
    for (int i = 0; i < 8; ++i) {
        if (rowMask & (1u << i))
            rowList[rowCount++] = i;
        if (columnMask & (1u << i))
            columnList[columnCount++] = i;
    }
    // First pass, T[y][u] = sum over v of M[v][y] * F[v][u], one u per lane.
    // The first term stands for 0 + term, equal but for the sign of a zero.
    // With at most row v = 0 present every T row is 0.7071 * F[0] (M[0][y] is
    // 0.7071 for all y), so one row is computed and the result replicated.
    const bool rowsAlike = rowMask <= 1u;
    Float8 sums[8];
    if (rowsAlike) {
        Float8 row;
        std::memcpy(&row, coef[0], sizeof(Float8));
        sums[0] = basis.m[0][0] * row;
    } else {
        for (int i = 0; i < rowCount; ++i) {
            Float8 row;
            std::memcpy(&row, coef[rowList[i]], sizeof(Float8));
            const float* m = basis.m[rowList[i]];
            if (i == 0) {
#pragma GCC unroll 8
                for (int y = 0; y < 8; ++y)
                    sums[y] = m[y] * row;
            } else {
#pragma GCC unroll 8
                for (int y = 0; y < 8; ++y)
                    sums[y] = sums[y] + m[y] * row;
            }
        }
    }
    if (rowsAlike)
        finishInverseDct<1, Ops>(sums, columnList, columnCount, out, outStride);
    else
        finishInverseDct<8, Ops>(sums, columnList, columnCount, out, outStride);
}

// Sixteen pixels a step: converted, narrowed and interleaved as B, G, R.
template <class Ops>
[[gnu::always_inline]] inline void convertYCbCrWith(const std::uint8_t* yPlane, const std::uint8_t* cbPlane,
                                                    const std::uint8_t* crPlane, std::uint8_t* bgr, int pixels)
{
    for (int x = 0; x < pixels; x += 16) {
        Float8 b[2], g[2], r[2];
        for (int half = 0; half < 2; ++half) {
            Float8 y, cb, cr;
            Ops::bytesToFloats(yPlane + x + 8 * half, y);
            Ops::bytesToFloats(cbPlane + x + 8 * half, cb);
            Ops::bytesToFloats(crPlane + x + 8 * half, cr);
            cb = cb - 128.0f;
            cr = cr - 128.0f;
            b[half] = y + 1.772f * cb;
            g[half] = y - 0.34414f * cb - 0.71414f * cr;
            r[half] = y + 1.402f * cr;
        }
        const Byte16 bb = Ops::channelBytes(b[0], b[1]);
        const Byte16 gb = Ops::channelBytes(g[0], g[1]);
        const Byte16 rb = Ops::channelBytes(r[0], r[1]);
        // bgLow = b0 g0 .. b7 g7, bgHigh = b8 g8 .. b15 g15; in a two-vector
        // shuffle, indices 16 and up pick from the second vector.
        const Byte16 bgLow = __builtin_shufflevector(bb, gb, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
        const Byte16 bgHigh =
            __builtin_shufflevector(bb, gb, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
        const Byte16 bgMiddle =
            __builtin_shufflevector(bgLow, bgHigh, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23);
        const Byte16 out0 = __builtin_shufflevector(bgLow, rb, 0, 1, 16, 2, 3, 17, 4, 5, 18, 6, 7, 19, 8, 9, 20, 10);
        const Byte16 out1 =
            __builtin_shufflevector(bgMiddle, rb, 3, 21, 4, 5, 22, 6, 7, 23, 8, 9, 24, 10, 11, 25, 12, 13);
        const Byte16 out2 =
            __builtin_shufflevector(bgHigh, rb, 26, 6, 7, 27, 8, 9, 28, 10, 11, 29, 12, 13, 30, 14, 15, 31);
        std::memcpy(bgr + 3 * x, &out0, 16);
        std::memcpy(bgr + 3 * x + 16, &out1, 16);
        std::memcpy(bgr + 3 * x + 32, &out2, 16);
    }
}

void inverseDctVector(const float (&coef)[8][8], unsigned rowMask, unsigned columnMask, std::uint8_t* out,
                      std::size_t outStride)
{
    inverseDctWith<ClampOps>(coef, rowMask, columnMask, out, outStride);
}

void convertYCbCrVector(const std::uint8_t* yPlane, const std::uint8_t* cbPlane, const std::uint8_t* crPlane,
                        std::uint8_t* bgr, int pixels)
{
    convertYCbCrWith<ClampOps>(yPlane, cbPlane, crPlane, bgr, pixels);
}

#if ORBIT_JPEG_X86
void inverseDctSse2(const float (&coef)[8][8], unsigned rowMask, unsigned columnMask, std::uint8_t* out,
                    std::size_t outStride)
{
    inverseDctWith<PackOps>(coef, rowMask, columnMask, out, outStride);
}

void convertYCbCrSse2(const std::uint8_t* yPlane, const std::uint8_t* cbPlane, const std::uint8_t* crPlane,
                      std::uint8_t* bgr, int pixels)
{
    convertYCbCrWith<PackOps>(yPlane, cbPlane, crPlane, bgr, pixels);
}

[[gnu::target("avx2")]] void inverseDctAvx2(const float (&coef)[8][8], unsigned rowMask, unsigned columnMask,
                                            std::uint8_t* out, std::size_t outStride)
{
    inverseDctWith<PackOps>(coef, rowMask, columnMask, out, outStride);
}

[[gnu::target("avx2")]] void convertYCbCrAvx2(const std::uint8_t* yPlane, const std::uint8_t* cbPlane,
                                              const std::uint8_t* crPlane, std::uint8_t* bgr, int pixels)
{
    convertYCbCrWith<PackOps>(yPlane, cbPlane, crPlane, bgr, pixels);
}
#endif

// ---------------------------------------------------------------- choosing

constexpr Kernels scalarKernels{KernelPath::Scalar, inverseDctScalar, convertYCbCrScalar};
constexpr Kernels vectorKernels{KernelPath::Vector, inverseDctVector, convertYCbCrVector};
#if ORBIT_JPEG_X86
constexpr Kernels sse2Kernels{KernelPath::Sse2, inverseDctSse2, convertYCbCrSse2};
constexpr Kernels avx2Kernels{KernelPath::Avx2, inverseDctAvx2, convertYCbCrAvx2};
#endif

constexpr KernelPath allPaths[] = {KernelPath::Scalar, KernelPath::Vector, KernelPath::Sse2, KernelPath::Avx2};

// The kernels of path, or null when this build or this CPU lacks it.
const Kernels* kernelsFor(KernelPath path)
{
    switch (path) {
    case KernelPath::Scalar:
        return &scalarKernels;
    case KernelPath::Vector:
        return &vectorKernels;
#if ORBIT_JPEG_X86
    case KernelPath::Sse2:
        return &sse2Kernels;
    case KernelPath::Avx2:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? &avx2Kernels : nullptr;
#else
    case KernelPath::Sse2:
    case KernelPath::Avx2:
        return nullptr;
#endif
    }
    return nullptr;
}

const Kernels* initialKernels()
{
    if (const char* named = std::getenv("ORBIT_JPEG_KERNELS")) {
        for (const KernelPath path : allPaths) {
            if (std::string_view(named) == kernelPathName(path)) {
                if (const Kernels* chosen = kernelsFor(path))
                    return chosen;
            }
        }
    }
    const std::vector<KernelPath> paths = availableKernelPaths();
    return kernelsFor(paths.back());
}

} // namespace

std::atomic<const Kernels*> activeKernels{nullptr};

const Kernels& chooseKernels()
{
    static const Kernels* const initial = initialKernels();
    const Kernels* expected = nullptr;
    activeKernels.compare_exchange_strong(expected, initial);
    return *activeKernels.load();
}

std::vector<KernelPath> availableKernelPaths()
{
    std::vector<KernelPath> paths;
    for (const KernelPath path : allPaths) {
        if (kernelsFor(path))
            paths.push_back(path);
    }
    return paths;
}

const char* kernelPathName(KernelPath path)
{
    switch (path) {
    case KernelPath::Scalar:
        return "scalar";
    case KernelPath::Vector:
        return "vector";
    case KernelPath::Sse2:
        return "sse2";
    case KernelPath::Avx2:
        return "avx2";
    }
    return "?";
}

bool selectKernelPath(KernelPath path)
{
    const Kernels* chosen = kernelsFor(path);
    if (!chosen)
        return false;
    activeKernels.store(chosen);
    return true;
}

} // namespace orbit::jpeg
