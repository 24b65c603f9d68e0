// The window that shows the scene: a QWindow with its own OpenGL context and
// frame timer, owning the SaverScene for its whole life. Used as it is for the
// preview (a child of the host's window) and as the base of the full-screen
// window. "Posting a close" queues closeNow(), which runs the destroy handling
// and then emits closed(); the application decides on that signal when to end.
// A close that arrives while the scene is being set up or draws a frame (the
// launching dialog and message boxes run nested event passes) is only
// recorded: it runs as soon as the scene code returns, so nothing that code
// uses is freed under it.
#pragma once

#include "scene/SaverScene.h"

#include <QWindow>

#include <cstdint>
#include <functional>
#include <memory>

class QOpenGLContext;

namespace orbit {

class QtGlProcLookup;

class SaverWindow : public QWindow, private BufferSwapper {
    Q_OBJECT
public:
    // Builds the scene (its constructor order draws the star field from the
    // unseeded generator, then seeds it with tickCountMs). parent is the host's
    // window for the preview, nullptr for a top-level window.
    SaverWindow(SceneServices services, std::uint32_t tickCountMs, QWindow* parent = nullptr);
    ~SaverWindow() override;

    // The create handling: makes the native window with title and rect
    // (relative to the parent), then wait cursor, client size, GL context and
    // scene set-up, camera fit, blank cursor and timer 1 at the clamped
    // "Timer" period; shows the window last. A close that came before or
    // during the set-up runs before this returns (true, with isClosed()).
    // False (after the "Ups!" box) when the native window cannot be made; a
    // GL failure is reported and the window lives on without a context.
    bool createSaver(const QString& title, const QRect& rect);

    // Queues a close; a second request before it runs adds nothing.
    void postClose();
    // The host destroyed the native window under us: close without drawing to
    // it again.
    void hostWindowGone();

    // For a window inside a host's window: asked right before each frame
    // whether the native window still exists. The host can destroy it at any
    // time, and Mesa's software rasterizer reads garbage sizes from a window
    // that is gone; false ends the run instead of drawing.
    void setDrawableCheck(std::function<bool()> check) { drawableCheck = std::move(check); }

    // Asked between the steps of createSaver: true when a close waits that the
    // event loop has not delivered yet (a termination signal), so the rest of
    // the start-up is skipped instead of run for nothing.
    void setPendingCloseCheck(std::function<bool()> check) { pendingCloseCheck = std::move(check); }

    // Makes the launching dialog the scene set-up reports to, with this
    // window as its owner. Without one the set-up runs silently (tests).
    using LaunchingFactory = std::function<std::unique_ptr<LaunchingStatus>(QWindow* owner)>;
    void setLaunchingFactory(LaunchingFactory factory) { launchingFactory = std::move(factory); }

    bool hasGlContext() const { return context != nullptr; }
    // 0 while no timer runs.
    int framePeriodMs() const { return timerPeriodMs; }
    bool isClosed() const { return hasClosed; }
    // A close has been asked for (it may still wait for scene code to return,
    // or for the event loop to read a termination signal).
    bool closeRequested() const
    {
        return closePosted || closeDeferred || hasClosed || (pendingCloseCheck && pendingCloseCheck());
    }

signals:
    // The window has run its destroy handling.
    void closed();
    // One timer tick arrived (before its frame is drawn).
    void ticked();

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

    // The destroy handling; subclasses do their part first, then call this.
    virtual void onDestroy();
    // Whether a close that did not come from postClose (the window manager's
    // close button) closes the window.
    virtual bool acceptsOutsideClose() const { return true; }

private:
    void createGlContext();
    bool makeContextCurrent();
    // Checks the drawable and makes the context current: true when a frame may be drawn.
    bool readyToDraw();
    void releaseGl();
    void closeNow();
    // Runs a frame with closes held back until it returns.
    void runFrame(bool tick);
    // Ends any message box the set-up is waiting in; later ones are not shown.
    void dismissSetUpMessages();
    void swapBuffers() override;

    // Forwards the scene's messages unless a close is already waiting.
    std::unique_ptr<UserNotifier> messages;
    SceneServices services;
    // About a megabyte of fixed pools, hence on the heap.
    std::unique_ptr<SaverScene> scene;
    std::unique_ptr<QOpenGLContext> context;
    std::unique_ptr<QtGlProcLookup> procs;
    std::function<bool()> drawableCheck;
    std::function<bool()> pendingCloseCheck;
    LaunchingFactory launchingFactory;
    // Owned until the window closes (a close during the set-up ends it early).
    std::unique_ptr<LaunchingStatus> launching;
    int timerId = 0;
    int timerPeriodMs = 0;
    bool closePosted = false;
    // The scene's set-up or a frame is on the stack; closeNow only records
    // closeDeferred then, and the close runs when the scene code returns.
    bool sceneBusy = false;
    bool closeDeferred = false;
    bool hasClosed = false;
    bool surfaceGone = false;
};

} // namespace orbit
