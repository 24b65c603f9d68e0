// orbit-patrol-inspect model: loads a 3DS file (or a built-in FILE3DS
// resource) exactly as the screensaver does - crease angle 90, forced
// two-sided - and reports what came out: the parsed records, the assembled
// model, the reader's diagnostics and the messages a user would have seen.
// GL comes from a headless EGL context; without one the model is assembled
// without GL (no textures), and stderr says so. JSON goes through
// nlohmann/json, with invalid UTF-8 in names replaced rather than thrown on.
#include "ToolCommands.h"

#include "model3ds/SceneLoading.h"
#include "platform/HeadlessGlContext.h"
#include "resources/EmbeddedResources.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

namespace orbit::inspect {

namespace {
using json = nlohmann::ordered_json; // fields in the documented order


struct ModelOptions {
    std::optional<std::string> path;
    std::optional<int> resourceId;
    bool asJson = false;
    bool withVertices = false;
};

bool parseOptions(Arguments args, ModelOptions& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--json") {
            options.asJson = true;
        } else if (arg == "--vertices") {
            options.withVertices = true;
        } else if (arg == "--resource") {
            if (i + 1 >= args.size() || options.path || options.resourceId)
                return false;
            const std::string_view text = args[++i];
            int id = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
            if (error != std::errc() || end != text.data() + text.size())
                return false;
            options.resourceId = id;
        } else if (!arg.empty() && arg[0] == '-') {
            return false;
        } else {
            if (options.path || options.resourceId)
                return false;
            options.path = std::string(arg);
        }
    }
    return options.path || options.resourceId;
}

json rgb(const std::array<float, 3>& c) { return json::array({c[0], c[1], c[2]}); }

json parsedJson(const ParsedScene& scene)
{
    json materials = json::array();
    for (const ParsedMaterial& m : scene.materials) {
        materials.push_back({{"name", m.name},
                             {"textureMap", m.textureMap},
                             {"twoSided", m.twoSided},
                             {"opacity", m.opacity},
                             {"ambient", rgb(m.ambient)},
                             {"diffuse", rgb(m.diffuse)},
                             {"specular", rgb(m.specular)}});
    }
    json meshes = json::array();
    for (const ParsedMesh& mesh : scene.meshes) {
        json groups = json::array();
        for (const ParsedMaterialGroup& g : mesh.materialGroups)
            groups.push_back({{"material", g.materialName}, {"faces", g.faceIndices.size()}});
        meshes.push_back({{"name", mesh.name},
                          {"points", mesh.points.size()},
                          {"faces", mesh.faces.size()},
                          {"texCoords", mesh.texCoords.size()},
                          {"hasMatrix", mesh.hasMatrix},
                          {"groups", groups}});
    }
    return {{"usesDefaultMaterial", scene.usesDefaultMaterial != 0}, {"materials", materials}, {"meshes", meshes}};
}

json finiteOrNull(double value) { return std::isfinite(value) ? json(value) : json(nullptr); }

