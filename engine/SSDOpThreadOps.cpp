// Selection, refresh and the single-command requests. Each handler looks the
// current drive up when it runs (GetRequestDevice), under the operation lock.

#include "SSDOpThread.h"

#include "DiskOperation.h"
#include "define.h"

#include <cstring>

void CSSDOpThread::OnSelectDevice(WPARAM index, LPARAM)
{
    OperationLock operation(this, L"CSSDOpThread::OnSelectDevice");
    if (!operation.Acquired())
        return;
    UINT position = static_cast<UINT>(index);
    if (position >= m_deviceCount) {
        DebugPrint(L"Select device invalid\n");
        return;
    }
    {
        StateLock state(this);
        m_curDeviceIndex = position;
        m_pCurDevice = m_deviceList[position];
    }
    RefreshCurrentDevice();
}

void CSSDOpThread::OnRefreshDevice(WPARAM, LPARAM)
{
    OperationLock operation(this, L"CSSDOpThread::OnRefreshDevice");
    if (!operation.Acquired())
        return;
    RefreshCurrentDevice();
}

void CSSDOpThread::RefreshCurrentDevice()
{
    VntSSD* drive = GetRequestDevice();
    if (!drive)
        return;
    if (drive->m_busType == BUS_TYPE_NVME)
        RefreshNvmeSmart(drive);
    else if (drive->m_busType == BUS_TYPE_SATA)
        RefreshAtaSmart(static_cast<BYTE>(drive->m_diskNum));
    PostToMainWindow(WM_SSDOP_DEVICE_UPDATED, 0, 0);
}

// The SMART buffer and the store are what the pages read under the state
// lock. A drive may take seconds to answer, so it is read into the worker's
// own buffers without the lock, and the lock is taken only to store what came
// back: a page never waits for a drive, and never sees a buffer half written.
// The drive's fields used here change only under the operation lock, which
// the worker holds, so reading them needs no state lock.
void CSSDOpThread::RefreshNvmeSmart(VntSSD* drive)
{
    BYTE smartLog[sizeof(drive->m_smartLog)];
    drive->DeviceOpen();
    drive->DeviceSmartLog(smartLog);
    drive->DeviceClose();
    StateLock state(this);
    std::memcpy(drive->m_smartLog, smartLog, sizeof(smartLog));
    m_smartInfo.ParseAttributeData(drive->m_index + SMART_NVME_SLOT_BASE, drive->m_smartLog);
}

void CSSDOpThread::RefreshAtaSmart(BYTE diskNum)
{
    SmartStore::AtaReading reading;
    SmartStore::ReadAtaSmartInto(diskNum, reading);
    StateLock state(this);
    m_smartInfo.StoreAtaSmart(reading);
}

void CSSDOpThread::OnReadSmart(WPARAM, LPARAM)
{
    OperationLock operation(this, L"CSSDOpThread::OnReadSmart");
    if (!operation.Acquired())
        return;
    VntSSD* drive = GetRequestDevice();
    if (!drive) {
        PostInfoMessage(INFO_KIND_RESULT, L"No device!");
        return;
    }
    RefreshAtaSmart(static_cast<BYTE>(drive->m_diskNum));
    PostToMainWindow(WM_SSDOP_SMART_UPDATED, 0, 0);
}

void CSSDOpThread::OnGetWriteCache(WPARAM, LPARAM)
{
    OperationLock operation(this, L"CSSDOpThread::OnGetWriteCache");
    if (!operation.Acquired())
        return;
    VntSSD* drive = GetRequestDevice();
    if (!drive)
        return;
    if (!drive->DeviceOpen()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Device operation fail");
        return;
    }
    int state = 0;
    if (drive->DeviceGetWriteCache(&state)) {
        {
            StateLock lock(this);
            drive->m_writeCache = state;
        }
        PostToMainWindow(WM_SSDOP_WRITE_CACHE_STATE, static_cast<WPARAM>(static_cast<INT_PTR>(state)), 0);
    }
    drive->DeviceClose();
}

void CSSDOpThread::OnSetWriteCache(WPARAM, LPARAM)
{
    OperationLock operation(this, L"CSSDOpThread::OnSetWriteCache");
    if (!operation.Acquired())
        return;
    VntSSD* drive = GetRequestDevice();
    if (!drive) {
        PostInfoMessage(INFO_KIND_RESULT, L"No device!");
        return;
    }
    if (!drive->DeviceOpen()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Device operation fail");
        return;
    }
    // The state stored at the scan or by the last switch; the drive is not
    // asked first.
    int newState = drive->m_writeCache == 0 ? 1 : 0;
    if (drive->DeviceSetWriteCache(newState)) {
        {
            StateLock state(this);
            drive->m_writeCache = newState;
        }
        PostInfoMessage(INFO_KIND_RESULT, L"Set device write cache info succeed");
        PostToMainWindow(WM_SSDOP_WRITE_CACHE_STATE, static_cast<WPARAM>(newState), 0);
    } else {
        PostInfoMessage(INFO_KIND_RESULT, L"Set device write cache info fail");
    }
    drive->DeviceClose();
}

void CSSDOpThread::OnReadFlashId(WPARAM, LPARAM)
{
    OperationLock operation(this, L"CSSDOpThread::OnReadFlashId");
    if (!operation.Acquired())
        return;
    VntSSD* drive = GetRequestDevice();
    if (!drive)
        return;
    if (!drive->DeviceOpen()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Device operation fail");
        return;
    }
    BYTE id[512] = {};
    if (drive->DeviceNandReadId(0, 0, 0, sizeof(id), id)) {
        WPARAM block = reinterpret_cast<WPARAM>(SSDOpCopyBlock(id, 8));
        if (block && !PostToMainWindow(WM_SSDOP_FLASH_ID, block, 0))
            SSDOpFreeBlock(block);
    }
    drive->DeviceClose();
}

void CSSDOpThread::OnFormatNand(WPARAM, LPARAM)
{
    OperationLock operation(this, L"CSSDOpThread::OnFormatNand");
    if (!operation.Acquired())
        return;
    VntSSD* drive = GetRequestDevice();
    if (!drive) {
        PostInfoMessage(INFO_KIND_RESULT, L"No device!");
        return;
    }
    if (DiskOperation::IsSystemDisk(drive->m_childInst)) {
        PostInfoMessage(INFO_KIND_RESULT, L"Operation fail, OS is running on the selected device!");
        return;
    }
    // A drive that cannot be opened is not formatted: one result, the failure.
    if (!drive->DeviceOpen()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Device operation fail");
        return;
    }
    int formatted = drive->DeviceFormat();
    drive->DeviceClose();
    PostInfoMessage(INFO_KIND_RESULT, formatted ? L"Format nand flash succeed!" : L"Format nand flash fail!");
}

void CSSDOpThread::OnSwitchSpeed(WPARAM, LPARAM)
{
    const wchar_t* fn = L"CSSDOpThread::OnSwitchSpeed";
    OperationLock operation(this);
    if (!operation.Acquired())
        return;
    VntSSD* drive = GetRequestDevice();
    if (!drive)
        return;
    // The switch command carries no drive index: it goes to the drive opened
    // last, so it is sent even when this open fails. Only an open that
    // succeeded is closed again.
    BOOL opened = drive->DeviceOpen() != 0;
    if (!opened)
        DebugPrint(L"%s Open device fail\n", fn);
    if (!drive->DeviceSwitchSpeed())
        DebugPrint(L"Switch speed fail\n");
    if (opened)
        drive->DeviceClose();
}
