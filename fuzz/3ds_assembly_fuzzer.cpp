// Fuzzes the 3DS reader and model assembly together (no GL), checking what
// the display list relies on: every face index is below the vertex count and
// every face and vertex normal is finite and of unit length (vertex normals
// may also be zero, for vertices no face uses). The last input byte picks
// the options: bit 0 forceTwoSided, bits 1-2 the crease angle.
#include "model3ds/ByteStream.h"
#include "model3ds/ModelAssembly.h"
#include "model3ds/SceneReader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

// Big enough for every structure the reader knows, small enough to stay fast.
constexpr std::size_t maxInputBytes = 1 << 20;
constexpr int creaseAnglesDeg[] = {90, 0, 45, 180};

class NullSink final : public orbit::DiagnosticSink {
public:
    void write(std::string_view) override {}
    void warn(std::string_view) override {}
};

bool unitLength(float x, float y, float z)
{
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    return std::isfinite(length) && std::fabs(length - 1.0) < 1e-3;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > maxInputBytes)
        return 0;
    const std::uint8_t options = data[size - 1];
    const bool forceTwoSided = (options & 1) != 0;
    const int creaseAngle = creaseAnglesDeg[(options >> 1) & 3];

    NullSink sink;
    orbit::ParsedScene scene;
    orbit::ByteStream stream(std::span<const std::uint8_t>(data, size));
    orbit::SceneReader reader(stream, scene, sink);
    if (!reader.parseStream())
        return 0;
    orbit::ModelAssembly assembly(creaseAngle, forceTwoSided);
    assembly.assemble(scene, sink);

    const auto vertexCount = static_cast<long long>(assembly.vertices().size());
    for (const orbit::ModelMaterial& material : assembly.materials()) {
        for (const orbit::ModelFace& face : material.faces) {
            for (const int index : {face.i0, face.i1, face.i2})
                check(index >= 0 && index < vertexCount);
            check(unitLength(face.nx, face.ny, face.nz));
        }
    }
    for (const orbit::ModelVertex& v : assembly.vertices()) {
        const bool zero = v.nx == 0 && v.ny == 0 && v.nz == 0;
        check(zero || unitLength(v.nx, v.ny, v.nz));
    }
    orbit::measureBounds(assembly.vertices());
    return 0;
}
