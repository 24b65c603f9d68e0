// Assembly keeps the described order of every step, because the order decides
// the result: which face is a vertex's reference, which vertex a crease splits
// off, which material a name finds. Two guards go beyond it: a triangle whose
// normal is not finite counts as degenerate (it would poison every crease
// test), and a vertex's reference face always counts as smooth with itself,
// so a crease angle of 0 cannot split a vertex off again and again for ever.
#include "ModelAssembly.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

namespace orbit {

namespace {
constexpr double radiansPerDegree = 0.017453292519943295;

bool sameLetters(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Unit normal of (p0, p1, p2) as the description computes it: d1 = p1 - p0,
// d2 = p2 - p1, n = d1 x d2 in single precision; degenerate when n.n is 0.
// The length is taken in double so very large or small triangles still
// normalise. False for a degenerate or non-finite result.
bool triangleNormal(const ModelVertex& p0, const ModelVertex& p1, const ModelVertex& p2, ModelFace& face)
{
    const float d1x = p1.x - p0.x, d1y = p1.y - p0.y, d1z = p1.z - p0.z;
    const float d2x = p2.x - p1.x, d2y = p2.y - p1.y, d2z = p2.z - p1.z;
    const float nx = d1y * d2z - d1z * d2y;
    const float ny = d1z * d2x - d1x * d2z;
    const float nz = d1x * d2y - d1y * d2x;
    const float squared = nx * nx + ny * ny + nz * nz;
    if (squared == 0.0f || !std::isfinite(nx) || !std::isfinite(ny) || !std::isfinite(nz))
        return false;
    const double length = std::sqrt(double(nx) * nx + double(ny) * ny + double(nz) * nz);
    face.nx = static_cast<float>(nx / length);
    face.ny = static_cast<float>(ny / length);
    face.nz = static_cast<float>(nz / length);
    return std::isfinite(face.nx) && std::isfinite(face.ny) && std::isfinite(face.nz);
}

double squaredDistance(const ModelVertex& a, const ModelVertex& b)
{
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return dx * dx + dy * dy + dz * dz;
}
} // namespace

TextureFileKind textureFileKind(std::string_view fileName)
{
    if (fileName.size() < 3)
        return TextureFileKind::None;
    const std::string_view extension = fileName.substr(fileName.size() - 3);
    if (sameLetters(extension, "bmp"))
        return TextureFileKind::Bmp;
    if (sameLetters(extension, "tga"))
        return TextureFileKind::Tga;
    return TextureFileKind::None;
}

ModelBounds measureBounds(std::span<const ModelVertex> vertices)
{
    constexpr double largest = std::numeric_limits<double>::max();
    ModelBounds box{largest, largest, largest, -largest, -largest, -largest, 0};
    for (const ModelVertex& v : vertices) {
        const double x = v.x, y = v.y, z = v.z;
        if (x < box.minX) box.minX = x;
        if (x > box.maxX) box.maxX = x;
        if (y < box.minY) box.minY = y;
        if (y > box.maxY) box.maxY = y;
        if (z < box.minZ) box.minZ = z;
        if (z > box.maxZ) box.maxZ = z;
    }
    box.size = std::max({box.maxX - box.minX, box.maxY - box.minY, box.maxZ - box.minZ});
    return box;
}

ModelAssembly::ModelAssembly(int creaseAngleDeg, bool forceTwoSided)
    : creaseCosine(static_cast<float>(std::cos(creaseAngleDeg * radiansPerDegree))), forceAllTwoSided(forceTwoSided)
{
}

void ModelAssembly::assemble(const ParsedScene& scene, DiagnosticSink& diagnostics)
{
    if (scene.usesDefaultMaterial) {
        const Rgba white{1, 1, 1, 1};
        addMaterial(white, white, white, 0.0f, "WG_DEFAULT", "", 1);
    }
    for (const ParsedMaterial& m : scene.materials) {
        const float alpha = m.opacity;
        addMaterial({m.ambient[0], m.ambient[1], m.ambient[2], alpha}, {m.diffuse[0], m.diffuse[1], m.diffuse[2], alpha},
                    {m.specular[0], m.specular[1], m.specular[2], alpha}, alpha, m.name, m.textureMap, m.twoSided);
    }
    std::size_t pointTotal = 0;
    for (const ParsedMesh& mesh : scene.meshes)
        pointTotal += mesh.points.size();
    vertexList.reserve(pointTotal);
    reserveFaces(scene);
    int base = 0;
    for (const ParsedMesh& mesh : scene.meshes) {
        appendMesh(mesh, base, diagnostics);
        base += static_cast<int>(mesh.points.size());
    }
    buildVertexFaceLists();
    computeVertexNormals();
}

void ModelAssembly::reserveFaces(const ParsedScene& scene)
{
    // Growing a material's faces group by group would copy them over and
    // over; one count up front sizes each array once.
    std::vector<std::size_t> counts(materialList.size(), 0);
    for (const ParsedMesh& mesh : scene.meshes) {
        for (const ParsedMaterialGroup& group : mesh.materialGroups) {
            const int k = materialIndex(group.materialName);
            if (k >= 0)
                counts[static_cast<std::size_t>(k)] += group.faceIndices.size();
        }
    }
    for (std::size_t k = 0; k < materialList.size(); ++k)
        materialList[k].faces.reserve(counts[k] * (materialList[k].twoSided ? 2 : 1));
}

void ModelAssembly::appendMesh(const ParsedMesh& mesh, int base, DiagnosticSink& diagnostics)
{
    const std::size_t pointCount = mesh.points.size();
    for (std::size_t j = 0; j < pointCount; ++j) {
        ModelVertex vertex;
        vertex.x = mesh.points[j].x;
        vertex.y = mesh.points[j].y;
        vertex.z = mesh.points[j].z;
        if (j < mesh.texCoords.size()) {
            vertex.u = mesh.texCoords[j].u;
            vertex.v = mesh.texCoords[j].v;
        }
        vertexList.push_back(vertex);
    }
    int rejected = 0;
    for (const ParsedMaterialGroup& group : mesh.materialGroups) {
        // The name is looked up once per group; a missing one is still
        // reported once per face, as a lookup per face would.
        const int k = materialIndex(group.materialName);
        for (const std::uint16_t stored : group.faceIndices) {
            const int faceIndex = static_cast<std::int16_t>(stored);
            if (faceIndex < 0 || static_cast<std::size_t>(faceIndex) >= mesh.faces.size()) {
                ++rejected;
                continue;
            }
            const ParsedFace& f = mesh.faces[static_cast<std::size_t>(faceIndex)];
            if (f.a >= pointCount || f.b >= pointCount || f.c >= pointCount) {
                ++rejected;
                continue;
            }
            // Second and third corners exchanged against the file's order.
            addFaceTo(k, f.a + base, f.c + base, f.b + base, group.materialName, diagnostics);
        }
    }
    if (rejected > 0) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "Mesh \"%s\": %d faces dropped, their indices beyond the mesh's %zu faces or %zu points\n",
                      mesh.name.c_str(), rejected, mesh.faces.size(), pointCount);
        diagnostics.write(line);
    }
}

