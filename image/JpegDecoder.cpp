// Baseline JPEG decoding in pipeline order: marker walk, tables, scan set-up,
// entropy decoding, inverse DCT, upsampling, colour conversion, crop and flip.
// Each MCU row is converted as soon as it is decoded and written, cropped and
// flipped, straight into the final bottom-up array: the same bytes as a
// full-frame buffer would give, without holding the whole padded frame.
// The inverse DCT and colour conversion kernels, and which build of them runs,
// are in JpegKernels.*. The bit reader prefetches whole bytes but can always
// say where a byte-at-a-time reader would stand, which restart
// and end-of-image checks need.
#include "JpegDecoder.h"
#include "JpegKernels.h"

#include "platform/ByteReader.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace orbit {

namespace {

// ITU T.81 Figure A.6: natural (row-major) index of each zig-zag position.
constexpr std::array<std::uint8_t, 64> zigZagToNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Asks for a large output array to be backed by huge pages where the system
// allows it: the array is fresh memory, and faulting it in 4 KiB at a time
// costs a noticeable share of a large decode. Only whole 2 MiB spans inside
// the array are marked; a refusal changes nothing but speed.
void preferHugePages(std::uint8_t* bytes, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(bytes) + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(bytes) + size) & ~(hugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)bytes;
    (void)size;
#endif
}

constexpr int huffmanSlotCount = 20;
constexpr int quantSlotCount = 20;
constexpr int maxPasses = 51;
constexpr int fastBits = 10;

struct HuffmanSlot {
    bool present = false;
    int count = 0;
    std::vector<std::uint16_t> codes;
    std::vector<std::uint8_t> sizes;
    std::vector<std::uint8_t> values;
    std::array<std::uint16_t, 17> maxcode{};
    std::array<std::uint16_t, 17> mincode{};
    std::array<std::int32_t, 17> valptr{};
    // For each fastBits-bit prefix: (length << 8) | symbol when DECODE ends within
    // those bits, 0 when the slow bit-by-bit path must decide.
    std::array<std::uint16_t, 1 << fastBits> fast{};
    // When a prefix holds a whole (run, size) code and its size value bits:
    // the bits taken (low 5 bits), the run (bits 8-11) and the extended value
    // (high 16 bits); 0 otherwise (EOB, ZRL, longer codes). A DC table's
    // entries of run 0 are its differences, the symbol being the size.
    std::array<std::uint32_t, 1 << fastBits> fastAc{};
};

// Bit reader state: count unread bits at the top of buffer (the next one is
// bit 63), fetched whole bytes at a time from readPointer (each FF steps over
// its follower). Below them lie zeros or the first bits of the byte at
// readPointer, which the next fetch writes again with the same values. Bits
// are taken by shifting the buffer left, so looking up the next code needs
// only the buffer, not the count.
struct BitWindow {
    std::uint64_t buffer = 0;
    int count = 0;
    std::size_t readPointer = 0;
};

// For each zig-zag index, the bit of its natural row (bits 0-7) and of its
// natural column (bits 8-15).
constexpr std::array<std::uint16_t, 64> zigZagLines = [] {
    std::array<std::uint16_t, 64> lines{};
    for (std::size_t k = 0; k < 64; ++k)
        lines[k] = static_cast<std::uint16_t>(1u << (zigZagToNatural[k] >> 3) | 1u << (8 + (zigZagToNatural[k] & 7)));
    return lines;
}();

struct FrameHeader {
    std::uint16_t paddedHeight = 0;
    std::uint16_t paddedWidth = 0;
    std::uint8_t nf = 0;
    std::array<std::uint8_t, 3> id{}, h{}, v{}, tq{};
};

struct ScanHeader {
    std::uint8_t ns = 0;
    std::array<std::uint8_t, 3> cs{}, td{}, ta{};
    std::uint8_t ss = 0, se = 0, ahAl = 0;
};

// The whole working state of one decode. Lives only during decode().
class Decoding {
public:
    Decoding(std::span<const std::uint8_t> bytes, std::size_t maxPixels) : data(bytes), pixelLimit(maxPixels) {}

