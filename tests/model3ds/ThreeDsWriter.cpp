// Serialises test chunk trees; see ThreeDsWriter.h.
#include "ThreeDsWriter.h"

#include <bit>
#include <type_traits>
#include <utility>

namespace orbit::test {

namespace {

// Appends a 16-bit word, a 32-bit word or a float, low byte first.
template <typename T>
void put(std::vector<std::uint8_t>& out, T value)
{
    using Bits = std::conditional_t<sizeof(T) == 2, std::uint16_t, std::uint32_t>;
    auto bits = std::bit_cast<Bits>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
        bits = static_cast<Bits>(bits >> 8);
    }
}

// A chunk whose payload starts with a 16-bit record count.
Chunk counted(std::uint16_t id, std::size_t count)
{
    Chunk chunk = leaf(id);
    put(chunk.payload, static_cast<std::uint16_t>(count));
    return chunk;
}

Chunk named(std::uint16_t id, const std::string& name, std::vector<Chunk> children = {})
{
    Chunk chunk = node(id, std::move(children));
    chunk.payload.assign(name.begin(), name.end());
    chunk.payload.push_back(0);
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
    put(out, id);
    put(out, forcedLength ? *forcedLength : static_cast<std::uint32_t>(body.size() + 6));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Chunk leaf(std::uint16_t id, std::vector<std::uint8_t> payload) { return Chunk{id, std::move(payload), {}, {}}; }
Chunk node(std::uint16_t id, std::vector<Chunk> children) { return Chunk{id, {}, std::move(children), {}}; }
Chunk triMesh(std::vector<Chunk> children) { return node(0x4100, std::move(children)); }
Chunk namedObject(const std::string& name, std::vector<Chunk> children) { return named(0x4000, name, children); }

Chunk material(const std::string& name, std::vector<Chunk> children)
{
    children.insert(children.begin(), named(0xA000, name));
    return node(0xAFFF, std::move(children));
}

Chunk floats(std::uint16_t id, const std::vector<float>& values)
{
    Chunk chunk = leaf(id);
    for (const float v : values)
        put(chunk.payload, v);
    return chunk;
}

Chunk pointArray(const std::vector<Point3>& points)
{
    Chunk chunk = counted(0x4110, points.size());
    for (const Point3& p : points) {
        for (const float v : {p.x, p.y, p.z})
            put(chunk.payload, v);
    }
    return chunk;
}

Chunk faceArray(const std::vector<Face3>& faces, std::vector<Chunk> subChunks)
{
    Chunk chunk = counted(0x4120, faces.size());
    chunk.children = std::move(subChunks);
    for (const Face3& f : faces) {
        for (const std::uint16_t word : {f.a, f.b, f.c, f.flags})
            put(chunk.payload, word);
    }
    return chunk;
}

Chunk materialGroup(const std::string& material, const std::vector<std::uint16_t>& faceIndices)
{
    Chunk chunk = named(0x4130, material);
    put(chunk.payload, static_cast<std::uint16_t>(faceIndices.size()));
    for (const std::uint16_t index : faceIndices)
        put(chunk.payload, index);
    return chunk;
}

Chunk texCoords(const std::vector<std::pair<float, float>>& coords)
{
    Chunk chunk = counted(0x4140, coords.size());
    for (const auto& [u, v] : coords) {
        put(chunk.payload, u);
        put(chunk.payload, v);
    }
    return chunk;
}

Chunk colour(std::uint16_t which, float r, float g, float b) { return node(which, {floats(0x0010, {r, g, b})}); }

Chunk textureMap(const std::string& fileName)
{
    return node(0xA200, {leaf(0x0030, {100, 0}), named(0xA300, fileName)});
}

Chunk meshObject(const std::string& name, const std::vector<Point3>& points, const std::vector<Face3>& faces,
                 const std::string& materialName)
{
    std::vector<std::uint16_t> all(faces.size());
    for (std::size_t i = 0; i < faces.size(); ++i)
        all[i] = static_cast<std::uint16_t>(i);
    std::vector<Chunk> groups;
    if (!materialName.empty())
        groups.push_back(materialGroup(materialName, all));
    return namedObject(name, {triMesh({pointArray(points), faceArray(faces, std::move(groups))})});
}

Chunk simpleMaterial(const std::string& name, float r, float g, float b)
{
    return material(name, {colour(0xA010, r, g, b), colour(0xA020, r, g, b), colour(0xA030, r, g, b)});
}

std::vector<std::uint8_t> sceneFile(std::vector<Chunk> editorChildren)
{
    return node(0x4D4D, {leaf(0x0002, {3, 0, 0, 0}), node(0x3D3D, std::move(editorChildren))}).bytes();
}

} // namespace orbit::test
