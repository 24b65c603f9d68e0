// Assembly runs its steps in one fixed order, because the order decides
// the result: which face is a vertex's reference, which vertex a crease splits
// off, which material a name finds. Two guards keep bad input finite: a triangle whose
// normal is not finite counts as degenerate (it would poison every crease
// test), and a vertex's reference face always counts as smooth with itself,
// so a crease angle of 0 cannot split a vertex off again and again for ever.
#include "ModelAssembly.h"

#include "platform/TextCompare.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

namespace orbit {

namespace {
constexpr double radiansPerDegree = 0.017453292519943295;

// Unit normal of (p0, p1, p2), in this order: d1 = p1 - p0,
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
    if (equalIgnoringCase(extension, "bmp"))
        return TextureFileKind::Bmp;
    if (equalIgnoringCase(extension, "tga"))
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
    // Every vertex splits at most once, so twice the points is always room
    // enough; pages never written cost nothing.
    vertexList.reserve(2 * pointTotal);
    reserveFaces(scene);
    int base = 0;
    for (const ParsedMesh& mesh : scene.meshes) {
        appendMesh(mesh, base, diagnostics);
        base += static_cast<int>(mesh.points.size());
    }
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

std::size_t ModelAssembly::faceCount() const
{
    std::size_t count = 0;
    for (const ModelMaterial& material : materialList)
        count += material.faces.size();
    return count;
}

// A vertex's normal is summed while one pass streams the faces in material
// order, then face order: the order in which the vertex's face list would
// hold them, so every sum sees the same terms in the same order. The first
// face to reach a vertex is its reference; the vertex's normal field holds
// the reference's normal until the vertex is finished.
namespace {
// Progress of a vertex through the pass, in splitState; a vertex that gets a
// split-off copy ends with the copy's index instead.
constexpr std::int32_t unreached = -1;  // no face has reached it yet
constexpr std::int32_t referenced = -2; // it has its reference face, no face parted from it
constexpr std::int32_t parted = -3;     // some face parted from the reference: it gets a copy

// A vertex's running sums: the weighted normals of the faces smoothed
// together with its reference, and their weights.
struct VertexSums {
    double sx = 0, sy = 0, sz = 0, weightSum = 0;
};
static_assert(sizeof(VertexSums) == sizeof(ModelVertex), "the sums live in a vertex's room");

// A corner moved to a vertex's split-off copy before the copy has its index
// holds -1 - vertex; it keeps its position, which is the vertex's.
constexpr int movedCorner(int vertex) { return -1 - vertex; }
constexpr int cornerVertex(int corner) { return corner < 0 ? -1 - corner : corner; }

// The cosine of a corner's interior angle from the squared lengths of its
// two edges (a2, b2) and of the edge opposite it (c2); not valid when an edge
// has no length to divide by.
struct CornerCosine {
    double cosine = 0;
    bool valid = false;
};

CornerCosine cornerCosine(double a2, double b2, double c2)
{
    // A, B and C enter squared, so only the product A.B needs a root.
    const double denominator = 2.0 * std::sqrt(a2 * b2);
    if (!(denominator > 0.0) || !std::isfinite(denominator))
        return {};
    // Rounding can push the cosine just outside [-1, 1].
    return {std::clamp((c2 - a2 - b2) / denominator, -1.0, 1.0), true};
}

// pi minus the interior angle: sharp corners weigh more. Zero for a corner
// without a valid cosine.
double angleWeight(CornerCosine corner) { return corner.valid ? std::acos(corner.cosine) : 0.0; }

// Divides the weighted sum by the weights, then scales it to unit length.
void setNormal(ModelVertex& v, double sx, double sy, double sz, double weightSum)
{
    if (weightSum != 0.0) {
        sx /= weightSum;
        sy /= weightSum;
        sz /= weightSum;
    }
    const double length = std::sqrt(sx * sx + sy * sy + sz * sz);
    if (length > 0.0 && std::isfinite(length)) {
        v.nx = static_cast<float>(sx / length);
        v.ny = static_cast<float>(sy / length);
        v.nz = static_cast<float>(sz / length);
    } else {
        v.nx = v.ny = v.nz = 0; // no face, or weights that cancel: no direction to give
    }
}
} // namespace

VertexFaceList ModelAssembly::vertexFaces(int vertex) const
{
    const auto i = static_cast<std::size_t>(vertex);
    // A face moved to a split-off copy stays in its origin's list.
    const int copy = i < splitBase && i < splitState.size() && splitState[i] >= 0 ? splitState[i] : vertex;
    const auto listed = [&](int corner) { return corner == vertex || corner == copy; };
    VertexFaceList list;
    for (const ModelMaterial& material : materialList) {
        for (const ModelFace& f : material.faces) {
            if (listed(f.i0) || listed(f.i1) || listed(f.i2)) {
                list.push_back(&f);
                if (i >= splitBase)
                    return list; // a split-off vertex lists the face that split it off
            }
        }
    }
    return list;
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
    return angleWeight(cornerCosine(squaredDistance(p, q), squaredDistance(p, r), squaredDistance(q, r)));
}

void ModelAssembly::computeVertexNormals()
{
    // Every vertex splits at most once. Until the copies are made, the room
    // they will take holds the vertices' running sums (vertex i's in the
    // room of vertex count + i), so the sums need no memory of their own.
    const std::size_t vertexCount = vertexList.size();
    vertexList.resize(2 * vertexCount);
    splitState.assign(vertexCount, unreached);
    std::size_t splitCount = 0;
    for (ModelMaterial& material : materialList) {
        for (ModelFace& f : material.faces)
            sumFaceNormals(f, splitCount);
    }
    finishVertices(vertexCount);
    vertexList.resize(vertexCount + splitCount);
    splitBase = vertexCount;
    std::vector<std::uint8_t> copyHasNormal(splitCount, 0);
    for (ModelMaterial& material : materialList) {
        for (ModelFace& f : material.faces)
            redirectMovedCorners(f, copyHasNormal);
    }
}

void ModelAssembly::sumFaceNormals(ModelFace& f, std::size_t& splitCount)
{
    const int corners[3] = {f.i0, f.i1, f.i2};
    bool smooth[3];
    for (int k = 0; k < 3; ++k)
        smooth[k] = smoothWithReference(f, static_cast<std::size_t>(corners[k]), splitCount);
    if (!smooth[0] || !smooth[1] || !smooth[2]) {
        f.i0 = smooth[0] ? corners[0] : movedCorner(corners[0]);
        f.i1 = smooth[1] ? corners[1] : movedCorner(corners[1]);
        f.i2 = smooth[2] ? corners[2] : movedCorner(corners[2]);
        if (!smooth[0] && !smooth[1] && !smooth[2])
            return; // no corner weight needed (a reversed twin, usually)
    }
    const ModelVertex& p0 = vertexList[static_cast<std::size_t>(corners[0])];
    const ModelVertex& p1 = vertexList[static_cast<std::size_t>(corners[1])];
    const ModelVertex& p2 = vertexList[static_cast<std::size_t>(corners[2])];
    // Each edge is measured once for the three corners (the distance is the
    // same both ways round, bit for bit).
    const double e01 = squaredDistance(p0, p1), e12 = squaredDistance(p1, p2), e20 = squaredDistance(p2, p0);
    // Per corner: the two edges meeting there (from the corner to the next
    // one, then to the other), then the edge opposite. The corners do not
    // depend on each other, so their roots and divisions overlap.
    const double edges[3][3] = {{e01, e20, e12}, {e12, e01, e20}, {e20, e12, e01}};
    CornerCosine cosines[3];
    for (int k = 0; k < 3; ++k) {
        if (smooth[k])
            cosines[k] = cornerCosine(edges[k][0], edges[k][1], edges[k][2]);
    }
    const std::size_t vertexCount = splitState.size();
    for (int k = 0; k < 3; ++k) {
        if (!smooth[k])
            continue;
        const double weight = angleWeight(cosines[k]);
        ModelVertex& room = vertexList[vertexCount + static_cast<std::size_t>(corners[k])];
        auto sums = std::bit_cast<VertexSums>(room);
        sums.sx += weight * f.nx;
        sums.sy += weight * f.ny;
        sums.sz += weight * f.nz;
        sums.weightSum += weight;
        room = std::bit_cast<ModelVertex>(sums);
    }
}

bool ModelAssembly::smoothWithReference(const ModelFace& f, std::size_t vertex, std::size_t& splitCount)
{
    std::int32_t& state = splitState[vertex];
    ModelVertex& v = vertexList[vertex];
    if (state == unreached) {
        // The first face is the reference, smooth with itself whatever the angle.
        state = referenced;
        v.nx = f.nx;
        v.ny = f.ny;
        v.nz = f.nz;
        return true;
    }
    const float d = v.nx * f.nx + v.ny * f.ny + v.nz * f.nz;
    if (d > creaseCosine)
        return true;
    if (state == referenced) {
        state = parted;
        ++splitCount;
    }
    return false;
}

void ModelAssembly::finishVertices(std::size_t vertexCount)
{
    // Copies follow in the order of the vertices they come from, as they
    // would when appended during a walk from vertex 0 upwards. Copy number c
    // takes the room of vertex c's sums, which are used up by then.
    std::size_t copy = vertexCount;
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const auto sums = std::bit_cast<VertexSums>(vertexList[vertexCount + i]);
        setNormal(vertexList[i], sums.sx, sums.sy, sums.sz, sums.weightSum);
        if (splitState[i] != parted)
            continue;
        ModelVertex& split = vertexList[copy];
        split = vertexList[i];
        split.nx = split.ny = split.nz = 0; // from the first face moved to it, once the faces point to it
        splitState[i] = static_cast<std::int32_t>(copy++);
    }
}

void ModelAssembly::redirectMovedCorners(ModelFace& f, std::vector<std::uint8_t>& copyHasNormal)
{
    int newCopies[3];
    int newCount = 0;
    for (int* corner : {&f.i0, &f.i1, &f.i2}) {
        if (*corner >= 0)
            continue;
        const int copy = splitState[static_cast<std::size_t>(cornerVertex(*corner))];
        *corner = copy;
        std::uint8_t& hasNormal = copyHasNormal[static_cast<std::size_t>(copy) - splitBase];
        if (!hasNormal) {
            hasNormal = 1;
            newCopies[newCount++] = copy;
        }
    }
    // A copy lists only the first face moved to it, so that face alone gives
    // its normal; its weight is taken with every corner already moved.
    for (int n = 0; n < newCount; ++n) {
        const double weight = cornerWeight(f, newCopies[n]);
        double sx = 0, sy = 0, sz = 0, weightSum = 0;
        sx += weight * f.nx;
        sy += weight * f.ny;
        sz += weight * f.nz;
        weightSum += weight;
        setNormal(vertexList[static_cast<std::size_t>(newCopies[n])], sx, sy, sz, weightSum);
    }
}

} // namespace orbit