    // Runs the marker walk; true when a scan was decoded into out.
    bool run(std::uint16_t& outWidth, std::uint16_t& outHeight);

private:
    // --- marker walk ---
    int peek(std::size_t i) const { return i < data.size() ? data[i] : -1; }
    bool markerAt(std::size_t i, int marker) const { return peek(i) == 0xFF && peek(i + 1) == marker; }
    // A reader over the whole input standing at i, for a segment's fields.
    // Segments are read across their stated lengths, so only the input's end
    // bounds them; settle() fails the decode once a field fell past it.
    ByteReader fieldsAt(std::size_t i) const
    {
        ByteReader reader(data);
        reader.seek(i);
        return reader;
    }
    bool settle(const ByteReader& reader)
    {
        failed = failed || reader.overrun();
        return failed;
    }
    // Whether the byte after a table, the next marker's FF, ends the segment;
    // a table running to the input's end fails the decode and ends it too.
    bool lastTable(ByteReader tables) { return tables.u8() == 0xFF || settle(tables); }
    void skipSegment()
    {
        ByteReader length = fieldsAt(position + 2);
        position += 2 + std::size_t{length.u16be()};
        settle(length);
    }
    void handleAppOrDri();
    void handleDht();
    void handleDqt();
    void handleSof0();
    void handleSos();
    bool buildHuffmanSlot(HuffmanSlot& slot, const std::array<std::uint8_t, 17>& counts,
                          std::span<const std::uint8_t> values);

    // --- scan ---
    void decodeScan();
    bool decodeMcu(int mcuColumn);
    bool decodeBlock(int component, std::uint8_t* out, std::size_t outStride);
    void handleRestart();
    std::size_t logicalReadPointer() const;

    // --- entropy decoding ---
    // Each works on a window the caller holds in a local, so the bit state
    // stays in registers through a block.
    [[gnu::always_inline]] inline void refill(BitWindow& w) const;
    BitWindow refillByteByByte(BitWindow w) const;
    [[gnu::always_inline]] inline bool needBits(BitWindow& w, int n) const
    {
        if (w.count >= n)
            return true;
        refill(w);
        return w.count >= n;
    }
    static void skipBits(BitWindow& w, int n) // n in 0..32, after needBits(n)
    {
        w.buffer <<= n;
        w.count -= n;
    }
    static int takeBits(BitWindow& w, int n) // n in 1..16, after needBits(n)
    {
        const auto value = static_cast<int>(w.buffer >> (64 - n));
        skipBits(w, n);
        return value;
    }
    static std::size_t peekFast(const BitWindow& w) // after needBits(fastBits)
    {
        return static_cast<std::size_t>(w.buffer >> (64 - fastBits));
    }
    int decodeSymbolBitByBit(BitWindow& w, const HuffmanSlot& slot) const;
    [[gnu::always_inline]] inline int decodeSymbol(BitWindow& w, const HuffmanSlot& slot) const;
    [[gnu::always_inline]] inline bool receiveExtend(BitWindow& w, int size, int& value) const;
    bool decodeCoefficients(BitWindow& w, std::size_t component, unsigned& lines);

    // --- output ---
    void placeBlock(const std::uint8_t* samples, int component, int blockRow, int blockColumn, int mcuColumn);
    void emitBand(int mcuRow);
    void finishTwoComponentScan();

    std::span<const std::uint8_t> data;
    std::size_t pixelLimit;
    std::size_t position = 0;
    bool failed = false;
    bool scanDecoded = false;

    std::uint16_t restartInterval = 0;
    std::int32_t imageX = 0;
    std::int32_t imageY = 0;
    std::uint8_t hMax = 0;
    std::uint8_t vMax = 0;

    std::array<std::array<std::uint8_t, 64>, quantSlotCount> quant{};
    std::array<HuffmanSlot, huffmanSlotCount> huffman{};
    FrameHeader frame;
    ScanHeader scan;
    std::array<std::int16_t, 3> dcPredictor{};

    BitWindow bits;
    // Where the marker walk looks for the end of the image.
    std::size_t readPointer = 0;
    // The block's dequantised coefficients in natural order. Kept all zero
    // between blocks: after each block only the rows it set are cleared.
    alignas(32) float coefficients[8][8] = {};

    // One MCU row of samples as three planes of padded width x MCU height.
    // When every component tiles its MCU exactly, blocks are written straight
    // here; otherwise through mcuPlanes, the MCU buffer, whose uncovered
    // samples keep what the previous MCU left, as a full-frame buffer would.
    std::vector<std::uint8_t> band;
    std::vector<std::uint8_t> mcuPlanes;
    bool direct = true;
    std::size_t planeSize = 0;
    std::vector<std::uint8_t> rowScratch;
    // Two-component scans are not converted: the raw samples, Ns bytes per
    // pixel, are cropped as they lie, so they keep the whole padded frame.
    std::vector<std::uint8_t> rawOutput;

public:
    std::unique_ptr<std::uint8_t[]> result; // Y rows of stride bytes, bottom row first
    std::size_t resultSize = 0;
    std::size_t stride = 0;
};

