#include "DiskOperation.h"

#include <vector>

#include <initguid.h>
#include <ntddstor.h>
#include <winioctl.h>

#include "DeviceOperation.h"
#include "PlatformSeam.h"
#include "ScopedDeviceHandle.h"
#include "Trace.h"
#include "define.h"

namespace {

const DWORD kLayoutBufferSize = 5000;

} // namespace

int GetSystemDiskNum()
{
    wchar_t directory[MAX_PATH] = {};
    if (seam::GetSystemDirectoryW(directory, MAX_PATH) == 0) {
        TRACE(L"GetSystemDiskNum() Error: %ld\n", GetLastError());
        return -1;
    }
    return DiskOperation::GetDiskNum(directory[0]);
}

CString DiskOperation::VolumePath(WCHAR driveLetter)
{
    CString path;
    path.Format(L"\\\\.\\%c:", driveLetter);
    return path;
}

HANDLE DiskOperation::CreateDeviceHandle(const CString& path, LPCWSTR caller, LPCWSTR failFormat)
{
    HANDLE handle = seam::CreateFileW(path.GetString(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DebugPrint(failFormat, caller, GetLastError());
    }
    return handle;
}

// The device number of an open disk or volume, -1 when the query fails or
// nothing was opened. The holder closes the handle on every road.
int DiskOperation::QueryDiskNum(HANDLE opened)
{
    const wchar_t* fn = L"DiskOperation::GetDiskNum";
    ScopedDeviceHandle handle(opened);
    if (!handle.IsValid()) {
        return -1;
    }
    STORAGE_DEVICE_NUMBER number = {};
    DWORD returned = 0;
    if (!seam::DeviceIoControl(handle.Get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof(number),
                               &returned, nullptr)) {
        DebugPrint(L"%s -> IOCTL_STORAGE_GET_DEVICE_NUMBER Error: %ld\n", fn, GetLastError());
        return -1;
    }
    DebugPrint(L"%s -> %d %d %d\n", fn, number.DeviceType, number.DeviceNumber, number.PartitionNumber);
    return static_cast<int>(number.DeviceNumber);
}

int DiskOperation::GetDiskNum(DEVINST diskInst)
{
    return QueryDiskNum(OpenDisk(diskInst));
}

int DiskOperation::GetDiskNum(WCHAR driveLetter)
{
    return QueryDiskNum(OpenDevice(VolumePath(driveLetter)));
}

// A disk whose relation to the running system cannot be established counts as
// the system disk: the worker formats only a disk known to be another one.
BOOL DiskOperation::IsSystemDisk(DEVINST diskInst)
{
    int bootDiskNum = GetSystemDiskNum();
    int diskNum = diskInst != 0 ? GetDiskNum(diskInst) : -1;
    TRACE(L"%s -> bootDiskNum: %d, diskNum: %d\n", L"DiskOperation::IsSystemDisk", bootDiskNum, diskNum);
    if (bootDiskNum == -1 || diskNum == -1) {
        return TRUE;
    }
    return bootDiskNum == diskNum;
}

HANDLE DiskOperation::OpenDevice(CString path)
{
    return CreateDeviceHandle(path, L"DiskOperation::OpenDevice", L"%s -> Open disk Fail, Getlasterror: %d!\n");
}

HANDLE DiskOperation::OpenDisk(DEVINST diskInst)
{
    const wchar_t* fn = L"DiskOperation::OpenDisk";
    CString path;
    if (!DeviceOperation::GetDevPathForCreatefile(diskInst, &GUID_DEVINTERFACE_DISK, path)) {
        return INVALID_HANDLE_VALUE;
    }
    DebugPrint(L"%s -> disk path: %s\n", fn, path.GetString());
    return CreateDeviceHandle(path, fn, L"%s -> Open Card Fail, Getlasterror: %d!\n");
}

HANDLE DiskOperation::OpenDiskByNum(UINT diskNum)
{
    const wchar_t* fn = L"DiskOperation::OpenDiskByNum";
    CString path;
    path.Format(L"\\\\.\\PhysicalDrive%u", diskNum);
    DebugPrint(L"%s -> disk path: %s\n", fn, path.GetString());
    return CreateDeviceHandle(path, fn, L"%s -> Open Card Fail, Getlasterror: %d!\n");
}

BOOL DiskOperation::GetPartitionLocation(WCHAR driveLetter, DWORD* diskNum, DWORD* partitionNum)
{
    const wchar_t* fn = L"DiskOperation::GetPartitionLocation";
    ScopedDeviceHandle handle(OpenDevice(VolumePath(driveLetter)));
    if (!handle.IsValid()) {
        return FALSE;
    }
    STORAGE_DEVICE_NUMBER number = {};
    DWORD returned = 0;
    if (!seam::DeviceIoControl(handle.Get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof(number),
                               &returned, nullptr)) {
        DebugPrint(L"%s -> IOCTL_STORAGE_GET_DEVICE_NUMBER Error: %ld\n", fn, GetLastError());
        return FALSE;
    }
    *diskNum = number.DeviceNumber;
    *partitionNum = number.PartitionNumber;
    DebugPrint(L"%s -> %d %d %d\n", fn, number.DeviceType, number.DeviceNumber, number.PartitionNumber);
    return TRUE;
}

BOOL DiskOperation::GetPartitionDriveLetter(DWORD diskNum, BYTE partitionNum, int* driveIndex)
{
    DWORD drives = seam::GetLogicalDrives();
    if (drives == 0) {
        return FALSE;
    }
    // A and B are floppy letters and never tried.
    for (int index = 2; index < 26; ++index) {
        if ((drives & (1u << index)) == 0) {
            continue;
        }
        WCHAR letter = static_cast<WCHAR>(L'A' + index);
        DWORD disk = 0;
        DWORD partition = 0;
        if (GetPartitionLocation(letter, &disk, &partition) && disk == diskNum && partition == partitionNum) {
            *driveIndex = index;
            return TRUE;
        }
        DebugPrint(L"%s -> driveLetter: %c, diskIndex: %u, partitionIndex: %u\n",
                   L"DiskOperation::GetPartitionDriveLetter", letter, disk, partition);
    }
    return FALSE;
}

BOOL DiskOperation::GetDiskLayout(HANDLE disk, void* buffer, DWORD size)
{
    std::vector<BYTE> layout(kLayoutBufferSize, 0);
    DWORD returned = 0;
    if (!seam::DeviceIoControl(disk, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, layout.data(), kLayoutBufferSize,
                               &returned, nullptr)) {
        DebugPrint(L"%s -> IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error: %ld\n", L"DiskOperation::GetDiskLayout",
                   GetLastError());
        return FALSE;
    }
    // The caller's buffer never receives more than the query's own buffer holds.
    memcpy(buffer, layout.data(), size < kLayoutBufferSize ? size : kLayoutBufferSize);
    return TRUE;
}
