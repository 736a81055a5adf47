// The drive scans. They run on the window's thread over the worker's state,
// holding the operation lock so that no request runs meanwhile.

#include "SSDOpThread.h"

#include "VntAtad.h"
#include "VntNvmed.h"
#include "define.h"

namespace {

// The libraries fill arrays of this many entries without being told their
// size; a larger count is never trusted beyond it.
const UINT kScanSlots = 256;

UINT ClampScanCount(UINT count)
{
    return count > kScanSlots ? kScanSlots : count;
}

} // namespace

BOOL CSSDOpThread::FindVnSSD()
{
    OperationLock operation(this);
    if (!operation.Acquired())
        return 0;
    Reset();
    UINT kept = ScanDevice();
    {
        StateLock state(this);
        m_deviceCount = kept;
    }
    if (m_deviceCount == 0)
        return 0;
    TakeMainWindow();
    if (m_hMainWnd)
        ::SendMessageW(m_hMainWnd, WM_SSDOP_DEVICE_LIST_READY, 0, 0);
    DebugPrint(L"%s -> update combobox\n", L"CSSDOpThread::FindVnSSD");
    return 1;
}

UINT CSSDOpThread::ScanDevice()
{
    // The SATA count is part of the sum but no scan fills it.
    UINT sataCount = 0;
    return ScanNewNvmeDevice() + sataCount;
}

UINT CSSDOpThread::ScanNewNvmeDevice()
{
    const wchar_t* fn = L"CSSDOpThread::ScanNewNvmeDevice";
    m_nvmeScanCount = 0;
    ZeroMemory(m_nvmeDevInsts, sizeof(m_nvmeDevInsts));
    if (!NvmeScanController(reinterpret_cast<DWORD*>(m_nvmeDevInsts), reinterpret_cast<DWORD*>(&m_nvmeScanCount), 0, 1))
        return 0;
    DebugPrint(L"%s -> NvmeScanController %u\n", fn, m_nvmeScanCount);
    m_nvmeScanCount = ClampScanCount(m_nvmeScanCount);

    UINT kept = 0;
    for (UINT i = 0; i < m_nvmeScanCount; ++i) {
        VntSSD* drive = new VntSSD();
        drive->Init(static_cast<int>(i), m_nvmeDevInsts[i], BUS_TYPE_NVME);
        DebugPrint(L"%s -> GetControllerInfo\n", fn);
        if (!drive->GetControllerInfo())
            DebugPrint(L"%s -> GetControllerInfo fail\n", fn);
        DebugPrint(L"%s -> GetDiskInfo\n", fn);
        if (!drive->GetDiskInfo())
            DebugPrint(L"%s -> GetDiskInfo fail\n", fn);

        CString fwVersion;
        fwVersion.Format(L"%S", drive->m_fwVersion);
        if (fwVersion.Find(L"VG") >= 0 || fwVersion.Find(L"VL") >= 0) {
            StateLock state(this);
            m_deviceList.Add(drive);
            ++kept;
        } else {
            delete drive;
        }
    }
    DebugPrint(L"%s ret %d\n", fn, kept);
    return kept;
}

UINT CSSDOpThread::ScanSataDevice()
{
    m_sataScanCount = 0;
    ZeroMemory(m_sataDevInsts, sizeof(m_sataDevInsts));
    ZeroMemory(m_ahciFlags, sizeof(m_ahciFlags));
    if (!VaScanDisk(reinterpret_cast<DWORD*>(m_sataDevInsts), reinterpret_cast<DWORD*>(m_ahciFlags),
                    reinterpret_cast<DWORD*>(&m_sataScanCount), 1, 1))
        return 0;
    UINT reported = m_sataScanCount;
    UINT count = ClampScanCount(m_sataScanCount);
    for (UINT i = 0; i < count; ++i) {
        VntSSD* drive = new VntSSD();
        if (m_ahciFlags[i]) {
            DWORD controller = 0;
            VaGetAhciController(m_sataDevInsts[i], &controller);
            drive->Init(static_cast<int>(i), controller, BUS_TYPE_AHCI);
            drive->GetDiskInfo();
            drive->GetControllerInfo();
        } else {
            drive->Init(static_cast<int>(i), m_sataDevInsts[i], BUS_TYPE_SATA);
            drive->GetDiskInfo();
        }
        StateLock state(this);
        m_deviceList.Add(drive);
    }
    return reported;
}