// ---------------------------------------------------------------- marker walk

bool Decoding::run(std::uint16_t& outWidth, std::uint16_t& outHeight)
{
    std::size_t soi = 0;
    while (soi + 1 < data.size() && !(data[soi] == 0xFF && data[soi + 1] == 0xD8))
        ++soi;
    if (soi + 1 >= data.size())
        return false;
    position = soi + 2;
    readPointer = position;

    for (int pass = 0; pass < maxPasses; ++pass) {
        handleAppOrDri();
        if (!failed)
            handleDht();
        if (!failed)
            handleDqt();
        if (!failed)
            handleSof0();
        if (!failed)
            handleSos();
        if (failed)
            return false;
        if (markerAt(readPointer, 0xD9))
            break;
    }
    if (!scanDecoded)
        return false;
    outWidth = static_cast<std::uint16_t>(imageX);
    outHeight = static_cast<std::uint16_t>(imageY);
    return true;
}

void Decoding::handleAppOrDri()
{
    const int marker = peek(position + 1);
    if (peek(position) == 0xFF && marker >= 0xE0)
        skipSegment();
    if (markerAt(position, 0xDD)) {
        ByteReader interval = fieldsAt(position + 4);
        restartInterval = interval.u16be();
        settle(interval);
        position += 6;
    }
}

void Decoding::handleDht()
{
    if (!markerAt(position, 0xC4))
        return;
    ByteReader tables = fieldsAt(position + 4);
    for (;;) {
        const std::uint8_t selector = tables.u8();
        std::array<std::uint8_t, 17> counts{};
        std::size_t total = 0;
        for (int l = 1; l <= 16; ++l) {
            counts[static_cast<std::size_t>(l)] = tables.u8();
            total += counts[static_cast<std::size_t>(l)];
        }
        const std::span<const std::uint8_t> values = tables.bytes(total);
        if (settle(tables) || selector >= huffmanSlotCount) {
            failed = true;
            return;
        }
        if (!buildHuffmanSlot(huffman[selector], counts, values))
            return;
        if (lastTable(tables))
            break;
    }
    skipSegment();
}

// ITU T.81 Annex C (sizes, then codes) and F.2.2.3 (maxcode, mincode, valptr).
// Codes are kept as unsigned 16-bit values, as the slot stores them, so an
// over-full table behaves the same way every time.
bool Decoding::buildHuffmanSlot(HuffmanSlot& slot, const std::array<std::uint8_t, 17>& counts,
                                std::span<const std::uint8_t> values)
{
    slot = HuffmanSlot{};
    slot.present = true;
    for (int l = 1; l <= 16; ++l) {
        for (int i = 0; i < counts[static_cast<std::size_t>(l)]; ++i)
            slot.sizes.push_back(static_cast<std::uint8_t>(l));
    }
    slot.count = static_cast<int>(slot.sizes.size());
    slot.sizes.push_back(0);
    slot.values.assign(values.begin(), values.end());
    slot.codes.assign(static_cast<std::size_t>(slot.count) + 1, 0);
    if (slot.count > 0) {
        std::size_t k = 0;
        unsigned code = 0;
        int si = slot.sizes[0];
        for (;;) {
            while (slot.sizes[k] == si) {
                slot.codes[k++] = static_cast<std::uint16_t>(code);
                ++code;
            }
            if (slot.sizes[k] == 0)
                break;
            do {
                code <<= 1;
                ++si;
            } while (slot.sizes[k] != si);
        }
    }
    int j = 0;
    for (int l = 1; l <= 16; ++l) {
        const auto ul = static_cast<std::size_t>(l);
        if (counts[ul] == 0) {
            slot.maxcode[ul] = 0xFFFF;
            continue;
        }
        slot.valptr[ul] = j;
        slot.mincode[ul] = slot.codes[static_cast<std::size_t>(j)];
        j += counts[ul];
        slot.maxcode[ul] = slot.codes[static_cast<std::size_t>(j - 1)];
    }
    // The fast table replays DECODE on every fastBits-bit prefix, so it agrees with
    // the slow path on any table, well-formed or not.
    for (unsigned prefix = 0; prefix < (1u << fastBits); ++prefix) {
        unsigned code = prefix >> (fastBits - 1);
        int l = 1;
        while (l <= fastBits && (slot.maxcode[static_cast<std::size_t>(l)] == 0xFFFF ||
                                 code > slot.maxcode[static_cast<std::size_t>(l)])) {
            ++l;
            if (l <= fastBits)
                code = code * 2 + ((prefix >> (fastBits - l)) & 1u);
        }
        if (l > fastBits)
            continue;
        const auto ul = static_cast<std::size_t>(l);
        const long index = long{slot.valptr[ul]} + long{code} - long{slot.mincode[ul]};
        if (index < 0 || index >= slot.count)
            continue;
        const std::uint8_t symbol = slot.values[static_cast<std::size_t>(index)];
        slot.fast[prefix] = static_cast<std::uint16_t>(l << 8 | symbol);
        const int size = symbol & 15;
        if (size == 0 || l + size > fastBits)
            continue;
        const int bits = static_cast<int>((prefix >> (fastBits - l - size)) & ((1u << size) - 1));
        const int value = bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits;
        slot.fastAc[prefix] = static_cast<std::uint32_t>(static_cast<std::uint16_t>(value)) << 16 |
                              static_cast<std::uint32_t>(symbol >> 4) << 8 | static_cast<std::uint32_t>(l + size);
    }
    return true;
}

