// Where the interleaved vertex array lives: memory from the NV_vertex_array_range
// extension (glXAllocateMemoryNV, with an NV_fence) when the driver offers every
// entry point that path calls, else the heap. Mesa offers none, so the heap is
// the usual path; tests reach the other one through a fake procedure table.
#pragma once

#include "model3ds/ModelServices.h"
#include "platform/GlProcLookup.h"

#include <cstddef>
#include <cstdint>

namespace orbit {

// NV_vertex_array_range / NV_fence tokens (from the extension texts).
constexpr unsigned glVertexArrayRangeNv = 0x851D;
constexpr unsigned glVertexArrayRangeValidNv = 0x851F;
constexpr unsigned glAllCompletedNv = 0x84F2;

struct NvVertexArrayRangeProcs {
    using AllocateMemory = void* (*)(int size, float readFrequency, float writeFrequency, float priority);
    using FreeMemory = void (*)(void* pointer);
    using VertexArrayRange = void (*)(int size, const void* pointer);
    using FlushVertexArrayRange = void (*)();
    using GenFences = void (*)(int n, unsigned* fences);
    using DeleteFences = void (*)(int n, const unsigned* fences);
    using SetFence = void (*)(unsigned fence, unsigned condition);
    using TestFence = unsigned char (*)(unsigned fence);
    using FinishFence = void (*)(unsigned fence);
    using IsFence = unsigned char (*)(unsigned fence);
    using GetFenceiv = void (*)(unsigned fence, unsigned pname, int* params);

    // In the order the model looks them up; Linux names for the allocators.
    AllocateMemory allocateMemory = nullptr;   // glXAllocateMemoryNV
    FreeMemory freeMemory = nullptr;           // glXFreeMemoryNV
    VertexArrayRange vertexArrayRange = nullptr;
    FlushVertexArrayRange flushVertexArrayRange = nullptr; // looked up, never called
    GenFences genFences = nullptr;
    DeleteFences deleteFences = nullptr;
    SetFence setFence = nullptr;
    TestFence testFence = nullptr;             // looked up, never called
    FinishFence finishFence = nullptr;
    IsFence isFence = nullptr;
    GetFenceiv getFenceiv = nullptr;           // looked up, never called

    static NvVertexArrayRangeProcs lookUp(const GlProcLookup& lookup);
    // Every entry point the vertex-array-range path calls is present.
    bool usable() const;
};

class VertexStorage {
public:
    VertexStorage() = default; // no GL: no vertex-array-range, nothing allocated
    // extensionsAdvertised: the context lists GL_NV_vertex_array_range and
    // GL_NV_fence. Needed besides the entry points, because Mesa's
    // eglGetProcAddress hands out a stub for any name beginning with "gl".
    VertexStorage(const GlProcLookup& lookup, bool extensionsAdvertised);
    ~VertexStorage();
    VertexStorage(const VertexStorage&) = delete;
    VertexStorage& operator=(const VertexStorage&) = delete;

    // Gets byteCount bytes, from the NV allocator while it is available and
    // succeeds, else from the heap; a failing heap asks the user
    // "Failed to load the 3DS mesh into System memory!" (Retry/Cancel) and
    // Cancel ends the process with exit code 0. Zero bytes allocate nothing
    // and succeed. False only when the exit hook returned.
    bool allocate(std::size_t byteCount, UserNotifier& notifier, const CompileHooks* hooks);

    // After glInterleavedArrays on the NV path: wait for and set the fence,
    // enable the range and check it; an invalid range shows "Vertex Array
    // Range is Invalid" and ends the process. False only when the exit hook
    // returned. Does nothing on the heap path.
    bool enableRange(UserNotifier& notifier, const CompileHooks* hooks);

    void* data() const { return vertexArray; }
    bool varAvailable() const { return rangeAvailable; }
    unsigned fence() const { return fenceName; }
    const NvVertexArrayRangeProcs& procs() const { return nv; }

private:
    void releaseNv();
    void releaseHeap();

    NvVertexArrayRangeProcs nv;
    bool rangeAvailable = false;
    bool fromNv = false;
    void* vertexArray = nullptr;
    unsigned fenceName = 0;
};

} // namespace orbit
