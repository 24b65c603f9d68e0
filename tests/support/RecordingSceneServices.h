// The services a scene or saver window takes, all in memory and recording,
// with the built-in resources: one object a test can hand over whole.
#pragma once

#include "resources/EmbeddedResources.h"
#include "scene/SceneServices.h"
#include "tests/support/TestDoubles.h"

namespace orbit::test {

struct RecordingSceneServices {
    SceneServices services() { return {random, settings, resources, notifier, diagnostics, sound}; }

    RandomGenerator random;
    MemorySettingsStore settings;
    EmbeddedResources resources;
    RecordingNotifier notifier;
    RecordingSink diagnostics;
    RecordingSoundPlayer sound;
};

} // namespace orbit::test
