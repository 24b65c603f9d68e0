// Create and destroy follow the window's fixed order (see SaverWindow.h). The
// GL objects are released with the context current, then the context goes; if
// the host already destroyed the native window, an offscreen surface stands in
// so no GL call touches a dead drawable. The frame timer is a Qt precise timer,
// which Qt never queues twice, so at most one tick waits. While the scene's
// set-up or a frame runs, closes are recorded and run when it returns, message
// boxes a close overtakes are dismissed, and nothing else is drawn or refitted.
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

// Passes messages on until the window has a close waiting; from then on a box
// would only hold a closing program open, so it answers at once as its Escape
// would: OK, or Cancel to a Retry/Cancel question (which ends any retry loop).
class CloseAwareNotifier final : public UserNotifier {
public:
    CloseAwareNotifier(UserNotifier& target, const SaverWindow& owner)
        : UserNotifier(target.applicationTitle()), inner(target), window(owner)
    {
    }
    MessageReply show(std::string_view text, std::string_view caption, MessageButtons buttons) override
    {
        if (window.closeRequested())
            return buttons == MessageButtons::RetryCancel ? MessageReply::Cancel : MessageReply::Ok;
        return inner.show(text, caption, buttons);
    }

private:
    UserNotifier& inner;
    const SaverWindow& window;
};

SceneServices withNotifier(SceneServices services, UserNotifier& notifier)
{
    return {services.random, services.settings, services.resources, notifier, services.diagnostics, services.sound};
}

} // namespace

SaverWindow::SaverWindow(SceneServices sceneServices, std::uint32_t tickCountMs, QWindow* parent)
    : QWindow(parent),
      messages(std::make_unique<CloseAwareNotifier>(sceneServices.notifier, *this)),
      services(withNotifier(sceneServices, *messages)),
      scene(std::make_unique<SaverScene>(services, tickCountMs))
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
    if (closeRequested()) {
        closeNow();
        return true;
    }
    create();
    if (!handle()) {
        services.notifier.show("Ups!", "", MessageButtons::Ok);
        return false;
    }
    // The wait cursor shows wherever the pointer is while the scene loads (the
    // launching dialog is up then, this window not yet).
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    sceneBusy = true;
    // The launching dialog comes first, so it is up while the context is made
    // and the scene loads; a failed pixel format leaves it open. Each step is
    // skipped once a close waits, so a close ends the set-up soon.
    if (launchingFactory && !closeRequested())
        launching = launchingFactory(this);
    const qreal ratio = devicePixelRatio();
    scene->resize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
    if (!closeRequested())
        createGlContext();
    if (!closeRequested() && makeContextCurrent())
        scene->fitCamera();
    sceneBusy = false;
    QGuiApplication::restoreOverrideCursor();
    if (closeRequested()) {
        // Closed before it was ever shown: closed() is emitted here, before
        // the caller's event loop runs, which the application allows for.
        closeNow();
        return true;
    }
    setCursor(Qt::BlankCursor);
    if (timerId != 0)
        killTimer(timerId);
    timerPeriodMs = settings::frameDelayMs(services.settings);
    timerId = startTimer(timerPeriodMs, Qt::PreciseTimer);
    // Shown in the window state set before (full screen on Wayland).
    setVisible(true);
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
    if (!context || surfaceGone || hasClosed || sceneBusy || closeDeferred)
        return false;
    if (drawableCheck && !drawableCheck()) {
        hostWindowGone();
        return false;
    }
    return makeContextCurrent();
}

void SaverWindow::releaseGl()
{
    // The scene code on the stack still uses the context and procs; its
    // deferred close releases them.
    if (!context || sceneBusy)
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
    if (sceneBusy) {
        closeDeferred = true;
        dismissSetUpMessages();
        return;
    }
    hasClosed = true;
    onDestroy();
    launching.reset();
    // A native window the host destroyed is gone already; destroying it again
    // would only earn an X error.
    if (!surfaceGone)
        destroy();
    emit closed();
}

void SaverWindow::dismissSetUpMessages()
{
    // The only modal windows while scene code runs are its message boxes;
    // closing one answers it as its Escape would and returns from its loop.
    if (QWindow* modal = QGuiApplication::modalWindow(); modal && modal != this)
        QTimer::singleShot(0, modal, [modal] { modal->close(); });
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
    if (isExposed())
        runFrame(false);
}

void SaverWindow::resizeEvent(QResizeEvent*)
{
    const qreal ratio = devicePixelRatio();
    scene->resize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
    // Viewport and projection follow every size change; the set-up fits the
    // camera itself when it returns, and a closed window has no context.
    if (!closeRequested() && readyToDraw())
        scene->fitCamera();
}

void SaverWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timerId || hasClosed)
        return;
    emit ticked();
    runFrame(true);
}

void SaverWindow::runFrame(bool tick)
{
    if (!readyToDraw())
        return;
    sceneBusy = true;
    if (tick)
        scene->timerTick(*this);
    else
        scene->drawFrame(*this);
    sceneBusy = false;
    if (closeDeferred)
        closeNow();
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
