#include "Kestrova.h"

#include "Afx.h"
#include "KestrovaDlg.h"
#include "Trace.h"
#include "define.h"
#include "resource.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CKestrovaApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

// The one application object: built before the framework's entry runs.
CKestrovaApp theApp;

CKestrovaApp::CKestrovaApp() : CWinApp(nullptr), m_pMainDlg(nullptr), m_gdiplusInit(false)
{
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
}

CWnd* CKestrovaApp::GetMainDlgWnd() const
{
    return m_pMainDlg;
}

BOOL CKestrovaApp::InitInstance()
{
    // The result box shows its text in a rich edit 2.0 control.
    AfxInitRichEdit2();

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();

    if (!AfxSocketInit()) {
        AfxMessageBox(IDP_SOCKETS_INIT_FAILED);
        return FALSE;
    }

    AfxEnableControlContainer();
    CShellManager* shellManager = new CShellManager;
    CMFCVisualManager::SetDefaultManager(RUNTIME_CLASS(CMFCVisualManagerWindows));
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    m_gdiplusInit.Initialize();
    m_configIni.Load();
    InitDebugLog();

    {
        CKestrovaDlg dlg;
        m_pMainDlg = &dlg;
        INT_PTR result = dlg.DoModal();
        if (result == -1) {
            // Debugger output only: the debug log is for the drive's story.
            TRACE(L"GetLastError: %d\n", ::GetLastError());
            TRACE(L"Warning: dialog creation failed, so application is terminating unexpectedly.\n");
            TRACE(L"Warning: if you are using MFC controls on the dialog, you cannot #define "
                  L"_AFX_NO_MFC_CONTROLS_IN_DIALOGS.\n");
        }
        // The window object ends with this block; nobody may reach it through
        // the application object afterwards (the worker may still be running).
        m_pMainDlg = nullptr;
    }

    delete shellManager;
    // No message loop of the application's own: the program ends here.
    return FALSE;
}

int CKestrovaApp::ExitInstance()
{
    // Each of these accepts a service that was never started: the exit also
    // runs after a failed start-up.
    m_gdiplusInit.Deinitialize();
    m_configIni.Release();
    CloseDebugLog();
    return CWinApp::ExitInstance();
}
