#pragma once
// A user-interface thread: its own message loop, and a thread-message map
// (ON_THREAD_MESSAGE) for the messages posted to the thread itself.

#include "CCmdTarget.h"

class CWnd;

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)

public:
    CWinThread() = default;
    ~CWinThread() override;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE; // the object goes when the thread ends
    CWnd* m_pMainWnd = nullptr;

    operator HANDLE() const { return m_hThread; }

    // Starts the thread; unless suspended, returns once the thread can take
    // posted messages.
    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES security = nullptr);
    // The resume that starts the thread returns once it takes posted messages.
    DWORD ResumeThread();
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }
    BOOL SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const
    {
        return ::PostThreadMessageW(m_nThreadID, message, wParam, lParam);
    }

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop: thread messages through the thread's map, window
    // messages through PreTranslateMessage and dispatch; ends on WM_QUIT.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL OnIdle(LONG count);
    // Deletes the object when it deletes itself (m_bAutoDelete).
    virtual void Delete();

    // The thread object of the calling thread (the application on the main thread).
    static CWinThread* GetCurrent();
    static void SetCurrent(CWinThread* thread);

protected:
    DECLARE_MESSAGE_MAP()

private:
    static unsigned __stdcall ThreadEntry(void* param);
    HANDLE m_hStarted = nullptr;
};

CWinThread* AfxBeginThread(const CRuntimeClass* threadClass, int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);
// Ends the calling framework thread now; with deleteThread its object goes too.
void AfxEndThread(UINT exitCode, BOOL deleteThread = TRUE);
CWinThread* AfxGetThread();
