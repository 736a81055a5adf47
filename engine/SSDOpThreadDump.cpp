#include "SSDOpThread.h"

void CSSDOpThread::OnDumpDebugInfo(WPARAM, LPARAM) {}
BOOL CSSDOpThread::DumpGlobalVariable(CString)
{
    return FALSE;
}
BOOL CSSDOpThread::DumpEraseCount(CString)
{
    return TRUE;
}
BOOL CSSDOpThread::DumpFwPrintByBlock(CString)
{
    return FALSE;
}
BOOL CSSDOpThread::DumpFwPrintByLba(CString)
{
    return FALSE;
}
BOOL CSSDOpThread::DumpLlfSsdInfo(CString)
{
    return FALSE;
}
