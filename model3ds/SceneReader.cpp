// The chunk loop and one handler per recognised chunk. Every read is bounded
// by the end of the chunk being read (itself cut to its parent's end), so a
// damaged length can waste the rest of its parent but never reach outside it.
// Each loop iteration consumes at least a 6-byte header, so parsing always
// terminates; the tree's depth is fixed by the handlers (no recursion on ids).
#include "SceneReader.h"

#include "ChunkId.h"

#include <cstdarg>
#include <cstdio>

namespace orbit {

namespace {
constexpr std::size_t headerSize = 6;
// The format stores 24-bit colour bytes as fractions of 256, not 255.
constexpr float colourByteScale = 0.00390625f;
constexpr std::size_t nameBufferBytes = maxNameLength + 1; // read before giving up on the terminator

bool is(std::uint16_t id, ChunkId chunk) { return id == static_cast<std::uint16_t>(chunk); }
} // namespace

void SceneReader::warn(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    diagnostics.write(line);
}

bool SceneReader::parseStream()
{
    const std::size_t start = stream.position();
    std::uint16_t id = 0;
    std::uint32_t length = 0;
    const std::size_t limit = stream.size();
    if (!stream.readU16(id, limit) || !stream.readU32(length, limit) || !is(id, ChunkId::Main)) {
        diagnostics.write("Not in 3DS format.\n");
        return false;
    }
    std::size_t end = start + length;
    if (end > stream.size()) {
        warn("Chunk 0x%04X at offset %zu reaches past the end of the file; reading what is there\n",
             static_cast<unsigned>(id), start);
        end = stream.size();
    }
    readMain(end);
    return true;
}

bool SceneReader::nextChunk(std::size_t parentEnd, ChunkHeader& header)
{
    header.start = stream.position();
    std::uint32_t length = 0;
    if (!stream.readU16(header.id, parentEnd) || !stream.readU32(length, parentEnd)) {
        warn("Chunk header at offset %zu is cut off\n", header.start);
        stream.seek(parentEnd);
        return false;
    }
    if (length < headerSize) {
        warn("Chunk 0x%04X at offset %zu has length %u, below its header's 6 bytes; skipping the rest of its parent\n",
             static_cast<unsigned>(header.id), header.start, static_cast<unsigned>(length));
        stream.seek(parentEnd);
        return false;
    }
    header.end = header.start + length;
    if (header.end > parentEnd) {
        warn("Chunk 0x%04X at offset %zu reaches past its parent's end; reading what is inside\n",
             static_cast<unsigned>(header.id), header.start);
        header.end = parentEnd;
    }
    return true;
}

std::string SceneReader::readName(std::size_t limit)
{
    std::string name;
    std::uint8_t byte = 0;
    for (std::size_t count = 0; count < nameBufferBytes; ++count) {
        if (!stream.readU8(byte, limit))
            return name;
        if (byte == 0)
            return name;
        if (name.size() < maxNameLength)
            name.push_back(static_cast<char>(byte));
    }
    // 17 bytes without a terminator: keep 16 characters and resynchronise
    // after the rest of the name instead of reading it as a chunk header.
    while (stream.readU8(byte, limit) && byte != 0) {
    }
    warn("Name longer than 16 characters cut to \"%s\"\n", name.c_str());
    return name;
}

int SceneReader::fittingCount(int count, std::size_t recordSize, const ChunkHeader& chunk)
{
    if (count <= 0)
        return 0;
    const std::size_t position = stream.position();
    const std::size_t room = position < chunk.end ? chunk.end - position : 0;
    const std::size_t fits = room / recordSize;
    if (static_cast<std::size_t>(count) <= fits)
        return count;
    warn("Chunk 0x%04X at offset %zu holds %zu of its %d entries\n", static_cast<unsigned>(chunk.id),
         chunk.start, fits, count);
    return static_cast<int>(fits);
}

ByteReader SceneReader::readRecords(const ChunkHeader& chunk, std::size_t recordSize, std::int16_t& count)
{
    if (!stream.readS16(count, chunk.end))
        return {};
    const auto fits = static_cast<std::size_t>(fittingCount(count, recordSize, chunk));
    ByteReader records;
    if (!stream.readView(records, fits * recordSize, chunk.end))
        return {};
    return records;
}

void SceneReader::readMain(std::size_t end)
{
    ChunkHeader chunk;
    while (stream.position() < end && nextChunk(end, chunk)) {
        if (is(chunk.id, ChunkId::Editor))
            readEditor(chunk.end);
        else
            stream.seek(chunk.end);
    }
}

void SceneReader::readEditor(std::size_t end)
{
    ChunkHeader chunk;
    while (stream.position() < end && nextChunk(end, chunk)) {
        if (is(chunk.id, ChunkId::NamedObject))
            readNamedObject(chunk.end);
        else if (is(chunk.id, ChunkId::Material))
            readMaterial(chunk.end);
        else
            stream.seek(chunk.end);
    }
}

void SceneReader::readNamedObject(std::size_t end)
{
    const std::string name = readName(end);
    ChunkHeader chunk;
    while (stream.position() < end && nextChunk(end, chunk)) {
        if (is(chunk.id, ChunkId::TriangleMesh))
            readTriangleMesh(name, chunk.end);
        else
            stream.seek(chunk.end); // lights, cameras and other object kinds
    }
    stream.seek(end);
}

void SceneReader::readTriangleMesh(const std::string& objectName, std::size_t end)
{
    scene.meshes.emplace_back();
    const std::size_t meshIndex = scene.meshes.size() - 1;
    scene.meshes[meshIndex].name = objectName;
    int faceCount = 0;
    bool sawGroup = false;
    ChunkHeader chunk;
    while (stream.position() < end && nextChunk(end, chunk)) {
        ParsedMesh& mesh = scene.meshes[meshIndex];
        if (is(chunk.id, ChunkId::PointArray)) {
            readPoints(mesh, chunk);
        } else if (is(chunk.id, ChunkId::FaceArray)) {
            // Returns after the face data: the face list's own sub-chunks
            // (material groups, smoothing groups) come round in this loop.
            faceCount = readFaces(mesh, chunk);
        } else if (is(chunk.id, ChunkId::MaterialGroup)) {
            readMaterialGroup(mesh, chunk);
            sawGroup = true;
        } else if (is(chunk.id, ChunkId::TexCoords)) {
            readTexCoords(mesh, chunk);
        } else if (is(chunk.id, ChunkId::LocalMatrix)) {
            readMatrix(mesh, chunk);
        } else {
            stream.seek(chunk.end);
        }
    }
    if (!sawGroup) {
        scene.usesDefaultMaterial = 1;
        ParsedMaterialGroup group;
        group.materialName = "WG_DEFAULT";
        for (int i = 0; i < faceCount; ++i)
            group.faceIndices.push_back(static_cast<std::uint16_t>(i));
        scene.meshes[meshIndex].materialGroups.push_back(std::move(group));
    }
}

void SceneReader::readPoints(ParsedMesh& mesh, const ChunkHeader& chunk)
{
    constexpr std::size_t recordSize = 3 * sizeof(float);
    std::int16_t count = 0;
    ByteReader records = readRecords(chunk, recordSize, count);
    mesh.points.reserve(mesh.points.size() + records.size() / recordSize);
    while (records.remaining() != 0)
        mesh.points.push_back({records.f32(), records.f32(), records.f32()});
}

int SceneReader::readFaces(ParsedMesh& mesh, const ChunkHeader& chunk)
{
    constexpr std::size_t recordSize = 4 * sizeof(std::uint16_t);
    std::int16_t count = 0;
    ByteReader records = readRecords(chunk, recordSize, count);
    const auto fits = static_cast<int>(records.size() / recordSize);
    mesh.faces.reserve(mesh.faces.size() + static_cast<std::size_t>(fits));
    while (records.remaining() != 0) {
        ParsedFace face{records.u16(), records.u16(), records.u16(), records.u16()};
        if (face.flags == 7)
            std::swap(face.b, face.c);
        mesh.faces.push_back(face);
    }
    // A negative count reads as no faces; a cut one as the faces present.
    return count < 0 ? count : fits;
}

void SceneReader::readMaterialGroup(ParsedMesh& mesh, const ChunkHeader& chunk)
{
    ParsedMaterialGroup group;
    group.materialName = readName(chunk.end);
    std::uint16_t count = 0;
    if (stream.readU16(count, chunk.end)) {
        const auto fits = static_cast<std::size_t>(fittingCount(count, sizeof(std::uint16_t), chunk));
        ByteReader indices;
        if (stream.readView(indices, fits * sizeof(std::uint16_t), chunk.end)) {
            group.faceIndices.resize(fits);
            for (std::uint16_t& index : group.faceIndices)
                index = indices.u16();
        }
    }
    mesh.materialGroups.push_back(std::move(group));
}

void SceneReader::readTexCoords(ParsedMesh& mesh, const ChunkHeader& chunk)
{
    constexpr std::size_t recordSize = 2 * sizeof(float);
    std::int16_t count = 0;
    ByteReader records = readRecords(chunk, recordSize, count);
    mesh.texCoords.reserve(mesh.texCoords.size() + records.size() / recordSize);
    while (records.remaining() != 0)
        mesh.texCoords.push_back({records.f32(), records.f32()});
}

void SceneReader::readMatrix(ParsedMesh& mesh, const ChunkHeader& chunk)
{
    std::array<float, 12> values{};
    for (float& value : values) {
        if (!stream.readF32(value, chunk.end)) {
            warn("Chunk 0x%04X at offset %zu is too short for a matrix\n", static_cast<unsigned>(chunk.id),
                 chunk.start);
            return;
        }
    }
    mesh.matrix = values;
    mesh.hasMatrix = 1;
}

void SceneReader::readMaterial(std::size_t end)
{
    scene.materials.emplace_back();
    ParsedMaterial& material = scene.materials.back(); // nothing else appends materials meanwhile
    ChunkHeader chunk;
    while (stream.position() < end && nextChunk(end, chunk)) {
        switch (static_cast<ChunkId>(chunk.id)) {
        case ChunkId::MaterialName: material.name = readName(chunk.end); break;
        case ChunkId::Ambient: readColour(material.ambient, chunk.end); break;
        case ChunkId::Diffuse: readColour(material.diffuse, chunk.end); break;
        case ChunkId::Specular: readColour(material.specular, chunk.end); break;
        case ChunkId::Transparency: material.opacity = readPercentage(chunk.end); break;
        case ChunkId::TwoSided: material.twoSided = 1; break;
        case ChunkId::TextureMap: readTextureMap(material, chunk.end); break;
        default: stream.seek(chunk.end); break;
        }
    }
}

void SceneReader::readColour(std::array<float, 3>& colour, std::size_t end)
{
    ChunkHeader chunk;
    while (stream.position() < end && nextChunk(end, chunk)) {
        if (is(chunk.id, ChunkId::ColorFloat)) {
            std::array<float, 3> value{};
            if (stream.readF32(value[0], chunk.end) && stream.readF32(value[1], chunk.end) &&
                stream.readF32(value[2], chunk.end))
                colour = value;
        } else if (is(chunk.id, ChunkId::Color24)) {
            ByteReader bytes;
            if (stream.readView(bytes, 3, chunk.end)) {
                for (float& channel : colour)
                    channel = static_cast<float>(bytes.u8()) * colourByteScale;
            }
        } else {
            stream.seek(chunk.end);
        }
    }
}

float SceneReader::readPercentage(std::size_t end)
{
    int percentage = 0;
    ChunkHeader chunk;
    while (stream.position() < end && nextChunk(end, chunk)) {
        std::int16_t value = 0;
        if (is(chunk.id, ChunkId::IntPercentage)) {
            if (stream.readS16(value, chunk.end))
                percentage = value;
        } else {
            stream.seek(chunk.end);
        }
    }
    const double fraction = percentage * 0.01;
    // No transparency at all (0 % or less) is stored as 1.
    return fraction < 0.01 ? 1.0f : static_cast<float>(fraction);
}

void SceneReader::readTextureMap(ParsedMaterial& material, std::size_t end)
{
    ChunkHeader chunk;
    while (stream.position() < end && nextChunk(end, chunk)) {
        if (is(chunk.id, ChunkId::MapFileName))
            material.textureMap = readName(chunk.end);
        else
            stream.seek(chunk.end);
    }
}

} // namespace orbit