void ModelAssembly::addMaterial(const Rgba& ambient, const Rgba& diffuse, const Rgba& specular, float opacity,
                                std::string_view name, std::string_view textureFile, int twoSided)
{
    ModelMaterial& material = materialList.emplace_back();
    material.ambient = ambient;
    material.diffuse = diffuse;
    material.specular = specular;
    material.opacity = opacity;
    material.twoSided = forceAllTwoSided ? 1 : twoSided;
    material.name = name;
    material.textureFile = textureFile;
}

bool ModelAssembly::addFace(int i0, int i1, int i2, std::string_view materialName, DiagnosticSink& diagnostics)
{
    return addFaceTo(materialIndex(materialName), i0, i1, i2, materialName, diagnostics);
}

bool ModelAssembly::addFaceTo(int k, int i0, int i1, int i2, std::string_view materialName,
                              DiagnosticSink& diagnostics)
{
    ModelFace face{i0, i1, i2, 0, 0, 0};
    if (!triangleNormal(vertexList[i0], vertexList[i1], vertexList[i2], face))
        return false;
    if (k < 0) {
        reportMissingMaterial(materialName, diagnostics);
        return false; // an unknown material cannot draw the face
    }
    ModelMaterial& material = materialList[static_cast<std::size_t>(k)];
    material.faces.push_back(face);
    if (material.twoSided) {
        // The same triangle wound the other way: its normal is the exact
        // opposite, so the crease test always parts it from its front.
        material.faces.push_back(ModelFace{i0, i2, i1, -face.nx, -face.ny, -face.nz});
    }
    return true;
}

int ModelAssembly::materialIndex(std::string_view name) const
{
    for (std::size_t k = 0; k < materialList.size(); ++k) {
        if (materialList[k].name == name)
            return static_cast<int>(k);
    }
    return -1;
}

void ModelAssembly::reportMissingMaterial(std::string_view name, DiagnosticSink& diagnostics) const
{
    std::string line = "Parse Error: Can't find material ";
    line += name;
    line += '\n';
    diagnostics.write(line);
}

int ModelAssembly::findMaterial(std::string_view name, DiagnosticSink& diagnostics) const
{
    const int k = materialIndex(name);
    if (k < 0)
        reportMissingMaterial(name, diagnostics);
    return k;
}

std::size_t ModelAssembly::faceCount() const
{
    std::size_t count = 0;
    for (const ModelMaterial& material : materialList)
        count += material.faces.size();
    return count;
}

