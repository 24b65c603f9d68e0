// Draws the ship's effects with OpenGL 1.1 immediate mode: the flames with the
// per-frame fire texture, the bolts as five crossed quads with the flare
// texture, both blended additively without depth writes.
#pragma once

#include "EffectPainter.h"
#include "SceneServices.h"

namespace orbit {

class GlEffectPainter final : public EffectPainter {
public:
    // textures must outlive the painter; its names are read at every draw, since
    // fireTexture changes every frame.
    explicit GlEffectPainter(const SharedSceneValues& textures) : textures(textures) {}

    void drawFlames(const FlyingObject& ship, const std::array<EngineFlame, 4>& flames) override;
    void drawBolt(const Shot& bolt, float alpha) override;

private:
    const SharedSceneValues& textures;
};

} // namespace orbit
