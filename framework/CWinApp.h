#pragma once
// The application object: one static object of a class derived from
// CWinApp; the framework's entry point (AfxWinMain) runs its InitInstance,
// then its message loop when InitInstance returns TRUE, then ExitInstance.

#include "CString.h"
#include "CWinThread.h"

#define AFX_RESTART_MANAGER_SUPPORT_RESTART 0x01

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)

public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    LPCWSTR m_pszAppName = nullptr;
    LPCWSTR m_pszRegistryKey = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    DWORD m_dwRestartManagerSupportFlags = 0;

    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Settings go under HKEY_CURRENT_USER\Software\<key>\<application name>.
    void SetRegistryKey(LPCWSTR key);
    HICON LoadIcon(UINT id) const;
    void OnHelp();

protected:
    DECLARE_MESSAGE_MAP()

private:
    CString m_registryKey;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The framework's entry: the program's WinMain calls it (framework_entry).
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR cmdLine, int cmdShow);

// Framework services the application starts; the program needs no more of
// them than these stand-ins give.
void AfxEnableControlContainer();
BOOL AfxSocketInit(void* wsaData = nullptr);

class CShellManager : public CObject {};

class CMFCVisualManager : public CObject {
public:
    static void SetDefaultManager(const CRuntimeClass* managerClass) { DefaultManager() = managerClass; }
    static const CRuntimeClass*& DefaultManager()
    {
        static const CRuntimeClass* manager = nullptr;
        return manager;
    }
};

class CMFCVisualManagerWindows : public CMFCVisualManager {
    DECLARE_DYNAMIC(CMFCVisualManagerWindows)
};
