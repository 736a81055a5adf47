#include "EngineTestApp.h"

#include "Kestrova.h"

CWnd* g_engineTestMainWnd = nullptr;

BEGIN_MESSAGE_MAP(CKestrovaApp, CWinApp)
END_MESSAGE_MAP()

CKestrovaApp::CKestrovaApp() : m_pMainDlg(nullptr), m_gdiplusInit(false) {}

BOOL CKestrovaApp::InitInstance()
{
    return FALSE;
}

int CKestrovaApp::ExitInstance()
{
    return CWinApp::ExitInstance();
}

CWnd* CKestrovaApp::GetMainDlgWnd() const
{
    return g_engineTestMainWnd;
}

CKestrovaApp theApp;
