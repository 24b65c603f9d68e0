// GL extension entry points by name. The saver
// window answers from its QOpenGLContext, the headless context from EGL, and
// tests from a table of fakes.
#pragma once

namespace orbit {

using GlProc = void (*)();

class GlProcLookup {
public:
    virtual ~GlProcLookup() = default;
    // The entry point, or nullptr when the implementation has none.
    virtual GlProc find(const char* name) const = 0;
};

} // namespace orbit