void Decoding::handleDqt()
{
    if (!markerAt(position, 0xDB))
        return;
    ByteReader tables = fieldsAt(position + 4);
    for (;;) {
        const std::uint8_t tableByte = tables.u8();
        const std::span<const std::uint8_t> values = tables.bytes(64);
        if (settle(tables))
            return;
        std::copy(values.begin(), values.end(), quant[tableByte & 0x0F].begin());
        if (lastTable(tables))
            break;
    }
    skipSegment();
}

void Decoding::handleSof0()
{
    if (!markerAt(position, 0xC0))
        return;
    ByteReader fields = fieldsAt(position + 5);
    frame.paddedHeight = fields.u16be();
    frame.paddedWidth = fields.u16be();
    frame.nf = fields.u8();
    if (settle(fields) || frame.nf > 3) {
        failed = true;
        return;
    }
    for (std::size_t i = 0; i < frame.nf; ++i) {
        frame.id[i] = fields.u8();
        const std::uint8_t sampling = fields.u8();
        frame.h[i] = static_cast<std::uint8_t>(sampling >> 4);
        frame.v[i] = static_cast<std::uint8_t>(sampling & 0x0F);
        frame.tq[i] = fields.u8();
        if (settle(fields) || frame.h[i] == 0 || frame.h[i] > 4 || frame.v[i] == 0 || frame.v[i] > 4 || frame.tq[i] >= quantSlotCount)
            failed = true;
    }
    if (!failed)
        skipSegment();
}

void Decoding::handleSos()
{
    if (!markerAt(position, 0xDA))
        return;
    ByteReader fields = fieldsAt(position + 4);
    scan.ns = fields.u8();
    if (scan.ns == 0 || scan.ns > 3 || scan.ns > frame.nf) {
        failed = true;
        return;
    }
    for (std::size_t i = 0; i < scan.ns; ++i) {
        scan.cs[i] = fields.u8();
        const std::uint8_t tables = fields.u8();
        scan.td[i] = static_cast<std::uint8_t>(tables >> 4);
        scan.ta[i] = static_cast<std::uint8_t>(tables & 0x0F);
        if (scan.td[i] >= huffmanSlotCount || 16 + scan.ta[i] >= huffmanSlotCount || !huffman[scan.td[i]].present ||
            !huffman[16u + scan.ta[i]].present)
            failed = true;
    }
    scan.ss = fields.u8();
    scan.se = fields.u8();
    scan.ahAl = fields.u8();
    if (settle(fields))
        return;
    skipSegment();

    hMax = *std::max_element(frame.h.begin(), frame.h.begin() + frame.nf);
    vMax = *std::max_element(frame.v.begin(), frame.v.begin() + frame.nf);
    imageX = frame.paddedWidth;
    imageY = frame.paddedHeight;
    if (imageX == 0 || imageY == 0 || imageX > JpegDecoder::maxSide || imageY > JpegDecoder::maxSide) {
        failed = true;
        return;
    }
    const int mcuWidth = 8 * hMax;
    const int mcuHeight = 8 * vMax;
    if (imageX % mcuWidth != 0)
        frame.paddedWidth = static_cast<std::uint16_t>((imageX / mcuWidth + 1) * mcuWidth);
    if (imageY % mcuHeight != 0)
        frame.paddedHeight = static_cast<std::uint16_t>((imageY / mcuHeight + 1) * mcuHeight);
    decodeScan();
}

