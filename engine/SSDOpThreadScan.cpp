#include "SSDOpThread.h"

BOOL CSSDOpThread::FindVnSSD()
{
    return FALSE;
}

UINT CSSDOpThread::ScanDevice()
{
    return 0;
}

UINT CSSDOpThread::ScanNewNvmeDevice()
{
    return 0;
}

UINT CSSDOpThread::ScanSataDevice()
{
    return 0;
}
