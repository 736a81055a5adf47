#include "SSDOpThread.h"

#include <cstdarg>

#include "CWnd.h"
#include "Kestrova.h"
#include "WideFormat.h"
#include "define.h"

IMPLEMENT_DYNCREATE(CSSDOpThread, CWinThread)

namespace {
// The wait of a thread other than the worker for the operation lock, while
// it keeps its messages flowing. PostQuit on that thread marks it abandoned.
struct OperationWait {
    CSSDOpThread* worker;
    bool abandoned;
};
thread_local OperationWait* t_operationWait = nullptr;
} // namespace

BEGIN_MESSAGE_MAP(CSSDOpThread, CWinThread)
ON_THREAD_MESSAGE(WM_SSDOP_QUIT, OnQuitThread)
ON_THREAD_MESSAGE(WM_SSDOP_REFRESH_DEVICE, OnRefreshDevice)
ON_THREAD_MESSAGE(WM_SSDOP_SELECT_DEVICE, OnSelectDevice)
ON_THREAD_MESSAGE(WM_SSDOP_UPDATE_FW, OnUpdateFw)
ON_THREAD_MESSAGE(WM_SSDOP_LOW_LEVEL_FORMAT, OnLowLevelFormat)
ON_THREAD_MESSAGE(WM_SSDOP_DUMP_DEBUG_INFO, OnDumpDebugInfo)
ON_THREAD_MESSAGE(WM_SSDOP_FORMAT_NAND, OnFormatNand)
ON_THREAD_MESSAGE(WM_SSDOP_READ_SMART, OnReadSmart)
ON_THREAD_MESSAGE(WM_SSDOP_GET_WRITE_CACHE, OnGetWriteCache)
ON_THREAD_MESSAGE(WM_SSDOP_SET_WRITE_CACHE, OnSetWriteCache)
ON_THREAD_MESSAGE(WM_SSDOP_READ_FLASH_ID, OnReadFlashId)
ON_THREAD_MESSAGE(WM_SSDOP_SWITCH_SPEED, OnSwitchSpeed)
END_MESSAGE_MAP()

CSSDOpThread::CSSDOpThread() : m_pMainDlg(nullptr), m_hMainWnd(nullptr), m_quitRequested(FALSE)
{
    m_llfStep = 0;
    Reset();
}

CSSDOpThread::~CSSDOpThread() {}

BOOL CSSDOpThread::InitInstance()
{
    return TRUE;
}

int CSSDOpThread::ExitInstance()
{
    return CWinThread::ExitInstance();
}

// ---- operation lock -------------------------------------------------------

CSSDOpThread::OperationLock::OperationLock(CSSDOpThread* thread) : m_thread(thread), m_acquired(FALSE)
{
    DWORD self = ::GetCurrentThreadId();
    if (self == m_thread->m_nThreadID) {
        m_acquired = m_thread->m_operationLock.Lock();
        return;
    }
    // Free, or already this thread's (a call nested inside a scan): taken at once.
    if (::WaitForSingleObject(m_thread->m_operationLock.m_hObject, 0) != WAIT_TIMEOUT) {
        m_acquired = TRUE;
        return;
    }
    // A second scan or switch asked for from inside this thread's wait (a
    // click handled meanwhile): refused; the first one still runs when its
    // turn comes.
    if (t_operationWait)
        return;
    WaitDispatching();
}

CSSDOpThread::OperationLock::OperationLock(CSSDOpThread* thread, LPCWSTR method, WPARAM path, CString* pathCopy)
    : m_thread(thread), m_acquired(FALSE)
{
    if (!m_thread->AdmitRequest(method, path, pathCopy))
        return;
    m_acquired = m_thread->m_operationLock.Lock();
    // The window's thread may have held the lock for a scan or switch, and
    // the window may have closed meanwhile.
    if (m_acquired && !m_thread->AdmitRequest(method, 0, nullptr))
        Release();
}

BOOL CSSDOpThread::OperationLock::IsWaiting()
{
    return t_operationWait != nullptr;
}

// Waits for the lock while dispatching this thread's messages. A close
// handled meanwhile (PostQuit) abandons the wait: the worker may end and
// delete itself as soon as the quit is posted, so nothing of it (its lock's
// handle included) is touched again and the lock is not taken.
void CSSDOpThread::OperationLock::WaitDispatching()
{
    OperationWait wait = {m_thread, false};
    HANDLE lock = m_thread->m_operationLock.m_hObject;
    t_operationWait = &wait;
    bool quitSeen = false;
    int quitCode = 0;
    for (;;) {
        // MWMO_INPUTAVAILABLE: messages already in the queue when this thread
        // last looked (a close clicked just before the rescan was taken) wake
        // the wait too, not only those that arrive from now on.
        DWORD result = ::MsgWaitForMultipleObjectsEx(1, &lock, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) {
            m_acquired = TRUE;
            break;
        }
        if (result != WAIT_OBJECT_0 + 1)
            break;
        if (!DispatchWaitingMessages(&quitCode))
            quitSeen = true;
        if (wait.abandoned)
            break;
    }
    t_operationWait = nullptr;
    if (quitSeen)
        ::PostQuitMessage(quitCode);
}

