// The assembled model as plain data, with no GL: one flat vertex array in the
// interleaved GL_T2F_N3F_V3F layout, the materials each carrying its
// triangles, and which faces use each vertex. GL names appear only as numbers
// here; their owners live in the display-list part (Model3ds).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbit {

// Eight floats in exactly the GL_T2F_N3F_V3F order, 32 bytes with no gaps, so
// the display-list compiler copies records as they stand.
struct ModelVertex {
    float u = 0, v = 0;            // texture coordinates
    float nx = 0, ny = 0, nz = 0;  // unit normal, or zero for a vertex no face uses
    float x = 0, y = 0, z = 0;     // position in the file's coordinates
};
static_assert(sizeof(ModelVertex) == 8 * sizeof(float), "GL_T2F_N3F_V3F record");

struct ModelFace {
    int i0 = 0, i1 = 0, i2 = 0;    // indices into the model's vertices
    float nx = 0, ny = 0, nz = 0;  // unit normal of the triangle
};

using Rgba = std::array<float, 4>;

struct ModelMaterial {
    std::string name;
    std::string textureFile;  // empty when none
    int twoSided = 0;
    Rgba ambient{};
    Rgba diffuse{};
    Rgba specular{};
    float opacity = 0;        // the same value as the colours' alpha
    unsigned texture = 0;     // GL texture name; 0 without a texture file, without GL, or after a failed load
    std::vector<ModelFace> faces;
};

// The faces that use one vertex: non-owning pointers into the materials'
// face arrays, valid while those arrays are not grown.
using VertexFaceList = std::vector<const ModelFace*>;

// Axis-aligned box of all vertices, in double precision. With no vertices the
// minimum stays at the largest finite double and the maximum at its negative,
// so every extent and the size are negative infinity.
struct ModelBounds {
    double minX, minY, minZ;
    double maxX, maxY, maxZ;
    double size; // the largest of the three extents
};

} // namespace orbit