// ----------------------------------------------------------------------- scan

void Decoding::decodeScan()
{
    const int mcusAcross = frame.paddedWidth / 8 / hMax;
    const int mcusDown = frame.paddedHeight / 8 / vMax;
    const std::size_t pw = frame.paddedWidth;
    const std::size_t pixelCount = pw * frame.paddedHeight;
    // Every block takes at least two Huffman codes of at least one bit, so
    // data too short for the frame is refused before the big allocation.
    std::size_t blocksPerMcu = 0;
    direct = true;
    for (std::size_t c = 0; c < scan.ns; ++c) {
        blocksPerMcu += std::size_t{frame.h[c]} * frame.v[c];
        direct = direct && hMax % frame.h[c] == 0 && vMax % frame.v[c] == 0;
    }
    const std::size_t blocks = blocksPerMcu * static_cast<std::size_t>(mcusAcross) * static_cast<std::size_t>(mcusDown);
    if (pixelCount > pixelLimit || position > data.size() || blocks * 2 > (data.size() - position) * 8) {
        failed = true;
        return;
    }
    bits = BitWindow{0, 0, position};
    dcPredictor = {};
    // A later SOS decodes the frame again from scratch: the previous scan's
    // arrays go before the new ones are made, so two never coexist.
    result.reset();
    resultSize = 0;
    rawOutput = {};

    const std::size_t mcuWidth = 8u * hMax;
    const std::size_t mcuHeight = 8u * vMax;
    planeSize = pw * mcuHeight;
    // Conversion takes 16 pixels at a time: a row's last group may reach 8
    // samples past the padded width.
    band.assign(3 * planeSize + 16, 0);
    mcuPlanes.assign(direct ? 0 : 3 * mcuWidth * mcuHeight, 0);
    rowScratch.assign((pw + 16) * 3, 0);
    stride = (3 * static_cast<std::size_t>(imageX) + 3) / 4 * 4;
    resultSize = stride * static_cast<std::size_t>(imageY);
    result = std::make_unique_for_overwrite<std::uint8_t[]>(resultSize);
    preferHugePages(result.get(), resultSize);
    rawOutput.assign(scan.ns == 2 ? pixelCount * 3 : 0, 0);

    int sinceRestart = 0;
    for (int mr = 0; mr < mcusDown; ++mr) {
        for (int mc = 0; mc < mcusAcross; ++mc) {
            if (!decodeMcu(mc)) {
                failed = true;
                return;
            }
            if (++sinceRestart == restartInterval) {
                sinceRestart = 0;
                handleRestart();
            }
        }
        emitBand(mr);
    }
    if (scan.ns == 2)
        finishTwoComponentScan();
    readPointer = logicalReadPointer();
    bits = BitWindow{0, 0, readPointer};
    scanDecoded = true;
}

// Where the byte-at-a-time reader would stand: just past the byte it is
// taking bits from. The whole unread bytes still in the buffer are given back,
// with the stuffed byte that followed each FF among them.
std::size_t Decoding::logicalReadPointer() const
{
    const int wholeBytes = bits.count / 8;
    std::size_t back = 0;
    for (int i = 0; i < wholeBytes; ++i)
        back += ((bits.buffer >> (64 - bits.count + 8 * i)) & 0xFF) == 0xFF ? 2 : 1;
    return bits.readPointer >= back ? bits.readPointer - back : 0;
}

void Decoding::handleRestart()
{
    const std::size_t at = logicalReadPointer();
    const int second = peek(at + 1);
    if (peek(at) == 0xFF && second >= 0xD0 && second <= 0xD7) {
        bits = BitWindow{0, 0, at + 2};
        dcPredictor = {};
    }
}

