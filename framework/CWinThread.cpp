#include "CWinThread.h"

#include "AfxTempMaps.h"
#include "CWnd.h"

#include <process.h>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinThread, CCmdTarget)
END_MESSAGE_MAP()

namespace {
thread_local CWinThread* t_current = nullptr;
}

CWinThread* CWinThread::GetCurrent()
{
    return t_current;
}

void CWinThread::SetCurrent(CWinThread* thread)
{
    t_current = thread;
}

CWinThread* AfxGetThread()
{
    return CWinThread::GetCurrent();
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
    if (m_hStarted)
        ::CloseHandle(m_hStarted);
}

unsigned __stdcall CWinThread::ThreadEntry(void* param)
{
    CWinThread* thread = static_cast<CWinThread*>(param);
    t_current = thread;
    // The queue exists from here on, so posted requests are not lost.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ::SetEvent(thread->m_hStarted);

    int exitCode = thread->InitInstance() ? thread->Run() : thread->ExitInstance();
    AfxEndThread(static_cast<UINT>(exitCode), TRUE);
    return static_cast<unsigned>(exitCode);
}

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES security)
{
    m_hStarted = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_hStarted)
        return FALSE;
    unsigned id = 0;
    m_hThread = reinterpret_cast<HANDLE>(
        _beginthreadex(security, stackSize, &ThreadEntry, this, createFlags | CREATE_SUSPENDED, &id));
    if (!m_hThread)
        return FALSE;
    m_nThreadID = id;
    if (!(createFlags & CREATE_SUSPENDED))
        ResumeThread();
    return TRUE;
}

DWORD CWinThread::ResumeThread()
{
    // The resume that lets the thread run returns once it can take posted
    // messages. The wait is on a copy of the start event: the running thread
    // may end and delete this object (and its event) at any time.
    HANDLE started = nullptr;
    if (m_hStarted)
        ::DuplicateHandle(::GetCurrentProcess(), m_hStarted, ::GetCurrentProcess(), &started, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
    DWORD previous = ::ResumeThread(m_hThread);
    if (started) {
        if (previous == 1)
            ::WaitForSingleObject(started, INFINITE);
        ::CloseHandle(started);
    }
    return previous;
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::ExitInstance()
{
    return 0;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg)
{
    if (!msg->hwnd) {
        LRESULT result = 0;
        return DispatchMapMessage(msg->message, 0, 0, msg->message, msg->wParam, msg->lParam, &result);
    }
    return AfxPreTranslateMessage(msg);
}

BOOL CWinThread::OnIdle(LONG)
{
    AfxDeleteTempMaps();
    return FALSE;
}

int CWinThread::Run()
{
    MSG msg;
    LONG idleCount = 0;
    for (;;) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (OnIdle(idleCount++))
                continue;
            ::WaitMessage();
            continue;
        }
        if (!::GetMessageW(&msg, nullptr, 0, 0))
            return ExitInstance();
        idleCount = 0;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

CWinThread* AfxBeginThread(const CRuntimeClass* threadClass, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security)
{
    CWinThread* thread = dynamic_cast<CWinThread*>(threadClass->CreateObject());
    if (!thread)
        return nullptr;
    // The priority is set while the thread is held: once running it may end
    // and delete its object.
    if (!thread->CreateThread(createFlags | CREATE_SUSPENDED, stackSize, security)) {
        thread->Delete();
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(createFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}

void AfxEndThread(UINT exitCode, BOOL deleteThread)
{
    CWinThread* thread = CWinThread::GetCurrent();
    AfxDeleteTempMaps();
    if (thread && deleteThread)
        thread->Delete();
    CWinThread::SetCurrent(nullptr);
    _endthreadex(exitCode);
}
