#pragma once
// Holds a lock (CCriticalSection, CMutex or any class with Lock and Unlock)
// for the life of a scope, so every road out of the scope releases it.

template <class SYNC> class CSingleLock {
public:
    explicit CSingleLock(SYNC& sync, bool lockNow = true) : m_sync(sync)
    {
        if (lockNow)
            Lock();
    }
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    void Lock()
    {
        if (!m_locked) {
            m_sync.Lock();
            m_locked = true;
        }
    }
    void Unlock()
    {
        if (m_locked) {
            m_locked = false;
            m_sync.Unlock();
        }
    }
    bool IsLocked() const { return m_locked; }

private:
    SYNC& m_sync;
    bool m_locked = false;
};