bool Decoding::decodeMcu(int mcuColumn)
{
    alignas(32) std::uint8_t samples[64];
    const std::size_t pw = frame.paddedWidth;
    for (int c = 0; c < scan.ns; ++c) {
        const auto uc = static_cast<std::size_t>(c);
        // A full-resolution component of a directly written band needs no
        // replication: its blocks go straight to their place in the band.
        const bool inPlace = direct && frame.h[uc] == hMax && frame.v[uc] == vMax;
        for (int bv = 0; bv < frame.v[uc]; ++bv) {
            for (int bh = 0; bh < frame.h[uc]; ++bh) {
                if (inPlace) {
                    std::uint8_t* to = band.data() + uc * planeSize + static_cast<std::size_t>(bv) * 8 * pw +
                                       static_cast<std::size_t>(mcuColumn) * 8u * hMax + static_cast<std::size_t>(bh) * 8;
                    if (!decodeBlock(c, to, pw))
                        return false;
                    continue;
                }
                if (!decodeBlock(c, samples, 8))
                    return false;
                placeBlock(samples, c, bv, bh, mcuColumn);
            }
        }
    }
    if (!direct) {
        // The MCU buffer's first Ns samples of each pixel go to the output.
        const std::size_t mcuWidth = 8u * hMax;
        const std::size_t mcuHeight = 8u * vMax;
        for (std::size_t c = 0; c < scan.ns; ++c) {
            for (std::size_t y = 0; y < mcuHeight; ++y)
                std::memcpy(band.data() + c * planeSize + y * frame.paddedWidth + static_cast<std::size_t>(mcuColumn) * mcuWidth,
                            mcuPlanes.data() + (c * mcuHeight + y) * mcuWidth, mcuWidth);
        }
    }
    return true;
}

// Pixel replication: sample (y, x) of block (bv, bh) fills the hs x vs square
// at row bv*8*vs + y*vs + dy, column bh*8*hs + x*hs + dx of the MCU.
void Decoding::placeBlock(const std::uint8_t* samples, int component, int blockRow, int blockColumn, int mcuColumn)
{
    const auto c = static_cast<std::size_t>(component);
    const int hs = hMax / frame.h[c];
    const int vs = vMax / frame.v[c];
    std::uint8_t* plane = nullptr;
    std::size_t rowStride = 0;
    std::size_t column = static_cast<std::size_t>(blockColumn * 8 * hs);
    if (direct) {
        plane = band.data() + c * planeSize;
        rowStride = frame.paddedWidth;
        column += static_cast<std::size_t>(mcuColumn) * 8u * hMax;
    } else {
        rowStride = 8u * hMax;
        plane = mcuPlanes.data() + c * rowStride * 8u * vMax;
    }
    for (int y = 0; y < 8; ++y) {
        const std::uint8_t* from = samples + y * 8;
        for (int dy = 0; dy < vs; ++dy) {
            std::uint8_t* to = plane + static_cast<std::size_t>(blockRow * 8 * vs + y * vs + dy) * rowStride + column;
            if (hs == 1) {
                std::memcpy(to, from, 8);
            } else if (hs == 2) {
                typedef std::uint8_t Byte8 __attribute__((vector_size(8)));
                typedef std::uint8_t Byte16 __attribute__((vector_size(16)));
                Byte8 eight;
                std::memcpy(&eight, from, 8);
                const Byte16 doubled =
                    __builtin_shufflevector(eight, eight, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7);
                std::memcpy(to, &doubled, 16);
            } else {
                for (int x = 0; x < 8; ++x) {
                    for (int dx = 0; dx < hs; ++dx)
                        to[x * hs + dx] = from[x];
                }
            }
        }
    }
}

// ----------------------------------------------------------- entropy decoding

