// The starship's loaders: a failed load destroys the half-made model (with the
// GL context current) before telling the user, and never substitutes the
// built-in scene for a broken user file.
#include "SceneLoading.h"

namespace orbit {

namespace {
// Sizes at or below this are treated as no extent at all.
constexpr double smallestScalableSize = 1e-10;

LoadedModel finish(std::unique_ptr<Model3ds> model)
{
    LoadedModel loaded;
    loaded.modelSize = model->size();
    loaded.modelScale = modelScaleForSize(loaded.modelSize);
    loaded.model = std::move(model);
    return loaded;
}
} // namespace

double modelScaleForSize(double size)
{
    return size > smallestScalableSize ? 2.0 / size : 2.0;
}

LoadedModel loadSceneFile(const std::string& path, bool forceTwoSided, ModelServices& services)
{
    auto model = std::make_unique<Model3ds>(sceneCreaseAngleDeg, forceTwoSided, services);
    if (model->loadFromFile(path))
        return finish(std::move(model));
    model.reset();
    services.notifier.showAppMessage("Error loading 3ds file \"" + path + "\"");
    return {};
}

LoadedModel loadBuiltInScene(int resourceId, bool forceTwoSided, ModelServices& services)
{
    auto model = std::make_unique<Model3ds>(sceneCreaseAngleDeg, forceTwoSided, services);
    if (model->loadFromResource(resourceId))
        return finish(std::move(model));
    model.reset();
    services.notifier.showAppMessage("Error loading 3ds default file");
    return {};
}

} // namespace orbit
