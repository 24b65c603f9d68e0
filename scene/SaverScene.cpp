// The saver window's scene: construction in the window's order, the GL set-up
// (fixed state, JPEG textures, fire, starship model), the camera fit and
// projection, and the frame, which reads top to bottom as the frame order.
// The model-view matrix carries the camera's orientation from frame to frame;
// everything drawn inside a frame restores it.
#include "SaverScene.h"

#include "image/DibImage.h"
#include "model3ds/SceneLoading.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <utility>

namespace orbit {

namespace {

constexpr bool forceTwoSided = true;
constexpr int planetSlices = 20;
constexpr int planetStacks = 20;

template <std::size_t... I>
std::array<Satellite, sizeof...(I)> makeSatellites(RandomGenerator& random, SettingsStore& settings,
                                                   std::index_sequence<I...>)
{
    // Braced initialisers run left to right, so satellite i's bolts take their
    // draws before satellite i + 1's.
    return {{((void)I, Satellite(random, settings))...}};
}

// Empty when path names a file that opens for reading, else why not (a folder
// opens on Linux but is no file to read).
std::string whyNotOpenable(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::strerror(errno);
    struct stat status {};
    const bool folder = fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
    std::fclose(file);
    return folder ? std::strerror(EISDIR) : std::string();
}

} // namespace

void SaverScene::QuadricDeleter::operator()(GLUquadric* quadric) const { gluDeleteQuadric(quadric); }

SaverScene::SaverScene(SceneServices sceneServices, std::uint32_t tickCountMs)
    : services(sceneServices),
      modelServices{services.resources, services.notifier, services.diagnostics},
      satellites(makeSatellites(services.random, services.settings, std::make_index_sequence<satellitePoolSize>{})),
      starship(services.random, services.settings),
      shotSound(services.resources, services.sound)
{
    sharedValues.builtInSceneInUse = true;
    stars.generate(services.random);
    activeSatellites = settings::satelliteCount(services.settings);
    services.random.seed(tickCountMs);
    for (int i = 0; i < activeSatellites; ++i)
        satellites[static_cast<std::size_t>(i)].randomize(services.random);

    const Satellite& first = satellites[0];
    starship.position = first.position;
    starship.latitude = first.latitude;
    starship.longitude = first.longitude;
    starship.radius = first.radius;
    starship.latitudeStep = first.latitudeStep;
    starship.longitudeStep = first.longitudeStep;
    starship.roll = first.roll;
    starship.rollStep = first.rollStep;

    starship.effects.soundSource = true;
    // Satellite 0 is the sound source of the satellites too; no frame runs their effects.
    satellites[0].effects.soundSource = true;
}

SaverScene::~SaverScene() = default;

// ---- Set-up ---------------------------------------------------------------

void SaverScene::setUpScene(LaunchingStatus* status, const GlProcLookup& procs)
{
    modelServices.glProcs = &procs;
    setFixedGlState();

    if (status)
        status->setStatusText("Loading heraldic...");
    planet = textureFromJpeg(planetTextureResourceId);
    flare = textureFromJpeg(flareTextureResourceId);
    // The flare texture is the one still bound: only it gets these filters.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    sharedValues.flareTexture = flare.name();

    fire.initialise(services.random);

    if (status) {
        status->setStatusText("Loading transmittors...");
        status->setStatusText("Loading starships...");
    }
    loadStarship();
    // Only the built-in ship fires; the output is opened and the sound decoded
    // here, once, so that a shot only has to start it.
    if (sharedValues.builtInSceneInUse && starship.effects.soundEnabled)
        shotSound.prepare();

    starList = GlDisplayList::generate();
    if (starList.name() != 0) {
        glNewList(starList.name(), GL_COMPILE);
        stars.draw();
        glEndList();
    }

    sphere.reset(gluNewQuadric());
    if (sphere) {
        gluQuadricNormals(sphere.get(), GLU_SMOOTH);
        gluQuadricTexture(sphere.get(), GL_TRUE);
    }
    if (frameRateShown)
        frameRate.setUp();
    glReady = true;
    if (status)
        status->close();
}

void SaverScene::setFixedGlState()
{
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat fogColour[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // Fog is prepared but never switched on.
    glHint(GL_FOG_HINT, GL_FASTEST);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 25.0f);
    glFogf(GL_FOG_END, 70.0f);
    glFogfv(GL_FOG_COLOR, fogColour);
    glDisable(GL_FOG);
}

GlTexture SaverScene::textureFromJpeg(int resourceId)
{
    DibImage image;
    image.loadJpegResource(services.resources, resourceId);
    GlTexture texture = GlTexture::generate();
    glBindTexture(GL_TEXTURE_2D, texture.name());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // A resource that did not decode leaves the name without an image (drawn
    // untextured); the decoder has told the user already.
    if (image.bits())
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width(), image.height(), GL_BGR_EXT, GL_UNSIGNED_BYTE,
                          image.bits());
    return texture;
}

void SaverScene::loadStarship()
{
    const std::string fileName = settings::sceneFilePath(services.settings);
    if (!fileName.empty()) {
        const std::string problem = whyNotOpenable(fileName);
        if (problem.empty()) {
            starship.takeModel(loadSceneFile(fileName, forceTwoSided, modelServices));
            sharedValues.builtInSceneInUse = false;
            return;
        }
        // Nothing on screen (the saver may run unattended); one line for whoever reads the log.
        services.diagnostics.warn("cannot open the 3DS file \"" + fileName + "\" named by 3dsFileName (" + problem +
                                  "); the built-in ship is used");
    }
    starship.takeModel(loadBuiltInScene(builtInSceneResourceId, forceTwoSided, modelServices));
    sharedValues.builtInSceneInUse = true;
}

