// Placeholder frame until the scene lands: each frame clears to black and
// presents it, so the saver windows can be seen to live.
#include "SaverScene.h"

#include <GL/gl.h>

namespace orbit {

SaverScene::SaverScene(SceneServices sceneServices, std::uint32_t tickCountMs) : services(sceneServices)
{
    services.random.seed(tickCountMs);
}

SaverScene::~SaverScene() = default;

void SaverScene::setUpScene(LaunchingStatus* status, const GlProcLookup&)
{
    if (status)
        status->close();
}

void SaverScene::fitCamera() { glViewport(0, 0, clientWidth, clientHeight); }

void SaverScene::resize(int widthPx, int heightPx)
{
    clientWidth = widthPx;
    clientHeight = heightPx;
}

void SaverScene::timerTick(BufferSwapper& swapper) { drawFrame(swapper); }

bool SaverScene::drawFrame(BufferSwapper& swapper)
{
    if (rendering)
        return false;
    rendering = true;
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
    swapper.swapBuffers();
    rendering = false;
    return true;
}

void SaverScene::setKey(ControlKey, bool) {}

void SaverScene::releaseModel() {}

} // namespace orbit
