// A framework program's start and end: the entry point finds the static
// application object, runs InitInstance and, when it returns FALSE, goes
// straight to ExitInstance, whose result is the exit code.

#include "Afx.h"

namespace {

class TestApp : public CWinApp {
public:
    bool initRan = false;
    bool sawItself = false;

    BOOL InitInstance() override
    {
        CWinApp::InitInstance();
        initRan = true;
        sawItself = AfxGetApp() == this && AfxGetThread() == this && m_hInstance == ::GetModuleHandleW(nullptr);
        return FALSE;
    }
    int ExitInstance() override
    {
        int base = CWinApp::ExitInstance();
        return initRan && sawItself && base == 0 ? 0 : 1;
    }
};

TestApp theApp;

} // namespace
