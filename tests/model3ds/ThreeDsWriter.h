// Builds small 3DS files for tests and benchmarks: chunks as a tree of
// (id, payload, children) serialised with their lengths computed, or forced
// to a given value to make damaged files. Little-endian throughout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbit::test {

struct Chunk {
    std::uint16_t id = 0;
    std::vector<std::uint8_t> payload;
    std::vector<Chunk> children;
    std::optional<std::uint32_t> forcedLength; // written instead of the true length

    std::vector<std::uint8_t> bytes() const;
};

struct Point3 {
    float x, y, z;
};
struct Face3 {
    std::uint16_t a, b, c, flags;
};

Chunk leaf(std::uint16_t id, std::vector<std::uint8_t> payload = {});
Chunk node(std::uint16_t id, std::vector<Chunk> children);
Chunk floats(std::uint16_t id, const std::vector<float>& values); // colour 0x0010, matrix 0x4160
Chunk namedObject(const std::string& name, std::vector<Chunk> children);
Chunk triMesh(std::vector<Chunk> children);
Chunk pointArray(const std::vector<Point3>& points);
Chunk faceArray(const std::vector<Face3>& faces, std::vector<Chunk> subChunks = {});
Chunk materialGroup(const std::string& material, const std::vector<std::uint16_t>& faceIndices);
Chunk texCoords(const std::vector<std::pair<float, float>>& coords);
Chunk material(const std::string& name, std::vector<Chunk> children = {}); // a name chunk, then these
Chunk colour(std::uint16_t which, float r, float g, float b); // 0xA010, 0xA020, 0xA030
Chunk textureMap(const std::string& fileName);

// A named object with one mesh, its faces in one material group (none when materialName is empty).
Chunk meshObject(const std::string& name, const std::vector<Point3>& points, const std::vector<Face3>& faces,
                 const std::string& materialName);
Chunk simpleMaterial(const std::string& name, float r, float g, float b); // equal ambient, diffuse, specular

// The whole file: a main chunk holding a version and an editor chunk with these children.
std::vector<std::uint8_t> sceneFile(std::vector<Chunk> editorChildren);
} // namespace orbit::test
