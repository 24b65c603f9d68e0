// Serialises test chunk trees; see ThreeDsWriter.h.
#include "ThreeDsWriter.h"

#include <bit>
#include <utility>

namespace orbit::test {

namespace {

void putName(std::vector<std::uint8_t>& out, const std::string& name)
{
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

void putFloats(std::vector<std::uint8_t>& out, std::initializer_list<float> values)
{
    for (const float v : values) {
        const auto bits = std::bit_cast<std::uint32_t>(v);
        putU16(out, static_cast<std::uint16_t>(bits & 0xFFFF));
        putU16(out, static_cast<std::uint16_t>(bits >> 16));
    }
}

Chunk node(std::uint16_t id, std::vector<Chunk> children) { return Chunk{id, {}, std::move(children), {}}; }

Chunk named(std::uint16_t id, const std::string& name)
{
    Chunk chunk = leaf(id);
    putName(chunk.payload, name);
    return chunk;
}

} // namespace

std::vector<std::uint8_t> Chunk::bytes() const
{
    std::vector<std::uint8_t> body = payload;
    for (const Chunk& child : children) {
        const std::vector<std::uint8_t> nested = child.bytes();
        body.insert(body.end(), nested.begin(), nested.end());
    }
    std::vector<std::uint8_t> out;
    putU16(out, id);
    const std::uint32_t length = forcedLength ? *forcedLength : static_cast<std::uint32_t>(body.size() + 6);
    putU16(out, static_cast<std::uint16_t>(length & 0xFFFF));
    putU16(out, static_cast<std::uint16_t>(length >> 16));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void putU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

Chunk leaf(std::uint16_t id, std::vector<std::uint8_t> payload) { return Chunk{id, std::move(payload), {}, {}}; }
Chunk editorChunk(std::vector<Chunk> children) { return node(0x3D3D, std::move(children)); }
Chunk triMesh(std::vector<Chunk> children) { return node(0x4100, std::move(children)); }
Chunk material(std::vector<Chunk> children) { return node(0xAFFF, std::move(children)); }
Chunk colourChunk(std::uint16_t which, std::vector<Chunk> values) { return node(which, std::move(values)); }
Chunk materialName(const std::string& name) { return named(0xA000, name); }
Chunk twoSided() { return leaf(0xA081); }
Chunk colour24(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return leaf(0x0011, {r, g, b}); }

Chunk namedObject(const std::string& name, std::vector<Chunk> children)
{
    Chunk chunk = named(0x4000, name);
    chunk.children = std::move(children);
    return chunk;
}

Chunk pointArray(const std::vector<Point3>& points)
{
    Chunk chunk = leaf(0x4110);
    putU16(chunk.payload, static_cast<std::uint16_t>(points.size()));
    for (const Point3& p : points)
        putFloats(chunk.payload, {p.x, p.y, p.z});
    return chunk;
}

Chunk faceArray(const std::vector<Face3>& faces, std::vector<Chunk> subChunks)
{
    Chunk chunk = node(0x4120, std::move(subChunks));
    putU16(chunk.payload, static_cast<std::uint16_t>(faces.size()));
    for (const Face3& f : faces) {
        for (const std::uint16_t word : {f.a, f.b, f.c, f.flags})
            putU16(chunk.payload, word);
    }
    return chunk;
}

Chunk materialGroup(const std::string& material, const std::vector<std::uint16_t>& faceIndices)
{
    Chunk chunk = named(0x4130, material);
    putU16(chunk.payload, static_cast<std::uint16_t>(faceIndices.size()));
    for (const std::uint16_t index : faceIndices)
        putU16(chunk.payload, index);
    return chunk;
}

Chunk texCoords(const std::vector<std::pair<float, float>>& coords)
{
    Chunk chunk = leaf(0x4140);
    putU16(chunk.payload, static_cast<std::uint16_t>(coords.size()));
    for (const auto& [u, v] : coords)
        putFloats(chunk.payload, {u, v});
    return chunk;
}

Chunk localMatrix(std::initializer_list<float> values)
{
    Chunk chunk = leaf(0x4160);
    putFloats(chunk.payload, values);
    return chunk;
}

Chunk colourFloat(float r, float g, float b)
{
    Chunk chunk = leaf(0x0010);
    putFloats(chunk.payload, {r, g, b});
    return chunk;
}

Chunk transparency(std::int16_t percent)
{
    Chunk value = leaf(0x0030);
    putU16(value.payload, static_cast<std::uint16_t>(percent));
    return node(0xA050, {value});
}

Chunk textureMap(const std::string& fileName)
{
    return node(0xA200, {leaf(0x0030, {100, 0}), named(0xA300, fileName)});
}

Chunk meshObject(const std::string& name, const std::vector<Point3>& points, const std::vector<Face3>& faces,
                 const std::string& materialName)
{
    std::vector<Chunk> groups;
    if (!materialName.empty()) {
        std::vector<std::uint16_t> all;
        for (std::size_t i = 0; i < faces.size(); ++i)
            all.push_back(static_cast<std::uint16_t>(i));
        groups.push_back(materialGroup(materialName, all));
    }
    return namedObject(name, {triMesh({pointArray(points), faceArray(faces, std::move(groups))})});
}

Chunk simpleMaterial(const std::string& name, float r, float g, float b)
{
    return material({materialName(name), colourChunk(0xA010, {colourFloat(r, g, b)}),
                     colourChunk(0xA020, {colourFloat(r, g, b)}), colourChunk(0xA030, {colourFloat(r, g, b)})});
}

std::vector<std::uint8_t> sceneFile(std::vector<Chunk> editorChildren)
{
    return node(0x4D4D, {leaf(0x0002, {3, 0, 0, 0}), editorChunk(std::move(editorChildren))}).bytes();
}

std::vector<Point3> cubeCorners()
{
    std::vector<Point3> corners;
    for (int i = 0; i < 8; ++i)
        corners.push_back({(i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f});
    return corners;
}

std::vector<Face3> cubeFaces()
{
    // Each side as two triangles (p, q, r) and (p, r, s), counter-clockwise
    // seen from outside; stored as (p, r, q) because assembly swaps the
    // second and third corners back.
    const std::uint16_t sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    std::vector<Face3> faces;
    for (const auto& s : sides) {
        faces.push_back({s[0], s[2], s[1], 0});
        faces.push_back({s[0], s[3], s[2], 0});
    }
    return faces;
}

} // namespace orbit::test
