// GL entry points from a QOpenGLContext. On GLX a name the driver does not know
// may still give a stub, so callers check the extension string before using an
// entry point.
#pragma once

#include "platform/GlProcLookup.h"

class QOpenGLContext;

namespace orbit {

class QtGlProcLookup final : public GlProcLookup {
public:
    explicit QtGlProcLookup(QOpenGLContext& context) : context(context) {}
    GlProc find(const char* name) const override;

private:
    QOpenGLContext& context;
};

} // namespace orbit