void ModelAssembly::buildVertexFaceLists()
{
    const std::size_t vertexCount = vertexList.size();
    listStart.assign(vertexCount + 1, 0);
    for (const ModelMaterial& material : materialList) {
        for (const ModelFace& f : material.faces) {
            ++listStart[static_cast<std::size_t>(f.i0) + 1];
            ++listStart[static_cast<std::size_t>(f.i1) + 1];
            ++listStart[static_cast<std::size_t>(f.i2) + 1];
        }
    }
    for (std::size_t i = 0; i < vertexCount; ++i)
        listStart[i + 1] += listStart[i];
    listFaces = std::make_unique_for_overwrite<ModelFace*[]>(listStart[vertexCount]);
    std::vector<std::uint32_t> fill(listStart.begin(), listStart.end() - 1);
    for (ModelMaterial& material : materialList) {
        for (ModelFace& f : material.faces) {
            listFaces[fill[static_cast<std::size_t>(f.i0)]++] = &f;
            listFaces[fill[static_cast<std::size_t>(f.i1)]++] = &f;
            listFaces[fill[static_cast<std::size_t>(f.i2)]++] = &f;
        }
    }
    splitBase = vertexCount;
    splitFaces.clear();
}

VertexFaceList ModelAssembly::vertexFaces(int vertex) const
{
    const auto i = static_cast<std::size_t>(vertex);
    if (i >= splitBase)
        return {&splitFaces[i - splitBase], 1};
    return {listFaces.get() + listStart[i], listStart[i + 1] - listStart[i]};
}

double ModelAssembly::cornerWeight(const ModelFace& f, int vertex) const
{
    // A and B meet at the corner, C lies opposite it.
    int here = f.i0, next = f.i1, other = f.i2;
    if (f.i1 == vertex) {
        here = f.i1; next = f.i2; other = f.i0;
    } else if (f.i2 == vertex) {
        here = f.i2; next = f.i0; other = f.i1;
    } else if (f.i0 != vertex) {
        return 0.0;
    }
    const ModelVertex& p = vertexList[static_cast<std::size_t>(here)];
    const ModelVertex& q = vertexList[static_cast<std::size_t>(next)];
    const ModelVertex& r = vertexList[static_cast<std::size_t>(other)];
    // A, B and C enter squared, so only the product A.B needs a root.
    const double a2 = squaredDistance(p, q), b2 = squaredDistance(p, r), c2 = squaredDistance(q, r);
    const double denominator = 2.0 * std::sqrt(a2 * b2);
    if (!(denominator > 0.0) || !std::isfinite(denominator))
        return 0.0;
    // Rounding can push the cosine just outside [-1, 1].
    const double cosine = std::clamp((c2 - a2 - b2) / denominator, -1.0, 1.0);
    return std::acos(cosine); // pi minus the interior angle: sharp corners weigh more
}

void ModelAssembly::computeVertexNormals()
{
    // The count is re-read on every step: vertices split off during the walk
    // are walked too (each lists one face, so they never split again).
    // Two-sided models split every used vertex once; room for that up front.
    if (forceAllTwoSided) {
        vertexList.reserve(2 * vertexList.size());
        splitFaces.reserve(vertexList.size());
    }
    for (std::size_t i = 0; i < vertexList.size(); ++i) {
        const int vertex = static_cast<int>(i);
        const VertexFaceList list = vertexFaces(vertex);
        double sx = 0, sy = 0, sz = 0, weightSum = 0;
        bool split = false;
        if (!list.empty()) {
            const ModelFace* reference = list.front();
            const float rx = reference->nx, ry = reference->ny, rz = reference->nz;
            // The span stays valid: only a vertex below splitBase splits, and
            // its list lives in listFaces, which does not change.
            for (ModelFace* const listed : list) {
                ModelFace& f = *listed;
                const float d = rx * f.nx + ry * f.ny + rz * f.nz;
                if (listed == reference || d > creaseCosine) {
                    const double w = cornerWeight(f, vertex);
                    sx += w * f.nx;
                    sy += w * f.ny;
                    sz += w * f.nz;
                    weightSum += w;
                    continue;
                }
                if (!split) {
                    split = true;
                    ModelVertex copy = vertexList[i];
                    copy.nx = copy.ny = copy.nz = 0;
                    vertexList.push_back(copy);
                    splitFaces.push_back(listed);
                }
                const int last = static_cast<int>(vertexList.size() - 1);
                if (f.i0 == vertex) f.i0 = last;
                if (f.i1 == vertex) f.i1 = last;
                if (f.i2 == vertex) f.i2 = last;
            }
        }
        if (weightSum != 0.0) {
            sx /= weightSum;
            sy /= weightSum;
            sz /= weightSum;
        }
        const double length = std::sqrt(sx * sx + sy * sy + sz * sz);
        ModelVertex& v = vertexList[i];
        if (length > 0.0 && std::isfinite(length)) {
            v.nx = static_cast<float>(sx / length);
            v.ny = static_cast<float>(sy / length);
            v.nz = static_cast<float>(sz / length);
        } else {
            v.nx = v.ny = v.nz = 0; // no face, or weights that cancel: no direction to give
        }
    }
}

} // namespace orbit
