#pragma once
// The worker: a user-interface thread that owns the drive list, the current
// drive and the SMART store, and carries out one device operation at a time
// as requests (WM_SSDOP_*, SSDOpMessages.h) reach it. It answers the main
// window with window messages.
//
// Files of the class:
//   SSDOpThread.cpp          life, reset, reporting, locks, message map
//   SSDOpThreadScan.cpp      the drive scans (run on the window's thread)
//   SSDOpThreadOps.cpp       selection, refresh and the single-command requests
//   SSDOpThreadDump.cpp      the debug dump
//   SSDOpThreadLlf.cpp       low-level-format request, configuration, sequence
//   SSDOpThreadLlfSteps.cpp  the further low-level-format steps
//   SSDOpThreadFirmware.cpp  firmware download
//
// Threads and locks. The window's thread runs the constructor, the scan
// (FindVnSSD) and the clock-mode switch (OnSwitchSpeed) and reads the drive
// list, the current drive and the SMART store for its pages; the worker runs
// every other handler. Two locks keep them apart:
//
// - m_operationLock (a kernel mutex) is held by the worker around each
//   request, and by the window's thread around the scan (the synchronous
//   WM_SSDOP_DEVICE_LIST_READY included) and the switch, so a scan never runs
//   inside a request and a request queued before a rescan looks the current
//   drive up only when it runs. Every handler takes it first thing through an
//   OperationLock. The window's thread waits for it in a loop that keeps
//   dispatching its messages (painting, timers, the worker's answers), so a
//   rescan asked for during a low-level format of minutes does not freeze the
//   window; a second scan or switch asked for from inside that wait is
//   refused (the OperationLock is then not held and the caller returns).
//   Closing the window inside that wait (PostQuit) ends the wait at once,
//   without the lock: from then on the worker may end and delete itself, so
//   the waiting scan or switch touches nothing of it and does not run.
// - m_stateLock (a critical section) guards the drive list, the current
//   drive, the drive fields that pages read and the SMART store. Writers take
//   it briefly; every page reader holds a StateLock while it reads. Nobody
//   holds it while a drive answers: the worker reads a drive into buffers of
//   its own and takes the lock only to store the result, so a slow drive
//   never holds up a page (and so the window).
//
// Lock order: the operation lock before the state lock; nobody waits for the
// operation lock while holding the state lock. The worker never sends to
// the window (it only posts), so it never waits for the window's thread.
//
// Closing: PostQuit marks the worker as ending before it posts WM_SSDOP_QUIT.
// A request that has not started by then is dropped (one debug line), so no
// maintenance operation starts with nobody left to see it, and no request
// reads a page's path buffer once the pages may be gone. The request that
// runs ends as it would; the quit then ends the thread.

#include <windows.h>
#include <cfgmgr32.h>

#include "CArray.h"
#include "CCriticalSection.h"
#include "CMutex.h"
#include "CString.h"
#include "CWinThread.h"
#include "IniFile.h"
#include "SSDOpMessages.h"
#include "SmartStore.h"
#include "VntSSD.h"

class CWnd;

class CSSDOpThread : public CWinThread {
    DECLARE_DYNCREATE(CSSDOpThread)

public:
    CSSDOpThread();
    ~CSSDOpThread() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Holds the operation lock for a scope. On the worker's own thread it
    // waits plainly; on any other thread it keeps that thread's messages
    // flowing while it waits, and gives up (Acquired() FALSE) when that
    // thread is already inside such a wait or closes the window during it.
    class OperationLock {
    public:
        explicit OperationLock(CSSDOpThread* thread);
        // A request's hold, on the worker's thread: the request starts only
        // while the window has not asked the worker to end, and its path
        // argument (a page's buffer) is copied into `pathCopy` first, while
        // the page surely exists. A dropped request is not acquired and
        // leaves one debug line naming `method`.
        OperationLock(CSSDOpThread* thread, LPCWSTR method, WPARAM path = 0, CString* pathCopy = nullptr);
        ~OperationLock();
        OperationLock(const OperationLock&) = delete;
        OperationLock& operator=(const OperationLock&) = delete;
        BOOL Acquired() const { return m_acquired; }
        void Release();
        // TRUE while the calling thread waits for some worker's operation
        // lock: a scan or switch asked for now would be refused.
        static BOOL IsWaiting();

    private:
        void WaitDispatching();
        static BOOL DispatchWaitingMessages(int* quitCode);
        CSSDOpThread* m_thread;
        BOOL m_acquired;
    };

    // Held by a page (or any reader on the window's thread) while it reads
    // the drive list, the current drive, a drive's fields or m_smartInfo.
    class StateLock {
    public:
        explicit StateLock(CSSDOpThread* thread) : m_thread(thread) { m_thread->m_stateLock.Lock(); }
        ~StateLock() { m_thread->m_stateLock.Unlock(); }
        StateLock(const StateLock&) = delete;
        StateLock& operator=(const StateLock&) = delete;

