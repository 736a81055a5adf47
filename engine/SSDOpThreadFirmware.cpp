#include "SSDOpThread.h"

// Placeholders until the firmware download lands.
void CSSDOpThread::OnUpdateFw(WPARAM, LPARAM)
{
    OperationLock operation(this);
    if (!GetRequestDevice())
        PostInfoMessage(INFO_KIND_RESULT, L"No device!");
}
BOOL CSSDOpThread::UpdateFw(CString)
{
    return FALSE;
}
BOOL CSSDOpThread::UpdateFwForVX1200(CString)
{
    return FALSE;
}
