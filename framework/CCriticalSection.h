#pragma once
// A critical section: a lock for short holds inside one process. The same
// thread may take it again while it holds it (each Lock needs its Unlock).

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { ::EnterCriticalSection(&m_section); }
    BOOL TryLock() { return ::TryEnterCriticalSection(&m_section); }
    void Unlock() { ::LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};
