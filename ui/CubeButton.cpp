// CubeButton drawing and input (see CubeButton.h). The GL work runs in a
// fixed order: set-up once (viewport, 45-degree projection of
// aspect 1, lighting, blending, the cube texture), then per drawing: clear to
// the face colour, frame, background quad from the snapshot, the cube back
// faces first, each with the pressed-state shifts.
//
// The frame's line strips run through pixel centres. Through
// the exact viewport corners, GL's line rules put the left and bottom edges
// half outside the viewport and Mesa drew neither; at the centres all four
// edges land on the button's outermost pixels as intended.
//
// No palette is made: Qt's GL surfaces are TrueColor, never palette-based.
#include "CubeButton.h"

#include "CubeGeometry.h"
#include "image/DibImage.h"
#include "platform/UserNotifier.h"
#include "ResourceImages.h"

#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPainter>
#include <QPalette>
#include <QTimerEvent>

#include <GL/gl.h>
#include <GL/glu.h>

namespace orbit {
namespace {

constexpr double fieldOfViewDeg = 45.0;
constexpr double nearPlane = 1.0;
constexpr double farPlane = 7.0;
constexpr double viewDistance = 3.5;
constexpr double backgroundDepth = 0.99; // window depth of frame and background
constexpr float cubeAlpha = 0.7f;
constexpr int backgroundShiftPx = 6; // pressed: background moves right and down
constexpr int cubeShiftPx = 3;       // pressed: cube moves right and down
constexpr double byteToUnit = 0.00392156862745098; // 1 / 255

struct Matrices {
    GLdouble modelView[16];
    GLdouble projection[16];
    GLint viewport[4];
};

Matrices currentMatrices()
{
    Matrices m{};
    glGetDoublev(GL_MODELVIEW_MATRIX, m.modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, m.projection);
    glGetIntegerv(GL_VIEWPORT, m.viewport);
    return m;
}

void unProject(const Matrices& m, double winX, double winY, double winZ, double& x, double& y, double& z)
{
    gluUnProject(winX, winY, winZ, m.modelView, m.projection, m.viewport, &x, &y, &z);
}

std::array<float, 3> unitColour(const QColor& colour)
{
    return {static_cast<float>(colour.red() * byteToUnit), static_cast<float>(colour.green() * byteToUnit),
            static_cast<float>(colour.blue() * byteToUnit)};
}

// The object-space offset that moves a point at window depth 0 from the
// client centre by (dx, -dy) window pixels (right and down on screen).
std::array<double, 3> pressedOffset(int width, int height, int shiftPx)
{
    const Matrices m = currentMatrices();
    double cx = 0, cy = 0, cz = 0, sx = 0, sy = 0, sz = 0;
    unProject(m, width / 2, height / 2, 0.0, cx, cy, cz);
    unProject(m, width / 2 + shiftPx, height / 2 - shiftPx, 0.0, sx, sy, sz);
    return {sx - cx, sy - cy, sz - cz};
}

void buildMipmaps(int width, int height, GLenum format, const void* pixels)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, format, GL_UNSIGNED_BYTE, pixels);
}

} // namespace

