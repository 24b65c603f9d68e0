// What the scene reaches outside itself, handed in by the saver window: the
// application's random generator and settings, the built-in resources, the
// user-message and diagnostic sinks and the sound service. Held by reference; the window outlives its scene.
#pragma once

#include "platform/DiagnosticSink.h"
#include "platform/GlProcLookup.h"
#include "platform/RandomGenerator.h"
#include "platform/ResourceProvider.h"
#include "platform/SettingsStore.h"
#include "platform/SoundPlayer.h"
#include "platform/UserNotifier.h"

#include <string_view>

namespace orbit {

// The launching dialog as the scene sees it: status lines and a close.
class LaunchingStatus {
public:
    virtual ~LaunchingStatus() = default;
    virtual void setStatusText(std::string_view text) = 0;
    virtual void close() = 0;
};

// Presents the finished frame (SwapBuffers on the window's surface).
class BufferSwapper {
public:
    virtual ~BufferSwapper() = default;
    virtual void swapBuffers() = 0;
};

struct SceneServices {
    RandomGenerator& random;
    SettingsStore& settings;
    const ResourceProvider& resources;
    UserNotifier& notifier;
    DiagnosticSink& diagnostics;
    SoundPlayer& sound;
};

// The values the scene's parts share: one copy per scene, owned by it.
struct SharedSceneValues {
    unsigned fireTexture = 0;     // GL texture name, rebuilt every frame
    unsigned flareTexture = 0;    // GL texture name from JPEG resource 150
    bool builtInSceneInUse = true;
};

// The saver window's control keys; their flags nudge the marker point.
enum class ControlKey { S, F, W, R, E, D, Z };

} // namespace orbit
