// getProcAddress of the context the saver window made; empty names are
// answered without asking the driver.
#include "QtGlProcLookup.h"

#include <QOpenGLContext>

namespace orbit {

GlProc QtGlProcLookup::find(const char* name) const
{
    if (!name || !*name)
        return nullptr;
    return reinterpret_cast<GlProc>(context.getProcAddress(name));
}

} // namespace orbit