// The messages that reached the window's thread while it waits: painted,
// timed and answered as the thread's own loop would. A WM_QUIT is kept for
// that loop (FALSE, with its code) and put back once the wait is over.
BOOL CSSDOpThread::OperationLock::DispatchWaitingMessages(int* quitCode)
{
    MSG msg;
    BOOL noQuit = TRUE;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            *quitCode = static_cast<int>(msg.wParam);
            noQuit = FALSE;
            continue;
        }
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return noQuit;
}

CSSDOpThread::OperationLock::~OperationLock()
{
    Release();
}

void CSSDOpThread::OperationLock::Release()
{
    if (m_acquired) {
        m_acquired = FALSE;
        m_thread->m_operationLock.Unlock();
    }
}

// ---- life and reporting ---------------------------------------------------

BOOL CSSDOpThread::PostQuit()
{
    m_quitGate.Lock();
    m_quitRequested = TRUE;
    m_quitGate.Unlock();
    if (t_operationWait && t_operationWait->worker == this)
        t_operationWait->abandoned = true;
    return PostThreadMessage(WM_SSDOP_QUIT, 0, 0);
}

BOOL CSSDOpThread::AdmitRequest(LPCWSTR method, WPARAM path, CString* pathCopy)
{
    m_quitGate.Lock();
    BOOL admitted = !m_quitRequested;
    if (admitted && pathCopy)
        *pathCopy = path ? reinterpret_cast<LPCWSTR>(path) : L"";
    m_quitGate.Unlock();
    if (!admitted)
        DebugPrint(L"%s -> Not started: the window is closing\n", method);
    return admitted;
}

void CSSDOpThread::OnQuitThread(WPARAM, LPARAM)
{
    OperationLock operation(this);
    Reset();
    // Released before the thread ends, so a waiting scan is not handed an
    // abandoned lock.
    operation.Release();
    AfxEndThread(0, TRUE);
}

void CSSDOpThread::TakeMainWindow()
{
    CKestrovaApp* app = static_cast<CKestrovaApp*>(AfxGetApp());
    m_pMainDlg = app ? app->GetMainDlgWnd() : nullptr;
    // The handle is read on the window's own thread (the scan's), where the
    // window object surely exists. The worker's reset at quit keeps the handle
    // it has: by then the window object may be gone.
    if (::GetCurrentThreadId() != m_nThreadID)
        m_hMainWnd = m_pMainDlg ? m_pMainDlg->m_hWnd : nullptr;
}

void CSSDOpThread::Reset()
{
    TakeMainWindow();
    ZeroMemory(m_msgBuffer, sizeof(m_msgBuffer));
    {
        StateLock state(this);
        m_curDeviceIndex = 0;
        m_deviceCount = 0;
        INT_PTR size = m_deviceList.GetSize();
        for (INT_PTR i = 0; i < size; ++i) {
            if (m_deviceList[i]) {
                delete m_deviceList[i];
                m_deviceList[i] = nullptr;
            }
        }
        m_deviceList.RemoveAll();
        m_pCurDevice = nullptr;
    }
    m_nvmeScanCount = 0;
    m_sataScanCount = 0;
    ZeroMemory(m_nvmeDevInsts, sizeof(m_nvmeDevInsts));
    ZeroMemory(m_sataDevInsts, sizeof(m_sataDevInsts));
    ZeroMemory(m_ahciFlags, sizeof(m_ahciFlags));
    m_dlSpi = 0;
    m_llfStep = 0;
    m_stepDelayMs = 0;
    m_llfPollCount = 0;
    m_llfAllTimeout = 0;
    m_pollIntervalMs = 0;
    m_selfTestTimeout = 0;
    m_llfInitTimeout = 0;
    m_resetDeviceTimeout = 0;
    m_llfToNormalTimeout = 0;
    m_fcTestItem = 0;
    m_fcScanBlkNum = 0;
    m_setFlashType = 0;
    m_flashType = 0;
}

BOOL CSSDOpThread::PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hMainWnd)
        return FALSE;
    return ::PostMessageW(m_hMainWnd, message, wParam, lParam);
}

void CSSDOpThread::PostInfoMessage(int kind, LPCWSTR format, ...)
{
    ZeroMemory(m_msgBuffer, sizeof(m_msgBuffer));
    va_list args;
    va_start(args, format);
    FormatWideV(m_msgBuffer, 1023, format, args);
    va_end(args);
    // Each message carries its own copy: the next text may be formatted
    // before the window has read this one.
    size_t length = wcslen(m_msgBuffer);
    LPARAM copy = reinterpret_cast<LPARAM>(SSDOpCopyBlock(m_msgBuffer, (length + 1) * sizeof(WCHAR)));
    if (!copy)
        return;
    if (!PostToMainWindow(WM_SSDOP_INFO_MESSAGE, static_cast<WPARAM>(static_cast<INT_PTR>(kind)), copy))
        SSDOpFreeText(copy);
}

void CSSDOpThread::SetProgress(int percent)
{
    DebugPrint(L"SetProgress: %d\n", percent);
    PostToMainWindow(WM_SSDOP_PROGRESS, static_cast<WPARAM>(static_cast<INT_PTR>(percent)), 0);
}

VntSSD* CSSDOpThread::GetCurrentDevice()
{
    if (m_deviceList.GetSize() == 0)
        return nullptr;
    if (m_curDeviceIndex >= static_cast<UINT>(m_deviceList.GetSize()))
        return nullptr;
    return m_deviceList[m_curDeviceIndex];
}