void SaverScene::fitCamera()
{
    planes = fitClippingPlanes(sceneBoxCorner1, sceneBoxCorner2, fitViewAngleDeg);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setProjection();
}

void SaverScene::setProjection()
{
    glViewport(0, 0, clientWidth, clientHeight);
    aspectRatioValue = aspectRatio(clientWidth, clientHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewDeg, aspectRatioValue, planes.nearPlane, planes.farPlane);
    glMatrixMode(GL_MODELVIEW);
}

void SaverScene::resize(int widthPx, int heightPx)
{
    clientWidth = widthPx;
    clientHeight = heightPx;
}

// ---- Frame ----------------------------------------------------------------

void SaverScene::setKey(ControlKey key, bool down) { keyFlags[static_cast<std::size_t>(key)] = down; }

void SaverScene::nudgeMarker()
{
    const auto held = [this](ControlKey key) { return keyFlags[static_cast<std::size_t>(key)]; };
    if (held(ControlKey::E))
        marker.z -= markerNudge;
    if (held(ControlKey::D))
        marker.z += markerNudge;
    if (held(ControlKey::S))
        marker.x -= markerNudge;
    if (held(ControlKey::F))
        marker.x += markerNudge;
    if (held(ControlKey::R))
        marker.y += markerNudge;
    if (held(ControlKey::W))
        marker.y -= markerNudge;
}

void SaverScene::timerTick(BufferSwapper& swapper)
{
    nudgeMarker();
    drawFrame(swapper);
}

bool SaverScene::drawFrame(BufferSwapper& swapper)
{
    if (rendering || !glReady)
        return false;
    rendering = true;

    glClearColor(static_cast<GLclampf>(clearColour.x), static_cast<GLclampf>(clearColour.y),
                 static_cast<GLclampf>(clearColour.z), 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4d(drawingColour.x, drawingColour.y, drawingColour.z, 0.0);

    advanceFire();
    turnCamera();

    glDisable(GL_LIGHTING);
    glColor3d(1.0, 1.0, 1.0);
    if (keyFlags[static_cast<std::size_t>(ControlKey::Z)])
        drawMarkerLines();
    drawStars();
    drawPlanet();

    starship.update(services.random);
    starship.drawOriented();
    if (sharedValues.builtInSceneInUse)
        starship.drawEffects(services.random, effectPainter, shotSound);

    glDisable(GL_TEXTURE_2D);
    if (frameRateShown)
        frameRate.drawFrame();
    glFinish();
    swapper.swapBuffers();

    rendering = false;
    return true;
}

void SaverScene::advanceFire()
{
    fire.advance(services.random);
    // The previous texture is deleted before the new name is made, so the GL
    // is free to hand the same name out again; no name is ever leaked.
    fireTexture = GlTexture();
    fireTexture = GlTexture::generate();
    sharedValues.fireTexture = fireTexture.name();
    glBindTexture(GL_TEXTURE_2D, fireTexture.name());
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, FireGenerator::width, FireGenerator::height, GL_RGB, GL_UNSIGNED_BYTE,
                      fire.image().data());
}

void SaverScene::turnCamera()
{
    std::array<double, 16> modelView{};
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
    const CameraRotation rotation = turnTowards(turn, modelView, starship.position, camera);
    if (rotation.apply)
        glRotated(rotation.angleDeg, rotation.axis.x, rotation.axis.y, rotation.axis.z);
}

void SaverScene::drawMarkerLines() const
{
    const Vec3 below = marker - Vec3{0.0, 0.1, 0.0};
    glBegin(GL_QUADS);
    glVertex3d(10.0, -1.0, 10.0);
    glVertex3d(marker.x, marker.y, marker.z);
    glVertex3d(below.x, below.y, below.z);
    glVertex3d(10.0, -1.1, 10.0);
    glEnd();
    glBegin(GL_QUADS);
    glVertex3d(-10.0, -10.0, 10.0);
    glVertex3d(marker.x, marker.y, marker.z);
    glVertex3d(below.x, below.y, below.z);
    glVertex3d(-10.0, -10.1, 10.0);
    glEnd();
}

void SaverScene::drawStars() const
{
    glTranslated(camera.x, camera.y, camera.z);
    glColor3d(1.0, 1.0, 1.0);
    if (starList.name() != 0)
        glCallList(starList.name());
    else
        stars.draw();
    glTranslated(-camera.x, -camera.y, -camera.z);
}

void SaverScene::drawPlanet() const
{
    glEnable(GL_LIGHTING);
    glTranslated(planetCentre.x, planetCentre.y, planetCentre.z);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, planet.name());
    if (sphere)
        gluSphere(sphere.get(), planetRadius, planetSlices, planetStacks);
    glDisable(GL_TEXTURE_2D);
    glTranslated(-planetCentre.x, -planetCentre.y, -planetCentre.z);
}

void SaverScene::releaseModel()
{
    starship.releaseModel();
    fireTexture = GlTexture();
    flare = GlTexture();
    planet = GlTexture();
    starList = GlDisplayList();
    sharedValues.fireTexture = 0;
    sharedValues.flareTexture = 0;
    sphere.reset();
    frameRate.release();
    glReady = false;
}

} // namespace orbit
