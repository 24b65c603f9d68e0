// Create and destroy follow the window's fixed order (see SaverWindow.h). The
// GL objects are released with the context current, then the context goes; if
// the host already destroyed the native window, an offscreen surface stands in
// so no GL call touches a dead drawable. The frame timer is a Qt precise timer,
// which Qt never queues twice, so at most one tick waits.
#include "SaverWindow.h"

#include "platform/SettingsStore.h"
#include "platform/qt/QtGlProcLookup.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPlatformSurfaceEvent>
#include <QTimer>

#include <array>
#include <utility>

namespace orbit {

namespace {

struct KeyBinding {
    int qtKey;
    ControlKey key;
};

// The marker keys (virtual-key codes 'S' 'F' 'W' 'R' 'E' 'D' 'Z').
constexpr std::array<KeyBinding, 7> controlKeys{{
    {Qt::Key_S, ControlKey::S},
    {Qt::Key_F, ControlKey::F},
    {Qt::Key_W, ControlKey::W},
    {Qt::Key_R, ControlKey::R},
    {Qt::Key_E, ControlKey::E},
    {Qt::Key_D, ControlKey::D},
    {Qt::Key_Z, ControlKey::Z},
}};

const KeyBinding* findControlKey(int qtKey)
{
    for (const KeyBinding& binding : controlKeys) {
        if (binding.qtKey == qtKey)
            return &binding;
    }
    return nullptr;
}

QSurfaceFormat saverFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(0);
    // The default format asks for no depth buffer at all; Mesa grants 32 bits.
    format.setDepthBufferSize(32);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    // The scene moves a fixed step per frame, so the frame timer alone must set
    // the pace: waiting for the vertical retrace would slow the scene down.
    format.setSwapInterval(0);
    return format;
}

} // namespace

SaverWindow::SaverWindow(SceneServices sceneServices, std::uint32_t tickCountMs, QWindow* parent)
    : QWindow(parent), services(sceneServices), scene(std::make_unique<SaverScene>(sceneServices, tickCountMs))
{
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(saverFormat());
}

SaverWindow::~SaverWindow()
{
    if (timerId != 0)
        killTimer(timerId);
    releaseGl();
}

bool SaverWindow::createSaver(const QString& title, const QRect& rect)
{
    setTitle(title);
    setGeometry(rect);
    create();
    if (!handle()) {
        services.notifier.show("Ups!", "", MessageButtons::Ok);
        return false;
    }
    // The wait cursor shows wherever the pointer is while the scene loads (the
    // launching dialog is up then, this window not yet).
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The launching dialog comes first, so it is up while the context is made
    // and the scene loads; a failed pixel format leaves it open, as described.
    if (launchingFactory)
        launching = launchingFactory(this);
    const qreal ratio = devicePixelRatio();
    scene->resize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
    createGlContext();
    if (makeContextCurrent())
        scene->fitCamera();
    QGuiApplication::restoreOverrideCursor();
    setCursor(Qt::BlankCursor);
    if (timerId != 0)
        killTimer(timerId);
    timerPeriodMs = settings::frameDelayMs(services.settings);
    timerId = startTimer(timerPeriodMs, Qt::PreciseTimer);
    show();
    return true;
}

void SaverWindow::createGlContext()
{
    auto newContext = std::make_unique<QOpenGLContext>();
    newContext->setFormat(requestedFormat());
    if (!newContext->create()) {
        services.notifier.show("ChoosePixelFormat failed", "", MessageButtons::Ok);
        return;
    }
    if (!newContext->makeCurrent(this)) {
        services.notifier.show("SetPixelFormat failed", "", MessageButtons::Ok);
        return;
    }
    context = std::move(newContext);
    procs = std::make_unique<QtGlProcLookup>(*context);
    scene->setUpScene(launching.get(), *procs);
}

bool SaverWindow::makeContextCurrent()
{
    if (!context || surfaceGone)
        return false;
    if (QOpenGLContext::currentContext() == context.get() && context->surface() == this)
        return true;
    return context->makeCurrent(this);
}

bool SaverWindow::readyToDraw()
{
    if (!context || surfaceGone || hasClosed)
        return false;
    if (drawableCheck && !drawableCheck()) {
        hostWindowGone();
        return false;
    }
    return makeContextCurrent();
}

void SaverWindow::releaseGl()
{
    if (!context)
        return;
    QOffscreenSurface standIn;
    bool current = makeContextCurrent();
    if (!current) {
        standIn.setFormat(context->format());
        standIn.create();
        current = context->makeCurrent(&standIn);
    }
    if (current) {
        scene->releaseModel();
        context->doneCurrent();
    }
    procs.reset();
    context.reset();
}

void SaverWindow::swapBuffers()
{
    if (context && isExposed() && !surfaceGone)
        context->swapBuffers(this);
}

void SaverWindow::postClose()
{
    if (closePosted || hasClosed)
        return;
    closePosted = true;
    QTimer::singleShot(0, this, &SaverWindow::closeNow);
}

void SaverWindow::hostWindowGone()
{
    if (hasClosed)
        return;
    surfaceGone = true;
    closeNow();
}

void SaverWindow::closeNow()
{
    if (hasClosed)
        return;
    hasClosed = true;
    onDestroy();
    // A native window the host destroyed is gone already; destroying it again
    // would only earn an X error.
    if (!surfaceGone)
        destroy();
    emit closed();
}

void SaverWindow::onDestroy()
{
    if (timerId != 0)
        killTimer(timerId);
    timerId = 0;
    timerPeriodMs = 0;
    releaseGl();
}

bool SaverWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Close:
        // Our own closes never come this way; this one is the window manager's.
        event->ignore();
        if (acceptsOutsideClose())
            postClose();
        return true;
    case QEvent::PlatformSurface:
        if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            releaseGl();
        break;
    default:
        break;
    }
    return QWindow::event(event);
}

void SaverWindow::exposeEvent(QExposeEvent*)
{
    if (isExposed() && readyToDraw())
        scene->drawFrame(*this);
}

void SaverWindow::resizeEvent(QResizeEvent*)
{
    const qreal ratio = devicePixelRatio();
    scene->resize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
}

void SaverWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timerId || hasClosed)
        return;
    emit ticked();
    if (readyToDraw())
        scene->timerTick(*this);
}

void SaverWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        postClose();
        return;
    }
    if (const KeyBinding* binding = findControlKey(event->key()))
        scene->setKey(binding->key, true);
}

void SaverWindow::keyReleaseEvent(QKeyEvent* event)
{
    // X repeats a held key as release/press pairs; only the real release counts.
    if (event->isAutoRepeat())
        return;
    if (const KeyBinding* binding = findControlKey(event->key()))
        scene->setKey(binding->key, false);
}

void SaverWindow::mouseMoveEvent(QMouseEvent*) {}

} // namespace orbit
