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
        // A code no other ending gives (a program whose Wine server is lost
        // ends with 0): it shows that the exit code is this function's.
        return initRan && sawItself && base == 0 ? 42 : 1;
    }
};

TestApp theApp;

} // namespace
