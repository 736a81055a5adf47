#include "SSDOpThread.h"

// Placeholders until the further low-level-format steps land.
BOOL CSSDOpThread::CheckLlfMode()
{
    return FALSE;
}
BOOL CSSDOpThread::SetLlfTag()
{
    return FALSE;
}
BOOL CSSDOpThread::DownloadBanka1()
{
    return FALSE;
}
BOOL CSSDOpThread::DownloadSpi()
{
    return FALSE;
}
BOOL CSSDOpThread::EraseNandFlash()
{
    return FALSE;
}
BOOL CSSDOpThread::SelfTest()
{
    return FALSE;
}
BOOL CSSDOpThread::SwitchToNormalMode()
{
    return FALSE;
}
BOOL CSSDOpThread::ResetDeviceByReenable()
{
    return FALSE;
}
BOOL CSSDOpThread::DisableEnableDevice(DEVINST, BOOL)
{
    return FALSE;
}
BOOL CSSDOpThread::LowLevelFormatWithLlfCode()
{
    return FALSE;
}
