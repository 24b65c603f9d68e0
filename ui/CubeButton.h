// The About box's OK button: a push button that draws itself with OpenGL, a
// translucent textured cube turning a step further at every drawing, in front
// of a snapshot of the dialog pixels behind the button, inside a one-pixel
// raised (up) or sunken (down) frame in the palette's button colours.
//
// It stays a real QPushButton (default button, Enter, focus, click on release
// over it, the mouse grab while pressed), and renders into a framebuffer
// object of its own context on an offscreen surface, then paints that image.
// So the button works on any Qt platform: where no GL context can be made it
// reports "ChoosePixelFormat failed" once and draws nothing, as a button
// without a pixel format did. A timer (started by the owner) repaints it so
// the cube keeps turning between the drawings the system asks for.
#pragma once

#include "image/GlObjects.h"

#include <QBasicTimer>
#include <QCursor>
#include <QImage>
#include <QPushButton>

#include <array>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

namespace orbit {

class ResourceProvider;
class UserNotifier;

class CubeButton final : public QPushButton {
    Q_OBJECT
public:
    static constexpr int cubeTextureId = 179; // "Jpg"

    CubeButton(const ResourceProvider& resources, UserNotifier& notifier, QWidget* parent);
    ~CubeButton() override;

    // Makes the GL context for the button's current size and builds the cube
    // texture. Call once, after the button has its final geometry. False, after
    // the message, when no usable context could be made.
    bool setUpGl();
    bool hasGl() const { return context != nullptr; }

    // Repaints every periodMs milliseconds while shown; 0 stops the animation.
    void setAnimationPeriod(int periodMs);
    bool isAnimating() const { return animation.isActive(); }

    // Rotation about x, y and z in degrees after the last drawing.
    const std::array<double, 3>& anglesDeg() const { return angles; }
    // The last picture drawn, in device pixels (null before the first drawing
    // or without GL).
    const QImage& lastPicture() const { return picture; }
    bool isPointerPressed() const { return pressed; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct Corners {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0, z = 0;
    };

    // The button's size in device pixels: the framebuffer, the snapshot and
    // the frame lines are made at this size so a scaled screen shows them sharp.
    QSize pixelSize() const;
    int devicePixels(int logicalPx) const;
    bool makeContext();
    void setUpScene();
    void takeSnapshot();
    void drawPicture(bool down);
    void drawFrame(bool down) const;
    void drawBackground() const;
    void drawCube() const;
    void releaseGl();

    const ResourceProvider& resources;
    UserNotifier& notifier;
    bool pressed = false;  // left button went down here and is not released
    bool tracking = false; // pointer over the button, or pressed
    bool snapshotTaken = false;
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
    std::array<double, 3> angles;
    std::array<float, 3> faceColour{};
    std::array<float, 3> highlightColour{};
    std::array<float, 3> shadowColour{};
    Corners quad;  // the viewport's corners at window depth 0.99
    Corners frame; // the frame's pixel-centre corners at the same depth
    double frameRightEndY = 0; // one pixel above the top row, same depth
    GlTexture cubeTexture;
    GlTexture backgroundTexture;
    QCursor hoverCursor;
    QCursor pressedCursor;
    QBasicTimer animation;
    int animationPeriodMs = 0;
    QImage picture;
};

} // namespace orbit
