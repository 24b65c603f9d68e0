// Everything one saver window shows: star field, satellites, the starship,
// camera and GL state, in one object with the window's lifecycle:
// construct (no GL) -> setUpScene + fitCamera (GL current) -> timerTick per
// frame -> releaseModel (GL current) -> destroy.
#pragma once

#include "SceneServices.h"

#include <cstdint>

namespace orbit {

class SaverScene {
public:
    // Builds the scene object graph in the saver window's constructor order;
    // seeds services.random with tickCountMs after the star field is made.
    SaverScene(SceneServices services, std::uint32_t tickCountMs);
    ~SaverScene();
    SaverScene(const SaverScene&) = delete;
    SaverScene& operator=(const SaverScene&) = delete;

    // With the window's GL context current: fixed GL state, textures, model.
    // status (may be null) receives the launching dialog's lines and is closed
    // at the end.
    void setUpScene(LaunchingStatus* status, const GlProcLookup& procs);
    // Camera fit and projection for the stored client size.
    void fitCamera();
    // Stores the new client size (the viewport is set only by fitCamera).
    void resize(int widthPx, int heightPx);

    // One timer tick: marker-key nudges, then drawFrame.
    void timerTick(BufferSwapper& swapper);
    // One frame, presented through swapper. A request that arrives while a
    // frame is drawn returns at once (false).
    bool drawFrame(BufferSwapper& swapper);

    void setKey(ControlKey key, bool down);
    // Deletes the loaded model's GL objects; the GL context must be current.
    void releaseModel();

    const SharedSceneValues& shared() const { return sharedValues; }

private:
    SceneServices services;
    SharedSceneValues sharedValues;
    int clientWidth = 0;
    int clientHeight = 0;
    bool rendering = false;
};

} // namespace orbit
