// Serialises test chunk trees; see ThreeDsWriter.h.
#include "ThreeDsWriter.h"

#include <bit>
#include <utility>

namespace orbit::test {

std::vector<std::uint8_t> Chunk::bytes() const
{
    std::vector<std::uint8_t> body = payload;
    for (const Chunk& child : children) {
        const std::vector<std::uint8_t> nested = child.bytes();
        body.insert(body.end(), nested.begin(), nested.end());
    }
    std::vector<std::uint8_t> out;
    putU16(out, id);
    putU32(out, forcedLength ? *forcedLength : static_cast<std::uint32_t>(body.size() + 6));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void putU8(std::vector<std::uint8_t>& out, std::uint8_t value) { out.push_back(value); }

void putU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

void putF32(std::vector<std::uint8_t>& out, float value) { putU32(out, std::bit_cast<std::uint32_t>(value)); }

void putName(std::vector<std::uint8_t>& out, const std::string& name)
{
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

Chunk leaf(std::uint16_t id, std::vector<std::uint8_t> payload) { return Chunk{id, std::move(payload), {}, {}}; }

Chunk mainChunk(std::vector<Chunk> children) { return Chunk{0x4D4D, {}, std::move(children), {}}; }
Chunk editorChunk(std::vector<Chunk> children) { return Chunk{0x3D3D, {}, std::move(children), {}}; }

Chunk namedObject(const std::string& name, std::vector<Chunk> children)
{
    Chunk chunk{0x4000, {}, std::move(children), {}};
    putName(chunk.payload, name);
    return chunk;
}

Chunk triMesh(std::vector<Chunk> children) { return Chunk{0x4100, {}, std::move(children), {}}; }

Chunk pointArray(const std::vector<Point3>& points)
{
    Chunk chunk{0x4110, {}, {}, {}};
    putU16(chunk.payload, static_cast<std::uint16_t>(points.size()));
    for (const Point3& p : points) {
        putF32(chunk.payload, p.x);
        putF32(chunk.payload, p.y);
        putF32(chunk.payload, p.z);
    }
    return chunk;
}

Chunk faceArray(const std::vector<Face3>& faces, std::vector<Chunk> subChunks)
{
    Chunk chunk{0x4120, {}, std::move(subChunks), {}};
    putU16(chunk.payload, static_cast<std::uint16_t>(faces.size()));
    for (const Face3& f : faces) {
        putU16(chunk.payload, f.a);
        putU16(chunk.payload, f.b);
        putU16(chunk.payload, f.c);
        putU16(chunk.payload, f.flags);
    }
    return chunk;
}

Chunk materialGroup(const std::string& material, const std::vector<std::uint16_t>& faceIndices)
{
    Chunk chunk{0x4130, {}, {}, {}};
    putName(chunk.payload, material);
    putU16(chunk.payload, static_cast<std::uint16_t>(faceIndices.size()));
    for (const std::uint16_t index : faceIndices)
        putU16(chunk.payload, index);
    return chunk;
}

Chunk texCoords(const std::vector<std::pair<float, float>>& coords)
{
    Chunk chunk{0x4140, {}, {}, {}};
    putU16(chunk.payload, static_cast<std::uint16_t>(coords.size()));
    for (const auto& [u, v] : coords) {
        putF32(chunk.payload, u);
        putF32(chunk.payload, v);
    }
    return chunk;
}

Chunk localMatrix(const std::vector<float>& values)
{
    Chunk chunk{0x4160, {}, {}, {}};
    for (const float value : values)
        putF32(chunk.payload, value);
    return chunk;
}

Chunk material(std::vector<Chunk> children) { return Chunk{0xAFFF, {}, std::move(children), {}}; }

Chunk materialName(const std::string& name)
{
    Chunk chunk{0xA000, {}, {}, {}};
    putName(chunk.payload, name);
    return chunk;
}

Chunk colourChunk(std::uint16_t which, std::vector<Chunk> values) { return Chunk{which, {}, std::move(values), {}}; }

Chunk colourFloat(float r, float g, float b)
{
    Chunk chunk{0x0010, {}, {}, {}};
    putF32(chunk.payload, r);
    putF32(chunk.payload, g);
    putF32(chunk.payload, b);
    return chunk;
}

Chunk colour24(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return Chunk{0x0011, {r, g, b}, {}, {}}; }

Chunk transparency(std::int16_t percent)
{
    Chunk value{0x0030, {}, {}, {}};
    putU16(value.payload, static_cast<std::uint16_t>(percent));
    return Chunk{0xA050, {}, {value}, {}};
}

Chunk twoSided() { return Chunk{0xA081, {}, {}, {}}; }

Chunk textureMap(const std::string& fileName)
{
    Chunk name{0xA300, {}, {}, {}};
    putName(name.payload, fileName);
    Chunk percent{0x0030, {}, {}, {}};
    putU16(percent.payload, 100);
    return Chunk{0xA200, {}, {percent, name}, {}};
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
    return mainChunk({leaf(0x0002, {3, 0, 0, 0}), editorChunk(std::move(editorChildren))}).bytes();
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
    const int sides[6][4] = {
        {0, 2, 3, 1}, // z = -1
        {4, 5, 7, 6}, // z = +1
        {0, 1, 5, 4}, // y = -1
        {2, 6, 7, 3}, // y = +1
        {0, 4, 6, 2}, // x = -1
        {1, 3, 7, 5}, // x = +1
    };
    std::vector<Face3> faces;
    for (const auto& s : sides) {
        const auto u = [](int v) { return static_cast<std::uint16_t>(v); };
        faces.push_back({u(s[0]), u(s[2]), u(s[1]), 0});
        faces.push_back({u(s[0]), u(s[3]), u(s[2]), 0});
    }
    return faces;
}

} // namespace orbit::test
