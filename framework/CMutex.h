#pragma once
// A kernel mutex: a lock that can be waited for together with a thread's
// message queue (MsgWaitForMultipleObjects), so a window thread can keep its
// window alive while it waits. The owning thread may take it again (each
// Lock needs its Unlock). A mutex whose owner ended without releasing it is
// taken over by the next waiter.

#include <windows.h>

class CMutex {
public:
    CMutex() : m_hObject(::CreateMutexW(nullptr, FALSE, nullptr)) {}
    ~CMutex()
    {
        if (m_hObject)
            ::CloseHandle(m_hObject);
    }
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    // TRUE once the calling thread owns the mutex (also when it was abandoned).
    BOOL Lock(DWORD timeout = INFINITE)
    {
        DWORD result = ::WaitForSingleObject(m_hObject, timeout);
        return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    BOOL Unlock() { return ::ReleaseMutex(m_hObject); }
    HANDLE m_hObject;
};
