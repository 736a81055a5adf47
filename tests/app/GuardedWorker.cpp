// The guard replaces the test program's global operator new and delete: the
// worker is made by its run-time class deep inside the main window's
// constructor, where no class of the test can stand in for it.

#include "GuardedWorker.h"

#include "SSDOpThread.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
thread_local bool t_guardNext = false;
std::atomic<void*> g_guarded{nullptr};
HANDLE g_deleted = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

void* Allocate(size_t size)
{
    if (t_guardNext && size == sizeof(CSSDOpThread)) {
        t_guardNext = false;
        void* object = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!object)
            throw std::bad_alloc();
        g_guarded = object;
        return object;
    }
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void Release(void* object)
{
    if (!object)
        return;
    void* guarded = object;
    if (g_guarded.compare_exchange_strong(guarded, nullptr)) {
        // Decommitted but still reserved: the address is never handed out again.
        ::VirtualFree(object, 0, MEM_DECOMMIT);
        ::SetEvent(g_deleted);
        return;
    }
    std::free(object);
}
} // namespace

void GuardNextWorker()
{
    ::ResetEvent(g_deleted);
    t_guardNext = true;
}

bool WaitForGuardedWorkerDeleted(DWORD timeoutMs)
{
    return ::WaitForSingleObject(g_deleted, timeoutMs) == WAIT_OBJECT_0;
}

void* operator new(size_t size)
{
    return Allocate(size);
}

void* operator new[](size_t size)
{
    return Allocate(size);
}

void operator delete(void* object) noexcept
{
    Release(object);
}

void operator delete[](void* object) noexcept
{
    Release(object);
}

void operator delete(void* object, size_t) noexcept
{
    Release(object);
}

void operator delete[](void* object, size_t) noexcept
{
    Release(object);
}
