#include "HeadlessGlContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace orbit {

namespace {

EGLDisplay surfacelessDisplay()
{
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

} // namespace

HeadlessGlContext::~HeadlessGlContext() { destroy(); }

bool HeadlessGlContext::create(int width, int height)
{
    destroy();
    EGLDisplay dpy = surfacelessDisplay();
    if (dpy == EGL_NO_DISPLAY) {
        lastError = "EGL: no surfaceless Mesa display";
        return false;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(dpy, &major, &minor)) {
        lastError = "EGL: eglInitialize failed";
        return false;
    }
    display = dpy;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        lastError = "EGL: desktop OpenGL not available";
        return false;
    }
    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24,
        EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(dpy, configAttributes, &config, 1, &configCount) || configCount < 1) {
        lastError = "EGL: no pbuffer config with RGB 8/8/8 and depth 24";
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface = eglCreatePbufferSurface(dpy, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        surface = nullptr;
        lastError = "EGL: eglCreatePbufferSurface failed";
        return false;
    }
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    context = eglCreateContext(dpy, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        context = nullptr;
        lastError = "EGL: eglCreateContext failed";
        return false;
    }
    surfaceWidth = width;
    surfaceHeight = height;
    if (!makeCurrent()) {
        lastError = "EGL: eglMakeCurrent failed";
        return false;
    }
    return true;
}

bool HeadlessGlContext::makeCurrent()
{
    return display && context && eglMakeCurrent(display, surface, surface, context);
}

void HeadlessGlContext::swapBuffers()
{
    if (display && surface)
        eglSwapBuffers(display, surface);
}

GlProc HeadlessGlContext::find(const char* name) const
{
    return reinterpret_cast<GlProc>(eglGetProcAddress(name));
}

void HeadlessGlContext::destroy()
{
    if (!display)
        return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context)
        eglDestroyContext(display, context);
    if (surface)
        eglDestroySurface(display, surface);
    // No eglTerminate: the surfaceless display is one per process and
    // terminating it unloads Mesa's driver, after which leak reports from the
    // driver can no longer be attributed (or suppressed). The next create()
    // initialises the same display again.
    display = surface = context = nullptr;
}

} // namespace orbit
