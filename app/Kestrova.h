#pragma once
// The application object: starts the framework and support services, runs
// the main window modally and shuts the services down again.
//
// Its definitions (Kestrova.cpp, with `theApp`) belong to the program's
// executable, not to a library: nothing in a library refers to theApp by
// name, so an object file in a static library would never be linked.
// Libraries that need the main window (the worker in engine/) include this
// header only and reach the window through AfxGetApp() and GetMainDlgWnd;
// they link nothing of app/. Test executables of such a library define the
// members of CKestrovaApp themselves.

#include "CWinApp.h"
#include "ConfigIni.h"
#include "GDIpInitializer.h"

class CKestrovaDlg;
class CWnd;

class CKestrovaApp : public CWinApp {
public:
    CKestrovaApp();

    ConfigIni m_configIni;
    CKestrovaDlg* m_pMainDlg;
    CGDIpInitializer m_gdiplusInit;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // m_pMainDlg as the window it is (NULL while there is none). Defined
    // beside the application object, where CKestrovaDlg is a complete
    // class, so that the worker and the pages need only this header.
    CWnd* GetMainDlgWnd() const;

protected:
    DECLARE_MESSAGE_MAP()
};

extern CKestrovaApp theApp;
