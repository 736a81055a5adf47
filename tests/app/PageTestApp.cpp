// The application object of the in-process page tests: the pages find the
// main window through it, as they do in the program.

#include "Kestrova.h"
#include "KestrovaDlg.h"

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
    return m_pMainDlg;
}

CKestrovaApp theApp;