json modelJson(const LoadedModel& loaded, bool withVertices)
{
    const Model3ds& model = *loaded.model;
    json materials = json::array();
    for (const ModelMaterial& m : model.materials()) {
        json entry{{"name", m.name}, {"faces", m.faces.size()}};
        if (withVertices) {
            json triangles = json::array();
            for (const ModelFace& f : m.faces)
                triangles.push_back(json::array({f.i0, f.i1, f.i2}));
            entry["triangles"] = std::move(triangles);
        }
        materials.push_back(std::move(entry));
    }
    json result{{"vertices", model.vertices().size()},
                {"materials", materials},
                {"size", finiteOrNull(loaded.modelSize)},
                {"modelScale", finiteOrNull(loaded.modelScale)}};
    if (withVertices) {
        json data = json::array();
        for (const ModelVertex& v : model.vertices())
            data.push_back(json::array({v.u, v.v, v.nx, v.ny, v.nz, v.x, v.y, v.z}));
        result["vertexData"] = std::move(data);
    }
    return result;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

void printSummary(const ParsedScene& scene, const LoadedModel& loaded, bool withGl)
{
    std::printf("Materials (%zu parsed):\n", scene.materials.size());
    for (const ParsedMaterial& m : scene.materials) {
        std::printf("  \"%s\"%s opacity %.3g diffuse (%.3g, %.3g, %.3g)%s%s\n", m.name.c_str(),
                    m.twoSided ? " two-sided" : "", m.opacity, m.diffuse[0], m.diffuse[1], m.diffuse[2],
                    m.textureMap.empty() ? "" : " texture ", m.textureMap.c_str());
    }
    std::printf("Meshes (%zu):\n", scene.meshes.size());
    for (const ParsedMesh& mesh : scene.meshes) {
        std::printf("  \"%s\": %zu points, %zu faces, %zu texture coordinates%s\n", mesh.name.c_str(),
                    mesh.points.size(), mesh.faces.size(), mesh.texCoords.size(),
                    mesh.hasMatrix ? ", local matrix (not applied)" : "");
        for (const ParsedMaterialGroup& g : mesh.materialGroups)
            std::printf("    group \"%s\": %zu faces\n", g.materialName.c_str(), g.faceIndices.size());
    }
    if (!loaded.model)
        return;
    const Model3ds& model = *loaded.model;
    std::printf("Model: %zu vertices, %zu faces\n", model.vertices().size(), model.assembly().faceCount());
    for (std::size_t k = 0; k < model.materials().size(); ++k) {
        const ModelMaterial& m = model.materials()[k];
        std::printf("  material \"%s\": %zu faces", m.name.c_str(), m.faces.size());
        if (!m.textureFile.empty()) {
            const Model3ds::TextureLookup& lookup = model.textureLookups()[k];
            std::printf(", texture %s at \"%s\"%s", lookup.fileExists ? "found" : "missing", lookup.triedPath.c_str(),
                        !withGl ? " (not loaded: no GL)" : lookup.loaded ? " (loaded)" : " (failed to load)");
        }
        std::printf("\n");
    }
    std::printf("Size %g, scale %g\n", loaded.modelSize, loaded.modelScale);
}
} // namespace

int runModel(Arguments args)
{
    ModelOptions options;
    if (!parseOptions(args, options))
        return usage();
    try {
        HeadlessGlContext context;
        const bool withGl = context.create(16, 16);
        if (!withGl)
            std::fprintf(stderr, "No headless GL context (%s); assembling without GL, textures not loaded\n",
                         context.error().c_str());
        EmbeddedResources resources;
        CollectingNotifier notifier{"orbit-patrol"};
        StringSink diagnostics;
        bool processEnded = false;
        CompileHooks hooks;
        hooks.exitProcess = [&processEnded](int) { processEnded = true; };
        ModelServices services{resources, notifier, diagnostics, withGl ? &context : nullptr, nullptr, &hooks};
        LoadedModel loaded = options.path ? loadSceneFile(*options.path, true, services)
                                          : loadBuiltInScene(*options.resourceId, true, services);
        if (processEnded)
            loaded = LoadedModel{};
        for (const CollectingNotifier::Message& message : notifier.messages)
            std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());

        if (options.asJson) {
            json messages = json::array();
            for (const CollectingNotifier::Message& message : notifier.messages)
                messages.push_back(message.text);
            // The parsed records are the model's; a failed load destroyed
            // them, so report those of a model that loaded.
            const json document{
                {"parsed", loaded.model ? parsedJson(loaded.model->parsed()) : json(nullptr)},
                {"model", loaded.model ? modelJson(loaded, options.withVertices) : json(nullptr)},
                {"diagnostics", lines(diagnostics.text)},
                {"messages", messages},
            };
            std::cout << document.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
        } else {
            std::fputs(diagnostics.text.c_str(), stdout);
            if (loaded.model)
                printSummary(loaded.model->parsed(), loaded, withGl);
        }
        // GL objects go while the context is still current.
        const bool ok = loaded.model != nullptr;
        loaded.model.reset();
        return ok ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "model: %s\n", error.what());
        return 1;
    }
}

} // namespace orbit::inspect
