// The vertex array's memory and the NV extension calls around it, in the
// order the display-list compiler has always made them. The NV path is taken
// only when every entry point it calls was found (not only
// glVertexArrayRangeNV), and only for sizes its int parameter can carry.
#include "VertexStorage.h"

#include <GL/gl.h>

#include <climits>
#include <cstdlib>

namespace orbit {

namespace {
template <typename Proc>
void find(const GlProcLookup& lookup, const char* name, Proc& proc)
{
    proc = reinterpret_cast<Proc>(lookup.find(name));
}

// Ends the process (a vertex range that cannot be set up is fatal), or hands over to the
// test seam; returns only when the seam does.
void endProcess(const CompileHooks* hooks)
{
    if (hooks && hooks->exitProcess) {
        hooks->exitProcess(0);
        return;
    }
    std::exit(0);
}
} // namespace

NvVertexArrayRangeProcs NvVertexArrayRangeProcs::lookUp(const GlProcLookup& lookup)
{
    NvVertexArrayRangeProcs procs;
    find(lookup, "glXAllocateMemoryNV", procs.allocateMemory);
    find(lookup, "glXFreeMemoryNV", procs.freeMemory);
    find(lookup, "glVertexArrayRangeNV", procs.vertexArrayRange);
    find(lookup, "glFlushVertexArrayRangeNV", procs.flushVertexArrayRange);
    find(lookup, "glGenFencesNV", procs.genFences);
    find(lookup, "glDeleteFencesNV", procs.deleteFences);
    find(lookup, "glSetFenceNV", procs.setFence);
    find(lookup, "glTestFenceNV", procs.testFence);
    find(lookup, "glFinishFenceNV", procs.finishFence);
    find(lookup, "glIsFenceNV", procs.isFence);
    find(lookup, "glGetFenceivNV", procs.getFenceiv);
    return procs;
}

bool NvVertexArrayRangeProcs::usable() const
{
    return allocateMemory && freeMemory && vertexArrayRange && genFences && deleteFences && setFence &&
           finishFence && isFence;
}

VertexStorage::VertexStorage(const GlProcLookup& lookup, bool extensionsAdvertised)
    : nv(NvVertexArrayRangeProcs::lookUp(lookup))
{
    rangeAvailable = extensionsAdvertised && nv.usable();
}

VertexStorage::~VertexStorage()
{
    if (fromNv)
        releaseNv();
    else
        releaseHeap();
}

void VertexStorage::releaseNv()
{
    if (vertexArray)
        nv.freeMemory(vertexArray);
    vertexArray = nullptr;
    if (fenceName != 0)
        nv.deleteFences(1, &fenceName);
    fenceName = 0;
}

void VertexStorage::releaseHeap()
{
    std::free(vertexArray);
    vertexArray = nullptr;
}

bool VertexStorage::allocate(std::size_t byteCount, UserNotifier& notifier, const CompileHooks* hooks)
{
    if (byteCount == 0)
        return true; // nothing to hold; a zero-byte heap request could ask the user for ever
    if (byteCount > static_cast<std::size_t>(INT_MAX))
        rangeAvailable = false;
    while (!vertexArray) {
        if (rangeAvailable) {
            if (fenceName != 0 && nv.isFence(fenceName))
                nv.deleteFences(1, &fenceName);
            fenceName = 0;
            const int size = static_cast<int>(byteCount);
            void* memory = nv.allocateMemory(size, 0.2f, 0.0f, 0.75f);
            if (memory) {
                vertexArray = memory;
                fromNv = true;
                nv.vertexArrayRange(size, memory);
                nv.genFences(1, &fenceName);
            } else {
                rangeAvailable = false;
            }
            continue;
        }
        const bool refused = hooks && hooks->heapAllocationFails && hooks->heapAllocationFails(byteCount);
        vertexArray = refused ? nullptr : std::malloc(byteCount);
        if (vertexArray)
            break;
        const MessageReply reply = notifier.show("Failed to load the 3DS mesh into System memory!",
                                                 notifier.applicationTitle(), MessageButtons::RetryCancel);
        if (reply == MessageReply::Cancel) {
            endProcess(hooks);
            return false;
        }
    }
    return true;
}

bool VertexStorage::enableRange(UserNotifier& notifier, const CompileHooks* hooks)
{
    if (!fromNv)
        return true;
    nv.finishFence(fenceName);
    nv.setFence(fenceName, glAllCompletedNv);
    glEnableClientState(glVertexArrayRangeNv);
    GLboolean valid = GL_FALSE;
    glGetBooleanv(glVertexArrayRangeValidNv, &valid);
    if (valid)
        return true;
    notifier.show("Vertex Array Range is Invalid", "CompileDisplayList Error!", MessageButtons::Ok);
    endProcess(hooks);
    return false;
}

} // namespace orbit
