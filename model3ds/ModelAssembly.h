// Turns a ParsedScene into drawable geometry without touching GL: materials
// ("WG_DEFAULT" first when a mesh had no material group), one flat vertex
// array for all meshes, faces per material (two-sided materials get reversed
// twins), and angle-weighted vertex normals with crease splitting. Faces live
// in one contiguous array per material. The faces around a vertex are not
// stored: a vertex's list is every face using it in material order, then face
// order, which is exactly the order of one pass over the materials' faces, so
// the normals are summed in that pass (see computeVertexNormals).
#pragma once

#include "model3ds/ModelGeometry.h"
#include "model3ds/ParsedScene.h"
#include "platform/DiagnosticSink.h"

#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orbit {

// Which loader a texture file name goes to, by its last three letters in any
// case. Names shorter than three characters match neither.
enum class TextureFileKind { None, Bmp, Tga };
TextureFileKind textureFileKind(std::string_view fileName);

// Bounding box and size of the vertices (see ModelBounds for the empty case).
ModelBounds measureBounds(std::span<const ModelVertex> vertices);

class ModelAssembly {
public:
    // creaseCos = cos(creaseAngleDeg in radians); forceTwoSided makes every
    // material two-sided.
    ModelAssembly(int creaseAngleDeg, bool forceTwoSided);

    // The whole assembly: materials, vertices and faces of every mesh, face
    // lists and vertex normals. Faces naming an unknown material, and faces
    // whose indices point past their mesh's faces or points, are dropped with
    // a diagnostic. Call once.
    void assemble(const ParsedScene& scene, DiagnosticSink& diagnostics);

    // Appends a material; its texture name stays 0 (the GL part fills it).
    void addMaterial(const Rgba& ambient, const Rgba& diffuse, const Rgba& specular, float opacity,
                     std::string_view name, std::string_view textureFile, int twoSided);
    // Appends triangle (i0, i1, i2) to the named material, plus its reversed
    // twin when the material is two-sided. False when the triangle is
    // degenerate (or its normal not finite) or the material is unknown:
    // nothing is added then. Indices must be below the vertex count.
    bool addFace(int i0, int i1, int i2, std::string_view materialName, DiagnosticSink& diagnostics);

    // Smoothed normals with crease splitting, as the walk over each vertex's
    // faces would give them; split-off vertices are appended to vertices().
    void computeVertexNormals();

    // The faces listed for a vertex: every face using it, in material order
    // then face order, including those moved to its split-off copy; a
    // split-off vertex lists only the face that split it off. Rebuilt from
    // the faces on each call (a scan of all faces), for tests and tools.
    VertexFaceList vertexFaces(int vertex) const;

    std::vector<ModelMaterial>& materials() { return materialList; }
    const std::vector<ModelMaterial>& materials() const { return materialList; }
    const std::vector<ModelVertex>& vertices() const { return vertexList; }
    float creaseCos() const { return creaseCosine; }
    bool forceTwoSided() const { return forceAllTwoSided; }
    std::size_t faceCount() const;

private:
    void reserveFaces(const ParsedScene& scene);
    void appendMesh(const ParsedMesh& mesh, int base, DiagnosticSink& diagnostics);
    // addFace with the material already looked up (k = -1: not found).
    bool addFaceTo(int k, int i0, int i1, int i2, std::string_view materialName, DiagnosticSink& diagnostics);
    int materialIndex(std::string_view name) const;
    void reportMissingMaterial(std::string_view name, DiagnosticSink& diagnostics) const;
    // The three passes of computeVertexNormals (see there).
    void sumFaceNormals(ModelFace& f, std::size_t& splitCount);
    void finishVertices(std::size_t vertexCount);
    void redirectMovedCorners(ModelFace& f, std::vector<std::uint8_t>& copyHasNormal);
    // Whether f is smoothed together with the vertex's reference face (the
    // first face to reach it); a parted face marks the vertex for a copy.
    bool smoothWithReference(const ModelFace& f, std::size_t vertex, std::size_t& splitCount);
    // Weight of f at its corner that refers to vertex (0 when none does).
    double cornerWeight(const ModelFace& f, int vertex) const;

    std::vector<ModelMaterial> materialList;
    std::vector<ModelVertex> vertexList;
    // Vertices from splitBase on were split off during the normal pass.
    // splitState[i] for each vertex below it: the index of its split-off
    // copy, or a negative state of the pass (see the source).
    std::size_t splitBase = std::numeric_limits<std::size_t>::max();
    std::vector<std::int32_t> splitState;
    float creaseCosine;
    bool forceAllTwoSided;
};

} // namespace orbit
