#include "SSDOpThread.h"

// Placeholders until the firmware download lands.
void CSSDOpThread::OnUpdateFw(WPARAM, LPARAM) {}
BOOL CSSDOpThread::UpdateFw(CString)
{
    return FALSE;
}
BOOL CSSDOpThread::UpdateFwForVX1200(CString)
{
    return FALSE;
}