CubeButton::CubeButton(const ResourceProvider& resourceProvider, UserNotifier& userNotifier, QWidget* parent)
    : QPushButton(parent),
      resources(resourceProvider),
      notifier(userNotifier),
      angles(cube::initialAngleDeg),
      // Without the cursor resources both hands fall back to Qt's pointing hand.
      hoverCursor(resourceCursor(resources, cursorId::pointingHand, Qt::PointingHandCursor)),
      pressedCursor(resourceCursor(resources, cursorId::pressedHand, Qt::PointingHandCursor))
{
    setMouseTracking(true);
    setCursor(hoverCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CubeButton::~CubeButton()
{
    releaseGl();
}

bool CubeButton::makeContext()
{
    context = std::make_unique<QOpenGLContext>();
    QSurfaceFormat format;
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(24);
    context->setFormat(format);
    if (!context->create()) {
        context.reset();
        notifier.showAppMessage("ChoosePixelFormat failed");
        return false;
    }
    surface = std::make_unique<QOffscreenSurface>();
    surface->setFormat(context->format());
    surface->create();
    if (!context->makeCurrent(surface.get())) {
        context.reset();
        surface.reset();
        notifier.showAppMessage("SetPixelFormat failed");
        return false;
    }
    // RGB only: the picture is opaque whatever alpha the blending leaves.
    framebuffer = std::make_unique<QOpenGLFramebufferObject>(pixelSize(), QOpenGLFramebufferObject::Depth,
                                                             GL_TEXTURE_2D, GL_RGB8);
    if (!framebuffer->isValid() || !framebuffer->bind()) {
        framebuffer.reset();
        context->doneCurrent();
        context.reset();
        surface.reset();
        notifier.showAppMessage("SetPixelFormat failed");
        return false;
    }
    return true;
}

bool CubeButton::setUpGl()
{
    if (context || width() <= 0 || height() <= 0)
        return hasGl();
    if (!makeContext())
        return false;
    const QPalette colours = palette();
    faceColour = unitColour(colours.color(QPalette::Button));
    highlightColour = unitColour(colours.color(QPalette::Light));
    shadowColour = unitColour(colours.color(QPalette::Dark));
    setUpScene();
    context->doneCurrent();
    return true;
}

QSize CubeButton::pixelSize() const
{
    return (QSizeF(size()) * devicePixelRatio()).toSize();
}

int CubeButton::devicePixels(int logicalPx) const
{
    return qRound(logicalPx * devicePixelRatio());
}

void CubeButton::setUpScene()
{
    const int w = pixelSize().width();
    const int h = pixelSize().height();
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewDeg, 1.0, nearPlane, farPlane); // aspect 1 whatever the size
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0, 0, -viewDistance);

    const Matrices m = currentMatrices();
    unProject(m, 0, 0, backgroundDepth, quad.x0, quad.y0, quad.z);
    unProject(m, w - 1, 1, backgroundDepth, quad.x1, quad.y1, quad.z);
    unProject(m, w, h, backgroundDepth, quad.x2, quad.y2, quad.z);
    // Frame corners at pixel centres: x0/y0 the left column and bottom row,
    // x1 the end of the top edge, y1 the start of the left edge (one above
    // the bottom), x2/y2 the right column and top row.
    unProject(m, 0.5, 0.5, backgroundDepth, frame.x0, frame.y0, frame.z);
    unProject(m, w - 0.5, 1.5, backgroundDepth, frame.x1, frame.y1, frame.z);
    unProject(m, w - 0.5, h - 0.5, backgroundDepth, frame.x2, frame.y2, frame.z);
    // The right edge runs one pixel past the top: a line's last pixel is never
    // drawn, and that one lies outside the viewport.
    double unusedX = 0;
    unProject(m, w - 0.5, h + 0.5, backgroundDepth, unusedX, frameRightEndY, frame.z);

    const GLfloat ambient[] = {0.7f, 0.7f, 0.7f, 1};
    const GLfloat diffuse[] = {0.8f, 0.8f, 0.8f, 1};
    const GLfloat specular[] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // A missing or broken picture leaves the texture empty; the cube is then
    // drawn untextured rather than not at all.
    cubeTexture = GlTexture::generate();
    glBindTexture(GL_TEXTURE_2D, cubeTexture.name());
    DibImage image;
    if (image.loadJpegResource(resources, cubeTextureId) && image.bits())
        buildMipmaps(image.width(), image.height(), GL_BGR_EXT, image.bits());
}

void CubeButton::takeSnapshot()
{
    snapshotTaken = true;
    QWidget* owner = parentWidget();
    if (!owner)
        return;
    // The parent's own painting only (no children, so not this button), at
    // device pixels so that a scaled screen gets a sharp background.
    QImage behind(pixelSize(), QImage::Format_RGB32);
    behind.setDevicePixelRatio(devicePixelRatio());
    behind.fill(owner->palette().color(QPalette::Window));
    owner->render(&behind, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    const QImage bottomUp = behind.convertToFormat(QImage::Format_RGB888).mirrored(false, true);
    backgroundTexture = GlTexture::generate();
    glBindTexture(GL_TEXTURE_2D, backgroundTexture.name());
    // QImage rows are 4-byte aligned, matching the unpack alignment.
    buildMipmaps(bottomUp.width(), bottomUp.height(), GL_RGB, bottomUp.constBits());
}

void CubeButton::drawFrame(bool down) const
{
    const auto& first = down ? shadowColour : highlightColour;
    const auto& second = down ? highlightColour : shadowColour;
    glColor3fv(first.data());
    glBegin(GL_LINE_STRIP);
    glVertex3d(frame.x0, frame.y1, frame.z);
    glVertex3d(frame.x0, frame.y2, frame.z);
    glVertex3d(frame.x1, frame.y2, frame.z);
    glEnd();
    glColor3fv(second.data());
    glBegin(GL_LINE_STRIP);
    glVertex3d(frame.x0, frame.y0, frame.z);
    glVertex3d(frame.x2, frame.y0, frame.z);
    glVertex3d(frame.x2, frameRightEndY, frame.z);
    glEnd();
}

void CubeButton::drawBackground() const
{
    glBegin(GL_QUADS);
    glNormal3d(0, 0, 1);
    glTexCoord2d(0, 0);
    glVertex3d(quad.x0, quad.y0, quad.z);
    glTexCoord2d(1, 0);
    glVertex3d(quad.x2, quad.y0, quad.z);
    glTexCoord2d(1, 1);
    glVertex3d(quad.x2, quad.y2, quad.z);
    glTexCoord2d(0, 1);
    glVertex3d(quad.x0, quad.y2, quad.z);
    glEnd();
}

void CubeButton::drawCube() const
{
    const GLfloat material[] = {1, 1, 1, cubeAlpha};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
    glEnable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, cubeTexture.name());
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    for (const cube::Face& face : cube::faces) {
        glNormal3d(face.normal.x, face.normal.y, face.normal.z);
        for (const cube::Corner& corner : face.corners) {
            glTexCoord2d(corner.texture.s, corner.texture.t);
            glVertex3d(corner.vertex.x, corner.vertex.y, corner.vertex.z);
        }
    }
    glEnd();
}

