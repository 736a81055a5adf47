#include "CProgressCtrl.h"

IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

BEGIN_MESSAGE_MAP(CProgressCtrl, CWnd)
END_MESSAGE_MAP()
