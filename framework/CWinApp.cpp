// Sockets first: the platform wants winsock2.h before windows.h.
#include <winsock2.h>

#include "CWinApp.h"

#include "AfxMessageBox.h"
#include "AfxResource.h"
#include "CWnd.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)
IMPLEMENT_DYNAMIC(CMFCVisualManagerWindows, CObject)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

static CWinApp* g_app = nullptr;

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    CWinThread* thread = AfxGetThread();
    return thread ? thread->m_pMainWnd : nullptr;
}

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName)
{
    // The application object is static: it exists before the entry point runs.
    g_app = this;
    m_bAutoDelete = FALSE;
    if (appName)
        AfxSetAppName(appName);
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
    // The main thread's handle belongs to the process, not to this object.
    m_hThread = nullptr;
}

BOOL CWinApp::InitApplication()
{
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

void CWinApp::SetRegistryKey(LPCWSTR key)
{
    m_registryKey = key ? key : L"";
    m_pszRegistryKey = m_registryKey;
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
}

void CWinApp::OnHelp() {}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int cmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = cmdLine;
    app->m_nCmdShow = cmdShow;
    app->m_nThreadID = ::GetCurrentThreadId();
    CWinThread::SetCurrent(app);
    if (!app->m_pszAppName)
        app->m_pszAppName = AfxGetAppName();

    int exitCode;
    if (!app->InitApplication() || !app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        exitCode = app->ExitInstance();
    } else {
        exitCode = app->Run();
    }
    CWinThread::SetCurrent(nullptr);
    return exitCode;
}

void AfxEnableControlContainer() {}

BOOL AfxSocketInit(void* wsaData)
{
    static WSADATA data;
    static int started = ::WSAStartup(MAKEWORD(2, 2), &data);
    if (started != 0)
        return FALSE;
    if (wsaData)
        *static_cast<WSADATA*>(wsaData) = data;
    return TRUE;
}
