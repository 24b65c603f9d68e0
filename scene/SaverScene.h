// Everything one saver window shows: star field, satellites, the starship,
// camera and GL state, in one object with the window's lifecycle:
// construct (no GL) -> setUpScene + fitCamera (GL current) -> timerTick per
// frame -> releaseModel (GL current) -> destroy.
// The object holds fixed pools (30 satellites with 100 bolts each, 3000 stars),
// about a megabyte: allocate it on the heap. Nothing is allocated per frame.
#pragma once

#include "CameraTurn.h"
#include "FireGenerator.h"
#include "FrameRateOverlay.h"
#include "GlEffectPainter.h"
#include "Satellite.h"
#include "SceneModel.h"
#include "SceneServices.h"
#include "ShotSound.h"
#include "StarField.h"

#include "image/GlObjects.h"
#include "model3ds/ModelServices.h"

#include <array>
#include <cstdint>
#include <memory>

struct GLUquadric;

namespace orbit {

class SaverScene {
public:
    static constexpr int satellitePoolSize = 30;
    static constexpr int builtInSceneResourceId = 184;
    static constexpr int planetTextureResourceId = 148;
    static constexpr int flareTextureResourceId = 150;
    static constexpr Vec3 planetCentre{100.0, 100.0, 0.0};
    static constexpr double planetRadius = 5.0;
    static constexpr double markerNudge = 0.1; // scene units per tick while a key is held

    // Builds the scene object graph in the saver window's constructor order:
    // the 30 satellites and the starship (their bolts draw from the still
    // unseeded generator), the star field, the satellite count ("SatCount",
    // 1..10); then seeds services.random with tickCountMs, randomizes the first
    // count satellites and starts the starship on satellite 0's orbit.
    SaverScene(SceneServices services, std::uint32_t tickCountMs);
    // GL objects must have been released with releaseModel while the context was current.
    ~SaverScene();
    SaverScene(const SaverScene&) = delete;
    SaverScene& operator=(const SaverScene&) = delete;

    // With the window's GL context current: fixed GL state, textures, model.
    // status (may be null) receives the launching dialog's lines and is closed
    // at the end. procs must stay valid until releaseModel (the model keeps it).
    void setUpScene(LaunchingStatus* status, const GlProcLookup& procs);
    // Camera fit and projection for the stored client size.
    void fitCamera();
    // Stores the new client size (the viewport is set only by fitCamera).
    void resize(int widthPx, int heightPx);

    // One timer tick: marker-key nudges, then drawFrame.
    void timerTick(BufferSwapper& swapper);
    // One frame, presented through swapper. A request that arrives while a
    // frame is drawn returns at once (false), as does one before setUpScene
    // (there is no GL context to draw with).
    bool drawFrame(BufferSwapper& swapper);

    void setKey(ControlKey key, bool down);
    // Whether each frame ends with the frame-rate overlay; set before
    // setUpScene, which builds its font.
    void showFrameRate(bool shown) { frameRateShown = shown; }
    bool frameRateReady() const { return frameRate.ready(); }
    // Deletes the loaded model and the scene's textures; the GL context must be
    // current. Nothing is drawn afterwards.
    void releaseModel();

    const SharedSceneValues& shared() const { return sharedValues; }

    // Read access for the window's tests, the inspect tool and the scene tests.
    const SceneModel& sceneModel() const { return starship; }
    const Satellite& satellite(int index) const { return satellites.at(static_cast<std::size_t>(index)); }
    int satelliteCount() const { return activeSatellites; }
    const StarField& starField() const { return stars; }
    const FireGenerator& fireGenerator() const { return fire; }
    const CameraTurnState& cameraTurn() const { return turn; }
    Vec3 markerPoint() const { return marker; }
    ClippingPlanes clippingPlanes() const { return planes; }
    double aspect() const { return aspectRatioValue; }
    unsigned planetTexture() const { return planet.name(); }

private:
    void setFixedGlState();
    GlTexture textureFromJpeg(int resourceId);
    void loadStarship();
    void setProjection();
    void nudgeMarker();
    void advanceFire();
    void turnCamera();
    void drawMarkerLines() const;
    void drawStars() const;
    void drawPlanet() const;

    struct QuadricDeleter {
        void operator()(GLUquadric* quadric) const;
    };

    SceneServices services;
    SharedSceneValues sharedValues;
    ModelServices modelServices;
    // Declared in construction order: satellites, then the starship.
    std::array<Satellite, satellitePoolSize> satellites;
    SceneModel starship;
    StarField stars;
    int activeSatellites = 0;

    Vec3 sceneBoxCorner1{1.0, 1.0, 1.0};
    Vec3 sceneBoxCorner2{-1.0, -1.0, -1.0};
    double fitViewAngleDeg = 3.0;
    double fieldOfViewDeg = 1.0 / 0.05; // vertical, degrees
    ClippingPlanes planes;
    double aspectRatioValue = 1.0;
    int clientWidth = 0;  // pixels
    int clientHeight = 0; // pixels

    Vec3 camera;  // scene units; nothing moves it
    CameraTurnState turn;
    Vec3 drawingColour{1.0, 1.0, 1.0};
    Vec3 clearColour{0.0, 0.0, 0.0};
    Vec3 marker{0.0, 0.0, -2.0};
    std::array<bool, 7> keyFlags{};
    bool rendering = false;
    bool glReady = false;

    FireGenerator fire;
    GlTexture planet;
    GlTexture flare;
    GlTexture fireTexture;
    // The star field's 3000 point blocks, recorded once: the same GL commands
    // every frame, replayed without 3000 trips through immediate mode.
    GlDisplayList starList;
    std::unique_ptr<GLUquadric, QuadricDeleter> sphere;
    GlEffectPainter effectPainter{sharedValues};
    ShotSound shotSound;
    bool frameRateShown = false;
    FrameRateOverlay frameRate;
};

} // namespace orbit
