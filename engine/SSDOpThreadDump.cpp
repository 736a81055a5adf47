// The debug dump: controller memory and disk sectors of the current drive
// into files of a folder the user chose.

#include "SSDOpThread.h"

#include <memory>
#include <new>

#include "FileUtil.h"

namespace {

const UINT kGlobalVariableSize = 0x10000; // "gv.bin"
const DWORD kGlobalVariableAddress = 0x80200000;
const UINT kFwPrintSize = 0x100000; // "fp.bin"
const DWORD kFwPrintAddress = 0x200000;
const UINT kBlockBytes = 512;
const UINT kLbaSectors = 256; // per LBA read
const UINT kLbaBytes = kLbaSectors * 512;
const ULONGLONG kFwPrintLbaOffset = 0x4800; // 9 MiB beyond the user area

// A zeroed heap buffer, or none.
std::unique_ptr<BYTE[]> ZeroedBuffer(UINT size)
{
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[size]());
}

} // namespace

void CSSDOpThread::OnDumpDebugInfo(WPARAM folder, LPARAM)
{
    // The page's buffer may change once the request is taken: work on a copy,
    // made first thing (and only while the window is open).
    CString folderStr;
    OperationLock operation(this, L"CSSDOpThread::OnDumpDebugInfo", folder, &folderStr);
    if (!operation.Acquired())
        return;
    VntSSD* drive = GetRequestDevice();
    if (!drive) {
        PostInfoMessage(INFO_KIND_RESULT, L"No device!");
        return;
    }
    if (folderStr.IsEmpty()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Please select path for saving debug info!");
        return;
    }
    CString gvPath = folderStr + L"gv.bin";
    CString ecPath = folderStr + L"ec.bin";
    CString fpPath = folderStr + L"fp.bin";
    CString llfPath = folderStr + L"llf.bin";

    PostInfoMessage(INFO_KIND_STATUS, L"Dumping debug information");
    if (DumpGlobalVariable(gvPath)) {
        DumpEraseCount(ecPath);
        switch (drive->m_icVersion) {
        case IC_VX1200:
        case IC_VX1300:
        case IC_NVME_6E42:
            if (DumpFwPrintByLba(fpPath))
                PostInfoMessage(INFO_KIND_RESULT, L"Dump information succeed");
            break;
        case IC_NVME_6E40:
        case IC_VX1100:
            if (DumpFwPrintByBlock(fpPath) && DumpLlfSsdInfo(llfPath))
                PostInfoMessage(INFO_KIND_RESULT, L"Dump information succeed");
            break;
        default:
            PostInfoMessage(INFO_KIND_RESULT, L"Dump information succeed");
            break;
        }
    }
    SetProgress(0);
}

BOOL CSSDOpThread::DumpGlobalVariable(CString path)
{
    return DumpArea(path, kGlobalVariableSize, kGlobalVariableAddress, FALSE);
}

BOOL CSSDOpThread::DumpEraseCount(CString)
{
    return TRUE;
}

BOOL CSSDOpThread::DumpFwPrintByBlock(CString path)
{
    return DumpArea(path, kFwPrintSize, kFwPrintAddress, FALSE);
}

BOOL CSSDOpThread::DumpFwPrintByLba(CString path)
{
    VntSSD* drive = GetRequestDevice();
    if (!drive)
        return FALSE;
    // The library takes 32-bit LBAs: an area that does not lie wholly below
    // 2^32 sectors cannot be read (its low 32 bits would name the start of
    // the disk instead).
    ULONGLONG start = drive->m_capacity / 512 + kFwPrintLbaOffset;
    ULONGLONG end = start + kFwPrintSize / 512;
    if (end > 0x100000000ULL) {
        PostInfoMessage(INFO_KIND_RESULT, L"Dump information fail");
        return FALSE;
    }
    return DumpArea(path, kFwPrintSize, static_cast<DWORD>(start), TRUE);
}

// Reads `size` bytes unit by unit (512 bytes of controller memory from
// `start`, or 256 sectors from LBA `start`) and writes them to `path`.
BOOL CSSDOpThread::DumpArea(CString path, UINT size, DWORD start, BOOL byLba)
{
    VntSSD* drive = GetRequestDevice();
    if (!drive)
        return FALSE;
    std::unique_ptr<BYTE[]> buffer = ZeroedBuffer(size);
    if (!buffer) {
        PostInfoMessage(INFO_KIND_RESULT, L"System fail");
        return FALSE;
    }
    if (!drive->DeviceOpen()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Device operation fail");
        return FALSE;
    }
    UINT unitBytes = byLba ? kLbaBytes : kBlockBytes;
    UINT calls = size / unitBytes;
    UINT offset = 0;
    DWORD address = start;
    BOOL result = FALSE;
    while (calls > 0) {
        BOOL read = byLba ? drive->DeviceReadLba(address, kLbaSectors, kLbaBytes, buffer.get() + offset)
                          : drive->DeviceReadBlk(address, 1, kBlockBytes, buffer.get() + offset);
        if (!read) {
            PostInfoMessage(INFO_KIND_RESULT, L"Dump information fail");
            break;
        }
        --calls;
        offset += unitBytes;
        address += byLba ? kLbaSectors : kBlockBytes;
        SetProgress(static_cast<int>(offset * 100u / size));
    }
    if (calls == 0) {
        if (SaveBufferToFile(path, buffer.get(), size))
            result = TRUE;
        else
            PostInfoMessage(INFO_KIND_RESULT, L"Write dump information to file fail");
    }
    drive->DeviceClose();
    return result;
}

BOOL CSSDOpThread::DumpLlfSsdInfo(CString path)
{
    VntSSD* drive = GetRequestDevice();
    if (!drive)
        return FALSE;
    std::unique_ptr<BYTE[]> buffer = ZeroedBuffer(kBlockBytes);
    if (!buffer) {
        PostInfoMessage(INFO_KIND_RESULT, L"System fail");
        return FALSE;
    }
    if (!drive->DeviceOpen()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Device operation fail");
        return FALSE;
    }
    BOOL result = FALSE;
    if (!drive->DeviceLlfSsdInfo(0, kBlockBytes, buffer.get()))
        PostInfoMessage(INFO_KIND_RESULT, L"Get llf ssd info fail");
    else if (!SaveBufferToFile(path, buffer.get(), kBlockBytes))
        PostInfoMessage(INFO_KIND_RESULT, L"Write llf ssd info to file fail");
    else
        result = TRUE;
    drive->DeviceClose();
    return result;
}
