// The source a 3DS parse reads: the embedded resource's bytes in place, or a
// file read through a window that follows the position, with a position,
// absolute seek and bounded reads handed out as ByteReader views of the
// window. Reads never pass the end: a read that does not fit reads nothing
// and returns false, so a truncated file can only stop the parse, never
// overrun.
#pragma once

#include "platform/ByteReader.h"
#include "platform/FileBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orbit {

// Closes a stdio file held in a unique_ptr.
struct StdioFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class ByteStream {
public:
    // Reads the bytes in place, without a copy.
    explicit ByteStream(std::span<const std::uint8_t> bytes) : bytes(bytes), total(bytes.size()) {}
    // Empty until openFile.
    ByteStream() = default;

    // Opens a file for reading: a regular file through a window that follows
    // the position, anything else (a pipe) read whole at once; at most
    // maxFileBytes, else EFBIG. False with errorCause set to the errno of the
    // failing call. Read errors later on show in readError().
    bool openFile(const std::string& path, int& errorCause);

    std::size_t position() const { return pos; }
    std::size_t size() const { return total; }
    // Positions past the end are clamped to the end.
    void seek(std::size_t position) { pos = position < total ? position : total; }
    // Little-endian values; false with the position unchanged when the value
    // does not fit before limit.
    bool readU8(std::uint8_t& value, std::size_t limit) { return readValue<&ByteReader::u8>(value, limit); }
    bool readU16(std::uint16_t& value, std::size_t limit) { return readValue<&ByteReader::u16>(value, limit); }
    bool readS16(std::int16_t& value, std::size_t limit) { return readValue<&ByteReader::i16>(value, limit); }
    bool readU32(std::uint32_t& value, std::size_t limit) { return readValue<&ByteReader::u32>(value, limit); }
    bool readF32(float& value, std::size_t limit) { return readValue<&ByteReader::f32>(value, limit); }
    // A reader over the next n bytes, advancing past them, for decoding a
    // run of records checked once; valid until the next read. False (nothing
    // read) when fewer than n bytes remain before limit or the end.
    bool readView(ByteReader& view, std::size_t n, std::size_t limit);

    // The errno of a file read that failed (or EIO for a file that became
    // shorter than it was when opened); 0 while every read succeeded. A
    // failed read reads nothing, like one past the end.
    int readError() const { return errorCause; }

private:
    template <auto get, typename T> bool readValue(T& value, std::size_t limit)
    {
        ByteReader view;
        if (!readView(view, sizeof(T), limit))
            return false;
        value = (view.*get)();
        return true;
    }
    // Whether n bytes fit between the position and limit (or the end).
    bool fits(std::size_t n, std::size_t limit) const;
    // Makes bytes[pos - windowStart, + n) hold the stream's bytes at the
    // position, refilling the window from the file when they are not there.
    bool inWindow(std::size_t n);

    std::span<const std::uint8_t> bytes; // the whole resource, or the file's window
    std::size_t windowStart = 0;         // stream offset of bytes[0]
    std::size_t total = 0;
    std::size_t pos = 0;
    std::unique_ptr<std::FILE, StdioFileCloser> file;
    std::vector<std::uint8_t> window;
    int errorCause = 0;
};

} // namespace orbit
