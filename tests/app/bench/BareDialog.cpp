// The yardstick of the start-up benchmark: the smallest program the framework
// makes, an application object that runs one dialog from a template.

#include "Afx.h"
#include "BareDialog.h"

class CBareApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        CWinApp::InitInstance();
        CDialog dialog(IDD_BARE_DIALOG);
        dialog.DoModal();
        return FALSE;
    }
};

CBareApp theBareApp;
