// What model loading reaches outside itself: the built-in resources, the user
// message boxes, the reader's diagnostics (standard output in the program),
// the GL extension lookup, and seams for the parts tests must not run for
// real (texture files, the heap, ending the process).
#pragma once

#include "platform/DiagnosticSink.h"
#include "platform/GlProcLookup.h"
#include "platform/ResourceProvider.h"
#include "platform/UserNotifier.h"

#include <cstddef>
#include <functional>
#include <string>

namespace orbit {

// Fill an already generated GL texture name from a BMP or TGA file; false on
// failure, after telling the user. The program uses the image module's loaders.
using TextureFileLoader = std::function<bool(const std::string& path, unsigned texture, UserNotifier& notifier)>;

struct TextureLoaders {
    TextureFileLoader bmp;
    TextureFileLoader tga;
};

// Seams for the two unrecoverable conditions of display-list compilation.
struct CompileHooks {
    // Ends the process (empty: std::exit). If it returns, compilation stops
    // where it is and the model is left without vertex storage and list.
    std::function<void(int exitCode)> exitProcess;
    // Consulted before each heap allocation of the vertex array; true makes
    // that attempt fail as if the heap were exhausted.
    std::function<bool(std::size_t byteCount)> heapAllocationFails;
    // Answers whether the context advertises a GL extension (empty: the
    // context's GL_EXTENSIONS string), so a fake procedure table can take
    // the vertex-array-range path on a driver that has none.
    std::function<bool(const char* extension)> extensionAdvertised;
};

struct ModelServices {
    const ResourceProvider& resources;
    UserNotifier& notifier;
    DiagnosticSink& diagnostics;
    // The current context's extension lookup; nullptr assembles without GL
    // (tools and fuzzers): no textures, no vertex storage, no display list,
    // but the bounding box and size are still measured.
    const GlProcLookup* glProcs = nullptr;
    // nullptr: the image module's loadBmpTexture / loadTgaTexture.
    const TextureLoaders* textureLoaders = nullptr;
    // nullptr: the real heap and std::exit.
    const CompileHooks* hooks = nullptr;
};

} // namespace orbit
