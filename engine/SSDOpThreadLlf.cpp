#include "SSDOpThread.h"

// Placeholders until the low-level format lands.
void CSSDOpThread::OnLowLevelFormat(WPARAM, LPARAM)
{
    OperationLock operation(this);
    if (!GetRequestDevice())
        PostInfoMessage(INFO_KIND_RESULT, L"No device!");
}
BOOL CSSDOpThread::LoadLlfConfig(CString)
{
    return TRUE;
}
BOOL CSSDOpThread::LowLevelFormat()
{
    return FALSE;
}
BOOL CSSDOpThread::SwitchToLlfMode()
{
    return FALSE;
}
BOOL CSSDOpThread::LoadConfigureFile()
{
    return FALSE;
}
BOOL CSSDOpThread::SetConfigure()
{
    return FALSE;
}
BOOL CSSDOpThread::DoLlf()
{
    return FALSE;
}
BOOL CSSDOpThread::ResetDevice()
{
    return FALSE;
}
int CSSDOpThread::CheckResponse(const BYTE*, UINT, UINT*)
{
    return 1;
}
BOOL CSSDOpThread::SaveLlfResponse(const void*, UINT)
{
    return FALSE;
}
BOOL CSSDOpThread::GetFileLength(CString&, UINT*)
{
    return FALSE;
}
BOOL CSSDOpThread::ReadFileData(CString, void*, UINT)
{
    return FALSE;
}
BOOL CSSDOpThread::CompareBlock(const void*, const void*, int)
{
    return FALSE;
}