    private:
        CSSDOpThread* m_thread;
    };

    // Life and reporting.
    // The window's close: requests not yet started are dropped, a wait of the
    // calling thread for this worker gives up, and WM_SSDOP_QUIT is posted.
    // Called on the window's thread; afterwards the caller must not touch the
    // worker again (it may end and delete itself at any moment).
    BOOL PostQuit();
    void OnQuitThread(WPARAM, LPARAM);
    void Reset();
    void PostInfoMessage(int kind, LPCWSTR format, ...);
    void SetProgress(int percent);
    // NULL while the list is empty, else the entry at m_curDeviceIndex (also
    // before the selection is handled). Read it under a StateLock.
    VntSSD* GetCurrentDevice();

    // Scan (window's thread).
    BOOL FindVnSSD();
    UINT ScanDevice();
    UINT ScanNewNvmeDevice();
    UINT ScanSataDevice();

    // Selection, refresh and the single-command requests.
    void OnSelectDevice(WPARAM index, LPARAM);
    void OnRefreshDevice(WPARAM, LPARAM);
    void OnReadSmart(WPARAM, LPARAM);
    void OnGetWriteCache(WPARAM, LPARAM);
    void OnSetWriteCache(WPARAM, LPARAM);
    void OnReadFlashId(WPARAM, LPARAM);
    void OnFormatNand(WPARAM, LPARAM);
    void OnSwitchSpeed(WPARAM, LPARAM); // window's thread

    // Debug dump.
    void OnDumpDebugInfo(WPARAM folder, LPARAM);
    BOOL DumpGlobalVariable(CString path);
    BOOL DumpEraseCount(CString path);
    BOOL DumpFwPrintByBlock(CString path);
    BOOL DumpFwPrintByLba(CString path);
    BOOL DumpLlfSsdInfo(CString path);

    // ---- Low-level format and firmware download --------------------------
    // (SSDOpThreadLlf.cpp, SSDOpThreadLlfSteps.cpp, SSDOpThreadFirmware.cpp)
    // Their handlers take an OperationLock first, like every other handler.
    void OnLowLevelFormat(WPARAM folder, LPARAM);
    BOOL LoadLlfConfig(CString folder);
    BOOL LowLevelFormat();
    BOOL SwitchToLlfMode();
    BOOL LoadConfigureFile();
    BOOL SetConfigure();
    BOOL DoLlf();
    BOOL ResetDevice();
    int CheckResponse(const BYTE* response, UINT length, UINT* progress);
    BOOL SaveLlfResponse(const void* data, UINT length);
    // Sizes are 64-bit: a file of 4 GiB or more must not pass for a small one.
    BOOL GetFileLength(CString& path, ULONGLONG* size);
    BOOL ReadFileData(CString path, void* buffer, UINT size);
    BOOL CompareBlock(const void* a, const void* b, int length);

    void OnUpdateFw(WPARAM path, LPARAM);
    BOOL UpdateFw(CString filePath);
    BOOL UpdateFwForVX1200(CString folder);

