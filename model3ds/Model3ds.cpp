// Loading, texture set-up and display-list compilation of one model. The
// GL-free work (reading, assembly, bounds) happens in SceneReader and
// ModelAssembly; this file adds the GL objects around it, in this
// order: vertex storage, interleaved arrays, the range check, the list
// recorded material by material, then every pending GL error reported.
#include "Model3ds.h"

#include "ByteStream.h"
#include "SceneReader.h"
#include "TexturePath.h"
#include "image/TextureFile.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string_view>

namespace orbit {

namespace {
struct GlErrorText {
    GLenum code;
    const char* text;
};

// The messages for the GL's error codes after compiling; others pass silently.
constexpr GlErrorText glErrorTexts[] = {
    {GL_INVALID_ENUM, "glGetError reports GL_INVALID_ENUM when compiling display list"},
    {GL_INVALID_VALUE, "glGetError reports GL_INVALID_VALUE when compiling display list"},
    {GL_INVALID_OPERATION, "glGetError reports GL_INVALID_OPERATION when compiling display list"},
    {GL_STACK_OVERFLOW, "glGetError reports GL_STACK_OVERFLOW when compiling display list"},
    {GL_STACK_UNDERFLOW, "glGetError reports GL_STACK_UNDERFLOW when compiling display list"},
    {GL_OUT_OF_MEMORY, "glGetError reports GL_OUT_OF_MEMORY when compiling display list"},
};

// glGetError drains one flag per call; a lost context may keep answering, so
// the loop has a bound far above the six flags a context can hold.
constexpr int maxGlErrorsRead = 64;

bool contextAdvertises(const char* extension)
{
    const auto* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!all)
        return false;
    const std::string_view list(all);
    const std::string_view wanted(extension);
    for (std::size_t start = 0; start < list.size();) {
        std::size_t end = list.find(' ', start);
        if (end == std::string_view::npos)
            end = list.size();
        if (list.substr(start, end - start) == wanted)
            return true;
        start = end + 1;
    }
    return false;
}

bool nvExtensionsAdvertised(const CompileHooks* hooks)
{
    const auto advertised = [hooks](const char* name) {
        return hooks && hooks->extensionAdvertised ? hooks->extensionAdvertised(name) : contextAdvertises(name);
    };
    return advertised("GL_NV_vertex_array_range") && advertised("GL_NV_fence");
}
} // namespace

Model3ds::Model3ds(int creaseAngleDeg, bool forceTwoSided, ModelServices& services)
    : services(services), geometry(creaseAngleDeg, forceTwoSided),
      storage(services.glProcs ? VertexStorage(*services.glProcs, nvExtensionsAdvertised(services.hooks))
                               : VertexStorage()),
      bounds(measureBounds({}))
{
    if (hasGl())
        list = GlDisplayList::generate();
}

Model3ds::~Model3ds()
{
    // The list goes first, then the vertex storage, then the textures.
    list = GlDisplayList();
}

bool Model3ds::loadFromFile(const std::string& path)
{
    try {
        return readFileAndAssemble(path);
    } catch (const std::bad_alloc&) {
        services.diagnostics.write("Out of memory loading " + path + "\n");
        return false;
    }
}

