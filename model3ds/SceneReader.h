// The 3DS chunk reader: a recursive descent over the chunk tree that fills a
// ParsedScene with the materials and triangle meshes it understands and skips
// every other chunk by its length. It keeps the format's quirks (the face
// list's sub-chunks are read at the mesh level; after a handler the loop goes
// on from wherever the handler stopped) and adds the guards the format lacks:
// a chunk is never read past its parent's end or the stream's end, a header
// whose length is below 6 ends its parent, counts are cut to what their chunk
// holds, and a name longer than 16 characters keeps 16 and skips the rest up
// to its terminator. Each guard that fires writes one diagnostic line.
#pragma once

#include "model3ds/ByteStream.h"
#include "model3ds/ParsedScene.h"
#include "platform/DiagnosticSink.h"

#include <array>
#include <cstdint>
#include <string>

namespace orbit {

class SceneReader {
public:
    SceneReader(ByteStream& stream, ParsedScene& scene, DiagnosticSink& diagnostics)
        : stream(stream), scene(scene), diagnostics(diagnostics)
    {
    }

    // Checks that the first chunk is the main chunk (else "Not in 3DS
    // format.\n" and false) and reads it. True means the magic was right;
    // damage inside the tree is absorbed, keeping what was read before it.
    bool parseStream();

    // Reads a NUL-terminated name of at most 16 characters (see the class
    // comment for longer ones), never past limit.
    std::string readName(std::size_t limit);

private:
    struct ChunkHeader {
        std::uint16_t id = 0;
        std::size_t start = 0;
        std::size_t end = 0; // start + length, cut to the parent's end
    };

    bool nextChunk(std::size_t parentEnd, ChunkHeader& header);
    void readMain(std::size_t end);
    void readEditor(std::size_t end);
    void readNamedObject(std::size_t end);
    void readTriangleMesh(const std::string& objectName, std::size_t end);
    void readPoints(ParsedMesh& mesh, const ChunkHeader& chunk);
    int readFaces(ParsedMesh& mesh, const ChunkHeader& chunk);
    void readMaterialGroup(ParsedMesh& mesh, const ChunkHeader& chunk);
    void readTexCoords(ParsedMesh& mesh, const ChunkHeader& chunk);
    void readMatrix(ParsedMesh& mesh, const ChunkHeader& chunk);
    void readMaterial(std::size_t end);
    void readColour(std::array<float, 3>& colour, std::size_t end);
    float readPercentage(std::size_t end);
    void readTextureMap(ParsedMaterial& material, std::size_t end);
    // How many records of recordSize fit before the chunk's end, with a
    // diagnostic when that is fewer than count.
    int fittingCount(int count, std::size_t recordSize, const ChunkHeader& chunk);
    // Reads a chunk's signed 16-bit count (left in count) and a reader over
    // the records of recordSize bytes that fit before the chunk's end; empty
    // when the count or the records cannot be read.
    ByteReader readRecords(const ChunkHeader& chunk, std::size_t recordSize, std::int16_t& count);
    void warn(const char* format, ...);

    ByteStream& stream;
    ParsedScene& scene;
    DiagnosticSink& diagnostics;
};

} // namespace orbit