    BOOL CheckLlfMode();
    BOOL SetLlfTag();
    BOOL DownloadBanka1();
    BOOL DownloadSpi();
    BOOL EraseNandFlash();
    BOOL SelfTest();
    BOOL SwitchToNormalMode();
    BOOL ResetDeviceByReenable();
    BOOL DisableEnableDevice(DEVINST devInst, BOOL enable);
    BOOL LowLevelFormatWithLlfCode();

private:
    // One step of a low-level-format sequence: the status shown while it runs
    // and the result shown when it fails.
    struct LlfStep {
        LPCWSTR status;
        BOOL (CSSDOpThread::*run)();
        LPCWSTR failure;
    };
    // How a poll of the controller's response ended.
    enum LlfPollOutcome { LLF_POLL_FINISHED, LLF_POLL_ERROR, LLF_POLL_TIMEOUT, LLF_POLL_READ_FAIL };
    // Size of an image file (completed by the pattern search); FALSE, with the
    // step's check text logged, when it is missing, empty or too large for
    // the controller's address space from `address` on.
    BOOL CheckImageFile(const CString& header, CString& path, LPCWSTR checkText, DWORD address, ULONGLONG* size);
    // Reads the file into a zeroed buffer of whole 512-byte blocks and writes
    // it in blocks of `blockSize` from `address`, reading each back and
    // comparing; the progress runs from 0 to `span`. The drive is open.
    BOOL WriteImageBlocks(VntSSD* device, const CString& header, const CString& path, ULONGLONG size, DWORD address,
                          UINT blockSize, int span, BOOL pauseBeforeReadBack);
    // Polls the response block up to `limit` times, `intervalMs` apart; while
    // the controller works the progress is base + percent * span / 100.
    LlfPollOutcome PollLlfResponse(VntSSD* device, const CString& header, int limit, DWORD intervalMs, BYTE* block,
                                   BOOL saveOnError, int progressBase, int progressSpan, BOOL logProgress);
    void LogPollFailure(const CString& header, LlfPollOutcome outcome, const BYTE* block);
    // The jobs the controller runs on its own once started, reporting through
    // the response block.
    enum LlfJob { LLF_JOB_INIT, LLF_JOB_ERASE_NAND, LLF_JOB_SELF_TEST };
    // Opens the drive, starts `job` and polls its response up to `polls` times
    // a second apart; logs the poll's failure, or Pass when `logPass`; then
    // closes the drive and resets the progress.
    BOOL RunLlfJob(const CString& header, LlfJob job, int polls, BOOL saveOnError, BOOL logPass);
    // The library call that starts `job`; its failure is logged.
    BOOL StartLlfJob(VntSSD* device, const CString& header, LlfJob job);
    // What a download step does once its image is written, the drive still open.
    typedef BOOL (CSSDOpThread::*LlfAfterDownload)(VntSSD* device, const CString& header);
    // Checks the image file, opens the drive, writes the image in 512-byte
    // blocks from `address` (progress 0 to `span`) and runs `then`; then
    // closes the drive and resets the progress.
    BOOL DownloadLlfImage(const CString& header, CString path, LPCWSTR checkText, DWORD address, int span,
                          LlfAfterDownload then);
    BOOL LogLlfPass(VntSSD* device, const CString& header);
    BOOL StartLlfAll(VntSSD* device, const CString& header);
    BOOL AwaitLlfAll(VntSSD* device, const CString& header);
    BOOL WriteSpiTag(VntSSD* device, const CString& header);
    BOOL RestartByReenable(const CString& header, int waitSeconds);
    BOOL SendSingleImage(const CString& filePath, BYTE* image);
    BOOL SendFiveFileImage(const CString* paths, const ULONGLONG* sizes);
    BOOL SendAssembledImage(BYTE* image, UINT total);

public:
    // ---- end of low-level format and firmware download -------------------

    // The drive a request works on: the current drive, or NULL when no drive
    // is listed or none has been selected yet. Requests use it, never a
    // pointer kept from an earlier request.
    VntSSD* GetRequestDevice() const { return m_deviceCount != 0 ? m_pCurDevice : nullptr; }

    CWnd* m_pMainDlg;
    WCHAR m_msgBuffer[1024];
    UINT m_nvmeScanCount;
    UINT m_sataScanCount;
    UINT m_nvmeDevInsts[256];
    UINT m_sataDevInsts[256];
    UINT m_ahciFlags[256];
    CArray<VntSSD*> m_deviceList;
    VntSSD* m_pCurDevice;
    UINT m_deviceCount;
    UINT m_curDeviceIndex;
    SmartStore m_smartInfo;
    CIniFile m_configIni;
    CString m_llfResPathStr;
    // Low-level-format parameters (from the folder's "config.ini").
    int m_dlSpi;
    UINT m_llfStep;
    UINT m_stepDelayMs;
    int m_llfPollCount;
    int m_llfAllTimeout;
    int m_pollIntervalMs;
    int m_selfTestTimeout;
    int m_llfInitTimeout;
    int m_resetDeviceTimeout;
    int m_llfToNormalTimeout;
    BYTE m_fcTestItem;
    BYTE m_fcScanBlkNum;
    int m_setFlashType;
    UINT m_flashType;

    // The handle of m_pMainDlg's window, taken when m_pMainDlg is: answers go
    // to the handle, so a window object destroyed meanwhile is never touched.
    HWND m_hMainWnd;
    CMutex m_operationLock;
    CCriticalSection m_stateLock;
    // Set by PostQuit under m_quitGate; a request checks it, and copies its
    // path argument, under the same gate.
    CCriticalSection m_quitGate;
    BOOL m_quitRequested;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void TakeMainWindow();
    // FALSE (with the debug line) when the worker is asked to end: the
    // request named `method` is dropped. Otherwise copies the path argument.
    BOOL AdmitRequest(LPCWSTR method, WPARAM path, CString* pathCopy);
    BOOL PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam);
    void RefreshCurrentDevice();
    BOOL DumpArea(CString path, UINT size, DWORD start, BOOL byLba);

private:
    // The refresh's and the re-read's device work, done without the state
    // lock; the lock guards only the storing of what the drive answered.
    void RefreshNvmeSmart(VntSSD* drive);
    void RefreshAtaSmart(BYTE diskNum);
};