bool Model3ds::readFileAndAssemble(const std::string& path)
{
    ByteStream stream;
    int cause = 0;
    if (!stream.openFile(path, cause)) {
        reportUnreadableFile(cause);
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    sceneFolder = (folder.empty() ? std::filesystem::path(".") : folder).string();
    const bool parsed = parseStream(stream);
    if (stream.readError() != 0) {
        // The file layer failed part way: nothing is assembled from it.
        reportUnreadableFile(stream.readError());
        return false;
    }
    if (parsed) {
        assemble();
        return true;
    }
    services.diagnostics.write("Failed to parse " + path + "\n");
    return false;
}

void Model3ds::reportUnreadableFile(int cause)
{
    services.diagnostics.write("File could not be opened " + std::to_string(cause) + "\n");
}

bool Model3ds::loadFromResource(int resourceId)
{
    ByteStream stream(services.resources.find("FILE3DS", resourceId));
    sceneFolder.clear();
    try {
        if (parseStream(stream)) {
            assemble();
            return true;
        }
    } catch (const std::bad_alloc&) {
        services.diagnostics.write("Out of memory loading the built-in scene\n");
        return false;
    }
    services.diagnostics.write("Failed to parse");
    return false;
}

bool Model3ds::parseStream(ByteStream& stream)
{
    SceneReader reader(stream, scene, services.diagnostics);
    return reader.parseStream();
}

void Model3ds::assemble()
{
    geometry.assemble(scene, services.diagnostics);
    loadTextures();
    compileDisplayList();
}

void Model3ds::loadTextures()
{
    const TextureLoaders imageLoaders{loadBmpTexture, loadTgaTexture};
    const TextureLoaders& loaders = services.textureLoaders ? *services.textureLoaders : imageLoaders;
    std::vector<ModelMaterial>& materials = geometry.materials();
    lookups.assign(materials.size(), {});
    textures.clear();
    textures.reserve(materials.size());
    for (std::size_t k = 0; k < materials.size(); ++k) {
        ModelMaterial& material = materials[k];
        if (material.textureFile.empty())
            continue;
        const TexturePath where = resolveTexturePath(material.textureFile, sceneFolder);
        lookups[k].triedPath = where.path;
        lookups[k].fileExists = where.exists;
        if (!hasGl())
            continue;
        GlTexture& texture = textures.emplace_back(GlTexture::generate());
        material.texture = texture.name();
        const TextureFileKind kind = textureFileKind(material.textureFile);
        bool loaded = false;
        try {
            if (kind == TextureFileKind::Bmp && loaders.bmp)
                loaded = loaders.bmp(where.path, texture.name(), services.notifier);
            else if (kind == TextureFileKind::Tga && loaders.tga)
                loaded = loaders.tga(where.path, texture.name(), services.notifier);
        } catch (const std::bad_alloc&) {
            // One texture too big for memory costs that texture, not the model.
            services.diagnostics.write("Out of memory loading " + where.path + "\n");
        }
        if (kind != TextureFileKind::None && !loaded) {
            // The material binds 0 from now on: binding the deleted name in
            // the list would make the driver a new object that nobody owns.
            texture.deleteObject();
            material.texture = 0;
        }
        lookups[k].loaded = loaded;
    }
}

void Model3ds::compileDisplayList()
{
    const std::vector<ModelVertex>& vertices = geometry.vertices();
    bounds = measureBounds(vertices);
    if (!hasGl())
        return;
    const std::size_t byteCount = vertices.size() * sizeof(ModelVertex);
    if (!storage.allocate(byteCount, services.notifier, services.hooks))
        return;
    if (byteCount != 0)
        std::memcpy(storage.data(), vertices.data(), byteCount);
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, storage.data());
    if (!storage.enableRange(services.notifier, services.hooks))
        return;

    glNewList(list.name(), GL_COMPILE);
    std::vector<GLuint> indices;
    for (const ModelMaterial& material : geometry.materials()) {
        indices.clear();
        indices.reserve(material.faces.size() * 3);
        for (const ModelFace& face : material.faces) {
            indices.push_back(static_cast<GLuint>(face.i0));
            indices.push_back(static_cast<GLuint>(face.i1));
            indices.push_back(static_cast<GLuint>(face.i2));
        }
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, material.ambient.data());
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, material.diffuse.data());
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material.specular.data());
        glBindTexture(GL_TEXTURE_2D, material.texture);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
    }
    glEndList();
    reportGlErrors();
}

void Model3ds::reportGlErrors()
{
    for (int read = 0; read < maxGlErrorsRead; ++read) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            return;
        for (const GlErrorText& entry : glErrorTexts) {
            if (entry.code == error)
                services.notifier.showAppMessage(entry.text);
        }
    }
}

void Model3ds::drawList() const
{
    if (list.name() != 0)
        glCallList(list.name());
}

} // namespace orbit
