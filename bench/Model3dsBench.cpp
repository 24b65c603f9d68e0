// Reading and assembling a large 3DS model without GL, as the screensaver
// loads a user's scene (crease angle 90, forced two-sided): file read, chunk
// parse, materials, faces with their twins, face lists and smoothed normals.
// The model is written by the benchmark itself: meshes of 30,000 textured
// triangles on a wavy grid, in 8 materials; 40 meshes make the 1x model,
// 80 and 160 the 2x and 4x ones, so the time per triangle shows whether the
// work grows linearly. When Assimp is found at build time the same file goes
// through its importer with normals recomputed, for comparison.
#include "../tests/model3ds/ThreeDsWriter.h"
#include "model3ds/ByteStream.h"
#include "model3ds/ModelAssembly.h"
#include "model3ds/SceneReader.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef ORBIT_BENCH_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#endif

namespace {

using namespace orbit::test;

constexpr int cellsAcross = 150;
constexpr int cellsDown = 100;                               // 150 x 100 cells, 2 triangles each
constexpr int trianglesPerMesh = 2 * cellsAcross * cellsDown; // 30,000
constexpr int meshesAt1x = 40;
constexpr int materialCount = 8;

std::vector<std::uint8_t> largeModel(int meshCount)
{
    std::vector<Chunk> editor;
    for (int m = 0; m < materialCount; ++m)
        editor.push_back(simpleMaterial("Mat" + std::to_string(m), 0.1f * m, 0.5f, 1.0f - 0.1f * m));
    for (int mesh = 0; mesh < meshCount; ++mesh) {
        std::vector<Point3> points;
        std::vector<std::pair<float, float>> uv;
        for (int y = 0; y <= cellsDown; ++y) {
            for (int x = 0; x <= cellsAcross; ++x) {
                const float fx = static_cast<float>(x), fy = static_cast<float>(y);
                points.push_back({fx, fy, 3.0f * std::sin(fx * 0.31f + mesh) * std::cos(fy * 0.23f) + 10.0f * mesh});
                uv.emplace_back(fx / cellsAcross, fy / cellsDown);
            }
        }
        std::vector<Face3> faces;
        const auto at = [](int x, int y) { return static_cast<std::uint16_t>(y * (cellsAcross + 1) + x); };
        for (int y = 0; y < cellsDown; ++y) {
            for (int x = 0; x < cellsAcross; ++x) {
                faces.push_back({at(x, y), at(x + 1, y), at(x + 1, y + 1), 0});
                faces.push_back({at(x, y), at(x + 1, y + 1), at(x, y + 1), 7});
            }
        }
        std::vector<Chunk> groups;
        const int band = trianglesPerMesh / materialCount;
        for (int m = 0; m < materialCount; ++m) {
            std::vector<std::uint16_t> indices;
            for (int f = m * band; f < (m + 1) * band; ++f)
                indices.push_back(static_cast<std::uint16_t>(f));
            groups.push_back(materialGroup("Mat" + std::to_string((m + mesh) % materialCount), indices));
        }
        editor.push_back(namedObject("Mesh" + std::to_string(mesh),
                                     {triMesh({pointArray(points), texCoords(uv), faceArray(faces, std::move(groups))})}));
    }
    return sceneFile(std::move(editor));
}

// Writes the model for one size into the temp folder, once per run.
std::string modelPath(int scale)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orbit-bench-model-" + std::to_string(scale) + "x.3ds");
    if (!std::filesystem::exists(path)) {
        const std::vector<std::uint8_t> bytes = largeModel(meshesAt1x * scale);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    return path.string();
}

class NullSink final : public orbit::DiagnosticSink {
public:
    void write(std::string_view) override {}
    void warn(std::string_view) override {}
};

void readAndAssemble(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const std::string path = modelPath(scale);
    std::size_t faces = 0;
    for (auto _ : state) {
        // Opened as Model3ds::loadFromFile opens a user's file.
        orbit::ByteStream stream;
        int cause = 0;
        if (!stream.openFile(path, cause)) {
            state.SkipWithError("cannot open the generated model");
            return;
        }
        NullSink sink;
        orbit::ParsedScene scene;
        orbit::SceneReader reader(stream, scene, sink);
        reader.parseStream();
        orbit::ModelAssembly assembly(90, true);
        assembly.assemble(scene, sink);
        faces = assembly.faceCount();
        benchmark::DoNotOptimize(assembly.vertices().data());
    }
    const double triangles = double(trianglesPerMesh) * meshesAt1x * scale;
    state.counters["triangles"] = triangles;
    state.counters["facesOut"] = static_cast<double>(faces);
    state.counters["triangles/s"] = benchmark::Counter(triangles * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(readAndAssemble)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

#ifdef ORBIT_BENCH_ASSIMP
void assimpReadFile(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const std::string path = modelPath(scale);
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene =
            importer.ReadFile(path, aiProcess_Triangulate | aiProcess_GenSmoothNormals | aiProcess_ForceGenNormals);
        if (!scene) {
            state.SkipWithError(importer.GetErrorString());
            return;
        }
        benchmark::DoNotOptimize(scene->mNumMeshes);
    }
    const double triangles = double(trianglesPerMesh) * meshesAt1x * scale;
    state.counters["triangles"] = triangles;
    state.counters["triangles/s"] = benchmark::Counter(triangles * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(assimpReadFile)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
#endif

} // namespace

BENCHMARK_MAIN();
