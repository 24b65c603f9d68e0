// One 3DS model from file or resource to display list. The object owns the
// parsed records, the assembled geometry, its GL texture names, the vertex
// storage (NV vertex-array-range memory or the heap) and the display list;
// the destructor releases them, so it must run with the model's GL context
// current. Without a GL lookup in the services the model is assembled and
// measured but makes no GL objects (tools, fuzzers).
#pragma once

#include "image/GlObjects.h"
#include "model3ds/ModelAssembly.h"
#include "model3ds/ModelGeometry.h"
#include "model3ds/ModelServices.h"
#include "model3ds/ParsedScene.h"
#include "model3ds/VertexStorage.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orbit {

class ByteStream;

class Model3ds {
public:
    // creaseAngleDeg: faces whose normals are less than this far apart are
    // smoothed together. forceTwoSided makes every material two-sided.
    // Generates the display-list name and looks up the NV entry points when
    // services.glProcs is set (a current context is then required).
    Model3ds(int creaseAngleDeg, bool forceTwoSided, ModelServices& services);
    ~Model3ds();
    Model3ds(const Model3ds&) = delete;
    Model3ds& operator=(const Model3ds&) = delete;

    // Parse the file at path (used unchanged) and, on success, assemble and
    // compile. Diagnostics: "Failed to parse <path>\n" or "File could not be
    // opened <errno>\n". Call at most once per model. Running out of memory
    // fails the load (with a diagnostic) instead of throwing.
    bool loadFromFile(const std::string& path);
    // The same from resource ("FILE3DS", resourceId), read in place without a
    // copy; a failed parse writes "Failed to parse" (no line feed).
    bool loadFromResource(int resourceId);

    // Replays the display list (glCallList). The caller sets up the transform,
    // lighting and texturing around it.
    void drawList() const;

    double size() const { return bounds.size; }
    const ModelBounds& boundingBox() const { return bounds; }
    const ParsedScene& parsed() const { return scene; }
    const std::vector<ModelMaterial>& materials() const { return geometry.materials(); }
    const std::vector<ModelVertex>& vertices() const { return geometry.vertices(); }
    const ModelAssembly& assembly() const { return geometry; }
    unsigned displayList() const { return list.name(); }
    bool varAvailable() const { return storage.varAvailable(); }
    // The interleaved array handed to glInterleavedArrays; null until compiled
    // (and always without GL).
    const void* vertexArray() const { return storage.data(); }

    // Where each material's texture file was looked for (parallel to
    // materials(); empty entries for materials without a texture file).
    struct TextureLookup {
        std::string triedPath;   // the path handed to the loader
        bool fileExists = false;
        bool loaded = false;
    };
    const std::vector<TextureLookup>& textureLookups() const { return lookups; }

private:
    bool readFileAndAssemble(const std::string& path);
    void reportUnreadableFile(int cause);
    bool parseStream(ByteStream& stream);
    void assemble();
    void loadTextures();
    void compileDisplayList();
    void reportGlErrors();
    bool hasGl() const { return services.glProcs != nullptr; }

    ModelServices& services;
    ParsedScene scene;
    ModelAssembly geometry;
    std::string sceneFolder; // folder of the 3DS file; empty for the resource
    GlDisplayList list;
    std::vector<GlTexture> textures;
    std::vector<TextureLookup> lookups;
    VertexStorage storage;
    ModelBounds bounds;
};

} // namespace orbit
