// The test worker's run-time class, its one request more and its memory.

#include "EngineFixture.h"

#include <new>

IMPLEMENT_DYNCREATE(TestOpThread, CSSDOpThread)

BEGIN_MESSAGE_MAP(TestOpThread, CSSDOpThread)
ON_THREAD_MESSAGE(WM_TEST_BARRIER, OnBarrier)
ON_THREAD_MESSAGE(WM_SSDOP_QUIT, OnHeldQuit)
END_MESSAGE_MAP()

void* TestOpThread::operator new(size_t size)
{
    void* object = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!object)
        throw std::bad_alloc();
    return object;
}

// Decommitted but still reserved: the address is never handed out again.
void TestOpThread::operator delete(void* object, size_t)
{
    if (object)
        ::VirtualFree(object, 0, MEM_DECOMMIT);
}
