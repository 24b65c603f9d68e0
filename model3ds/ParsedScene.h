// The raw records of a 3DS scene, kept as they appear in the file: materials
// and triangle meshes in chunk order. The reader fills them, assembly reads
// them. Names hold at most 16 characters (longer names are cut to 16).
// Records sit in contiguous vectors rather than one heap node each.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orbit {

// Longest name the format's 20-byte name fields keep.
constexpr std::size_t maxNameLength = 16;

struct ParsedMaterial {
    std::string name;
    std::array<float, 3> ambient{};  // red, green, blue in 0..1
    std::array<float, 3> diffuse{};
    std::array<float, 3> specular{};
    std::string textureMap;          // file name from the texture map chunk; empty when none
    int twoSided = 0;                // 0 or 1
    float opacity = 0.0f;            // from the transparency chunk; 0 when the chunk is absent
};

struct ParsedFace {
    std::uint16_t a = 0, b = 0, c = 0; // indices into the mesh's points
    std::uint16_t flags = 0;           // the face's flag word (7 swapped b and c on reading)
};

struct ParsedPoint {
    float x = 0, y = 0, z = 0;
};

struct ParsedTexCoord {
    float u = 0, v = 0;
};

struct ParsedMaterialGroup {
    std::string materialName;
    std::vector<std::uint16_t> faceIndices; // into the mesh's faces, read as signed by assembly
};

struct ParsedMesh {
    std::string name;                 // of the named object that holds the mesh
    int hasMatrix = 0;                // 1 once a local matrix was read
    std::array<float, 12> matrix{};   // nine axis values, then the origin, as stored (never applied)
    std::vector<ParsedFace> faces;
    std::vector<ParsedPoint> points;
    std::vector<ParsedMaterialGroup> materialGroups;
    std::vector<ParsedTexCoord> texCoords; // index i belongs to point i
};

struct ParsedScene {
    std::vector<ParsedMaterial> materials;
    std::vector<ParsedMesh> meshes;
    // Set when any mesh had no material group and got the "WG_DEFAULT" group
    // (the model's usesDefaultMaterial).
    int usesDefaultMaterial = 0;
};

} // namespace orbit
