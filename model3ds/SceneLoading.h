// The starship's two ways to get its model: from the user's 3DS file or from
// the built-in FILE3DS resource, both with crease angle 90. Either returns the
// model with its size and the uniform scale that brings its largest extent to
// two units, or tells the user and returns no model (there is no fall-back
// from a broken user file to the built-in scene).
#pragma once

#include "model3ds/Model3ds.h"
#include "model3ds/ModelServices.h"

#include <memory>
#include <string>

namespace orbit {

struct LoadedModel {
    std::unique_ptr<Model3ds> model; // null when loading failed
    double modelSize = 0;            // the model's size (largest bounding-box extent)
    double modelScale = 2.0;         // 2 / size, or 2 when the size is not above 1e-10
};

// The crease angle both loaders pass, in degrees.
constexpr int sceneCreaseAngleDeg = 90;

// The scale drawing applies so the largest extent becomes 2 units.
double modelScaleForSize(double size);

// Loads the 3DS file at path (used unchanged). Failure shows
// "Error loading 3ds file \"<path>\"" through notifier.showAppMessage.
LoadedModel loadSceneFile(const std::string& path, bool forceTwoSided, ModelServices& services);

// Loads resource ("FILE3DS", resourceId). Failure shows
// "Error loading 3ds default file".
LoadedModel loadBuiltInScene(int resourceId, bool forceTwoSided, ModelServices& services);

} // namespace orbit
