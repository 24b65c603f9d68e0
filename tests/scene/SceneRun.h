// One saver window's worth for GL tests: recording services, a headless
// context and the scene set up on it, with each frame's pixels read back
// before the swap.
#pragma once

#include "scene/SaverScene.h"

#include "platform/HeadlessGlContext.h"
#include "tests/support/RecordingSceneServices.h"

#include <GL/gl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orbit::test {

constexpr int viewWidth = 320;
constexpr int viewHeight = 240;

// The launching status, the swapper and the scene in one.
struct SceneRun : RecordingSceneServices, LaunchingStatus, BufferSwapper {
    // pathBase: the folder the settings store resolves a relative sceneFile against.
    explicit SceneRun(const std::string& sceneFile = {}, const std::string& pathBase = {}, bool frameRate = false)
    {
        settings.pathBase = pathBase;
        if (!sceneFile.empty())
            settings.writeString(settings::section, settings::sceneFileNameKey, sceneFile);
        ready = gl.create(viewWidth, viewHeight);
        if (!ready)
            return;
        scene = std::make_unique<SaverScene>(services(), 7000u);
        scene->resize(viewWidth, viewHeight);
        scene->showFrameRate(frameRate);
        scene->setUpScene(this, gl);
        scene->fitCamera();
    }
    ~SceneRun() override
    {
        if (scene && gl.makeCurrent())
            scene->releaseModel();
    }
    void frames(int count)
    {
        for (int i = 0; i < count; ++i)
            scene->timerTick(*this);
    }

    void setStatusText(std::string_view text) override { statusLines.emplace_back(text); }
    void close() override { ++statusCloses; }
    void swapBuffers() override
    {
        ++swaps;
        if (onSwap)
            onSwap();
        rgb.resize(static_cast<std::size_t>(viewWidth * viewHeight * 3)); // bottom-up rows
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, viewWidth, viewHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        gl.swapBuffers();
    }

    HeadlessGlContext gl;
    bool ready = false;
    std::unique_ptr<SaverScene> scene;
    std::vector<std::string> statusLines;
    int statusCloses = 0;
    int swaps = 0;
    std::function<void()> onSwap;
    std::vector<std::uint8_t> rgb;
};

} // namespace orbit::test
