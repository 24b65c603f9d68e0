// The 3DS chunk ids the reader handles (names after the format's editor
// chunks as commonly documented); every other id is skipped by its length.
#pragma once

#include <cstdint>

namespace orbit {

enum class ChunkId : std::uint16_t {
    ColorFloat = 0x0010,      // three floats
    Color24 = 0x0011,         // three bytes, each x 1/256
    IntPercentage = 0x0030,   // signed 16-bit
    Main = 0x4D4D,
    Editor = 0x3D3D,
    NamedObject = 0x4000,
    TriangleMesh = 0x4100,
    PointArray = 0x4110,
    FaceArray = 0x4120,
    MaterialGroup = 0x4130,   // nested in FaceArray, read at the mesh level
    TexCoords = 0x4140,
    LocalMatrix = 0x4160,
    Material = 0xAFFF,
    MaterialName = 0xA000,
    Ambient = 0xA010,
    Diffuse = 0xA020,
    Specular = 0xA030,
    Transparency = 0xA050,
    TwoSided = 0xA081,
    TextureMap = 0xA200,
    MapFileName = 0xA300,
};

} // namespace orbit