void Decoding::refill(BitWindow& w) const
{
    // Fast path: eight bytes with no FF among them can be taken as they are.
    if (w.readPointer + 8 <= data.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, data.data() + w.readPointer, 8);
        const std::uint64_t inverted = ~word;
        const bool hasFF = ((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0;
        if (!hasFF) {
            word = __builtin_bswap64(word); // first byte most significant
            const int take = (64 - w.count) / 8;
            if (take > 0) {
                w.buffer |= word >> w.count;
                w.count += 8 * take;
                w.readPointer += static_cast<std::size_t>(take);
            }
            return;
        }
    }
    w = refillByteByByte(w);
}

BitWindow Decoding::refillByteByByte(BitWindow w) const
{
    while (w.count <= 56 && w.readPointer < data.size()) {
        const std::uint8_t b = data[w.readPointer++];
        if (b == 0xFF)
            ++w.readPointer; // the stuffed byte after FF, whatever it is
        w.buffer |= std::uint64_t{b} << (56 - w.count);
        w.count += 8;
    }
    return w;
}

// DECODE of T.81 F.2.2.3 when the fast table cannot decide; -1 when no length
// up to 16 matches or the code points outside the table's values.
int Decoding::decodeSymbolBitByBit(BitWindow& w, const HuffmanSlot& slot) const
{
    if (!needBits(w, 1))
        return -1;
    unsigned code = static_cast<unsigned>(takeBits(w, 1));
    int l = 1;
    while (slot.maxcode[static_cast<std::size_t>(l)] == 0xFFFF || code > slot.maxcode[static_cast<std::size_t>(l)]) {
        if (++l > 16 || !needBits(w, 1))
            return -1;
        code = code * 2 + static_cast<unsigned>(takeBits(w, 1));
    }
    const auto ul = static_cast<std::size_t>(l);
    const long index = long{slot.valptr[ul]} + long{code} - long{slot.mincode[ul]};
    if (index < 0 || index >= slot.count)
        return -1;
    return slot.values[static_cast<std::size_t>(index)];
}

int Decoding::decodeSymbol(BitWindow& w, const HuffmanSlot& slot) const
{
    if (needBits(w, fastBits)) {
        const std::uint16_t entry = slot.fast[peekFast(w)];
        if (entry != 0) {
            skipBits(w, entry >> 8);
            return entry & 0xFF;
        }
    }
    return decodeSymbolBitByBit(w, slot);
}

// EXTEND(RECEIVE(size), size) of T.81 F.2.2.1.
bool Decoding::receiveExtend(BitWindow& w, int size, int& value) const
{
    if (size == 0) {
        value = 0;
        return true;
    }
    if (size > 16 || !needBits(w, size))
        return false;
    const int v = takeBits(w, size);
    value = v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
    return true;
}

// ------------------------------------------------------ block and inverse DCT

bool Decoding::decodeBlock(int component, std::uint8_t* out, std::size_t outStride)
{
    BitWindow w = bits;
    unsigned lines = 0;
    const bool decoded = decodeCoefficients(w, static_cast<std::size_t>(component), lines);
    bits = w;
    if (!decoded)
        return false;
    jpeg::kernels().inverseDct(coefficients, lines & 0xFF, lines >> 8, out, outStride);
    for (unsigned rows = lines & 0xFF; rows != 0; rows &= rows - 1)
        std::memset(coefficients[__builtin_ctz(rows)], 0, sizeof coefficients[0]);
    return true;
}

// Coefficients are dequantised (16-bit products) and put in natural order
// as they are decoded; lines notes the rows (bits 0-7) and columns (bits
// 8-15) that hold any.
bool Decoding::decodeCoefficients(BitWindow& w, std::size_t c, unsigned& lines)
{
    const std::array<std::uint8_t, 64>& q = quant[frame.tq[c]];
    const auto store = [&](int k, std::int16_t value) {
        const auto product = static_cast<std::int16_t>(value * q[static_cast<std::size_t>(k)]);
        if (product == 0)
            return;
        const int n = zigZagToNatural[static_cast<std::size_t>(k)];
        coefficients[n >> 3][n & 7] = static_cast<float>(product);
        lines |= zigZagLines[static_cast<std::size_t>(k)];
    };

    // DC: a fast entry of run 0 holds the whole difference (its size is the
    // symbol); any other symbol goes the general way.
    const HuffmanSlot& dc = huffman[scan.td[c]];
    int diff = 0;
    const std::uint32_t dcEntry = needBits(w, fastBits) ? dc.fastAc[peekFast(w)] : 0;
    if (dcEntry != 0 && (dcEntry & 0xF00) == 0) {
        skipBits(w, static_cast<int>(dcEntry & 31));
        diff = static_cast<std::int16_t>(dcEntry >> 16);
    } else {
        const int t = decodeSymbol(w, dc);
        if (t < 0 || !receiveExtend(w, t, diff))
            return false;
    }
    dcPredictor[c] = static_cast<std::int16_t>(diff + dcPredictor[c]);
    store(0, dcPredictor[c]);

    const HuffmanSlot& ac = huffman[16u + scan.ta[c]];
    int k = 1;
    for (;;) {
        int rs = 0;
        if (needBits(w, fastBits)) {
            const std::size_t prefix = peekFast(w);
            // Fastest: code and value bits both within the next fastBits bits.
            const std::uint32_t entry = ac.fastAc[prefix];
            if (entry != 0) {
                skipBits(w, static_cast<int>(entry & 31));
                k += static_cast<int>((entry >> 8) & 15);
                if (k > 63)
                    return false;
                store(k, static_cast<std::int16_t>(entry >> 16));
                if (k == 63)
                    break;
                ++k;
                continue;
            }
            const std::uint16_t symbolEntry = ac.fast[prefix];
            if (symbolEntry != 0) {
                skipBits(w, symbolEntry >> 8);
                rs = symbolEntry & 0xFF;
            } else {
                rs = decodeSymbolBitByBit(w, ac);
            }
        } else {
            rs = decodeSymbolBitByBit(w, ac);
        }
        if (rs < 0)
            return false;
        const int s = rs & 15;
        const int r = rs >> 4;
        if (s == 0) {
            if (r != 15)
                break;
            k += 16;
            if (k > 64)
                return false;
            continue;
        }
        k += r;
        int value = 0;
        if (k > 63 || !receiveExtend(w, s, value))
            return false;
        store(k, static_cast<std::int16_t>(value));
        if (k == 63)
            break;
        ++k;
    }
    return true;
}

// --------------------------------------------------- colour, crop and flip

// Converts the finished MCU row's image rows and stores each as the first
// stride bytes of its padded row, at its flipped place (bottom row first).
void Decoding::emitBand(int mcuRow)
{
    const int mcuHeight = 8 * vMax;
    const std::size_t pw = frame.paddedWidth;
    for (int y = 0; y < mcuHeight; ++y) {
        const int r = mcuRow * mcuHeight + y;
        if (scan.ns == 2) {
            // Rows of pw * Ns raw samples, top row first, padding rows too.
            std::uint8_t* to = rawOutput.data() + static_cast<std::size_t>(r) * pw * 2;
            for (std::size_t x = 0; x < pw; ++x) {
                to[2 * x] = band[static_cast<std::size_t>(y) * pw + x];
                to[2 * x + 1] = band[planeSize + static_cast<std::size_t>(y) * pw + x];
            }
            continue;
        }
        if (r >= imageY)
            break;
        // Groups of 8 pixels that lie wholly inside the stride are converted
        // in place; the rest, up to the pixel the last pad byte falls in,
        // through a scratch row.
        std::uint8_t* to = result.get() + static_cast<std::size_t>(imageY - 1 - r) * stride;
        const std::uint8_t* yRow = band.data() + static_cast<std::size_t>(y) * pw;
        const std::size_t needed = std::min(pw, (stride + 2) / 3);
        if (scan.ns == 1) {
            for (std::size_t x = 0; x < needed; ++x)
                rowScratch[3 * x] = rowScratch[3 * x + 1] = rowScratch[3 * x + 2] = yRow[x];
            std::memcpy(to, rowScratch.data(), stride);
            continue;
        }
        const std::size_t inPlace = stride / 48 * 16;
        const jpeg::ColourKernel convertYCbCr = jpeg::kernels().convertYCbCr;
        convertYCbCr(yRow, yRow + planeSize, yRow + 2 * planeSize, to, static_cast<int>(inPlace));
        if (inPlace < needed) {
            const std::size_t rest = (needed - inPlace + 15) / 16 * 16;
            convertYCbCr(yRow + inPlace, yRow + planeSize + inPlace, yRow + 2 * planeSize + inPlace, rowScratch.data(),
                         static_cast<int>(rest));
            std::memcpy(to + 3 * inPlace, rowScratch.data(), stride - 3 * inPlace);
        }
    }
}

// Nothing is converted for two components: row r of the result is the first
// stride bytes at r * padded width * 3 of the raw buffer, flipped.
void Decoding::finishTwoComponentScan()
{
    const std::size_t paddedRow = std::size_t{frame.paddedWidth} * 3;
    for (std::size_t r = 0; r < static_cast<std::size_t>(imageY); ++r)
        std::memcpy(result.get() + (static_cast<std::size_t>(imageY) - 1 - r) * stride, rawOutput.data() + r * paddedRow,
                    stride);
}

} // namespace

JpegDecoder::JpegDecoder(std::size_t maxPixels) : pixelLimit(maxPixels) {}

bool JpegDecoder::decode(std::span<const std::uint8_t> bytes)
{
    imageWidth = 0;
    imageHeight = 0;
    pixelArray.reset();
    pixelSize = 0;
    std::uint16_t w = 0;
    std::uint16_t h = 0;
    try {
        Decoding decoding(bytes, pixelLimit);
        if (!decoding.run(w, h))
            return false;
        pixelArray = std::move(decoding.result);
        pixelSize = decoding.resultSize;
    } catch (const std::bad_alloc&) {
        return false; // the image does not fit in memory: no image
    }
    imageWidth = w;
    imageHeight = h;
    return true;
}

bool JpegDecoder::decode(const ResourceProvider& resources, int id)
{
    return decode(resources.find("Jpg", id & 0xFFFF));
}

} // namespace orbit
