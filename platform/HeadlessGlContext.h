// An OpenGL context with no window and no X server: EGL on Mesa's surfaceless
// platform with a pbuffer surface. Tests of GL code and the inspect tool render
// through it. The context is current on the calling thread after create().
#pragma once

#include "GlProcLookup.h"

#include <string>

namespace orbit {

class HeadlessGlContext final : public GlProcLookup {
public:
    HeadlessGlContext() = default;
    ~HeadlessGlContext() override;
    HeadlessGlContext(const HeadlessGlContext&) = delete;
    HeadlessGlContext& operator=(const HeadlessGlContext&) = delete;

    // Creates a compatibility-profile context rendering to a width x height
    // RGB(A) pbuffer with a depth buffer, double-buffered when possible so
    // glReadBuffer(GL_BACK) works as in a window. False with error() set when
    // EGL, the surfaceless platform or the context cannot be had.
    bool create(int width, int height);
    bool makeCurrent();
    // Presents the back buffer (eglSwapBuffers); pixels must be read before.
    void swapBuffers();
    const std::string& error() const { return lastError; }
    int width() const { return surfaceWidth; }
    int height() const { return surfaceHeight; }

    GlProc find(const char* name) const override;

private:
    void destroy();

    void* display = nullptr; // EGLDisplay
    void* surface = nullptr; // EGLSurface
    void* context = nullptr; // EGLContext
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    std::string lastError;
};

} // namespace orbit
