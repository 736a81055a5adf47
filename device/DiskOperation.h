#pragma once
// Disk and volume queries: which physical disk a disk node or a drive letter
// is, and whether a disk holds the running system (the worker refuses to
// format that one).

#include <windows.h>
#include <cfgmgr32.h>

#include "CString.h"

// Disk number of the volume that holds the system directory, -1 on failure.
int GetSystemDiskNum();

class DiskOperation {
public:
    DiskOperation() = default;
    ~DiskOperation() = default;

    static int GetDiskNum(DEVINST diskInst);
    static int GetDiskNum(WCHAR driveLetter);
    static BOOL IsSystemDisk(DEVINST diskInst);
    static HANDLE OpenDevice(CString path);
    static HANDLE OpenDisk(DEVINST diskInst);
    static HANDLE OpenDiskByNum(UINT diskNum);
    static BOOL GetPartitionLocation(WCHAR driveLetter, DWORD* diskNum, DWORD* partitionNum);
    static BOOL GetPartitionDriveLetter(DWORD diskNum, BYTE partitionNum, int* driveIndex);
    static BOOL GetDiskLayout(HANDLE disk, void* buffer, DWORD size);

    // Members without effect.
    static BOOL Initialize() { return TRUE; }
    static BOOL Refresh() { return TRUE; }
    static BOOL Release() { return TRUE; }
    static int ParseDiskName(CString /*name*/) { return 0; }

private:
    static int QueryDiskNum(HANDLE opened);
    static HANDLE CreateDeviceHandle(const CString& path, LPCWSTR caller, LPCWSTR failFormat);
    static CString VolumePath(WCHAR driveLetter);
};