void CubeButton::drawPicture(bool down)
{
    const int w = pixelSize().width();
    const int h = pixelSize().height();
    glClearColor(faceColour[0], faceColour[1], faceColour[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0, 0, -viewDistance);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    drawFrame(down);

    for (std::size_t axis = 0; axis < angles.size(); ++axis)
        angles[axis] += cube::angleStepDeg[axis]; // grows without wrapping

    const GLfloat white[] = {1, 1, 1, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
    glEnable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, backgroundTexture.name());
    glEnable(GL_TEXTURE_2D);

    const auto backgroundShift = down ? pressedOffset(w, h, devicePixels(backgroundShiftPx)) : std::array<double, 3>{};
    glTranslated(backgroundShift[0], backgroundShift[1], backgroundShift[2]);
    drawBackground();
    glTranslated(-backgroundShift[0], -backgroundShift[1], -backgroundShift[2]);

    glRotated(angles[0], 1, 0, 0);
    glRotated(angles[1], 0, 1, 0);
    glRotated(angles[2], 0, 0, 1);
    const auto cubeShift = down ? pressedOffset(w, h, devicePixels(cubeShiftPx)) : std::array<double, 3>{};
    glTranslated(cubeShift[0], cubeShift[1], cubeShift[2]);
    glCullFace(GL_FRONT); // the far, inner faces first
    drawCube();
    glCullFace(GL_BACK);
    drawCube();
    glTranslated(-cubeShift[0], -cubeShift[1], -cubeShift[2]);
    glFinish();
}

void CubeButton::paintEvent(QPaintEvent*)
{
    if (!context || !context->makeCurrent(surface.get()))
        return;
    framebuffer->bind();
    if (!snapshotTaken)
        takeSnapshot();
    drawPicture(isDown());
    picture = framebuffer->toImage();
    framebuffer->release();
    context->doneCurrent();

    // The picture has one pixel per device pixel: drawn 1:1, never scaled.
    picture.setDevicePixelRatio(devicePixelRatio());
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}

void CubeButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        tracking = true;
        pressed = true;
        setCursor(pressedCursor);
    }
    QPushButton::mousePressEvent(event); // goes down, grabs the mouse, redraws
}

void CubeButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        tracking = false;
        pressed = false;
        setCursor(hoverCursor);
    }
    QPushButton::mouseReleaseEvent(event); // comes up; clicks when over the button
}

void CubeButton::mouseMoveEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint())) {
        setCursor(pressed ? pressedCursor : hoverCursor);
        tracking = true;
    } else {
        setCursor(Qt::ArrowCursor);
        if (!pressed)
            tracking = false;
    }
    QPushButton::mouseMoveEvent(event);
}

void CubeButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click is a second press, so two quick clicks are two clicks.
    mousePressEvent(event);
}

void CubeButton::setAnimationPeriod(int periodMs)
{
    animationPeriodMs = periodMs > 0 ? periodMs : 0;
    if (animationPeriodMs > 0 && isVisible())
        animation.start(animationPeriodMs, this);
    else
        animation.stop();
}

void CubeButton::showEvent(QShowEvent* event)
{
    if (animationPeriodMs > 0)
        animation.start(animationPeriodMs, this);
    QPushButton::showEvent(event);
}

void CubeButton::hideEvent(QHideEvent* event)
{
    animation.stop();
    QPushButton::hideEvent(event);
}

void CubeButton::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == animation.timerId())
        update();
    else
        QPushButton::timerEvent(event);
}

void CubeButton::releaseGl()
{
    animation.stop();
    if (!context)
        return;
    // GL objects die while their context is current.
    if (context->makeCurrent(surface.get())) {
        cubeTexture = GlTexture();
        backgroundTexture = GlTexture();
        framebuffer.reset();
        context->doneCurrent();
    }
    context.reset();
    surface.reset();
}

} // namespace orbit
