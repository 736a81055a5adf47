#pragma once
// Facts about the computer (processor, operating system, disks, volumes,
// memory) and the Windows tuning switches of the SMART page: drive indexing,
// prefetch and superfetch, fast start-up, TRIM, scheduled defragmentation and
// AHCI mode. Constructing the object connects to WMI on the calling thread,
// which must be the thread of every later call.

#include <windows.h>

#include "CArray.h"
#include "CString.h"
#include "RegistryOp.h"
#include "WmiClient.h"

struct CpuInfo {
    CString name;
    UINT32 numberOfCores = 0;
    UINT16 addressWidth = 0;
};

struct OsInfo {
    CString version;
    CString caption;
    CString architecture;
    CString windowsDirectory;
    CString language; // the language number as decimal text
    CString buildNumber;
    CString dnsHostName;
};

struct DiskInfo {
    UINT32 index = 0;
    UINT64 size = 0; // bytes
    UINT32 partitions = 0;
    CString caption;
    CString firmwareRevision;
    CString serialNumber;
};

struct VolumeInfo {
    UINT64 capacity = 0;     // bytes
    UINT64 freeSpace = 0;    // bytes
    wchar_t driveLetter = 0; // 0: the volume has no letter
    CString fileSystem;
};

struct MemoryInfo {
    UINT64 totalPhys = 0;
    UINT64 availPhys = 0;
    UINT64 totalPageFile = 0;
    UINT64 availPageFile = 0;
};

class SystemOperation {
public:
    SystemOperation();
    ~SystemOperation() = default;
    SystemOperation(const SystemOperation&) = delete;
    SystemOperation& operator=(const SystemOperation&) = delete;

    // Tuning switches.
    BOOL DisableIndexing();
    BOOL DisablePrefetch();
    BOOL DisableSuperfetch();
    BOOL DisableFastStartup();
    BOOL EnableTrim();
    BOOL EnableAhciMode();
    BOOL DisableDefrag();

    // Tuning states; an unreadable setting counts as off, except where said.
    BOOL IsIndexingEnabled(wchar_t driveLetter);      // TRUE when no volume has the letter
    BOOL IsVirtualMemoryEnabled(wchar_t driveLetter); // TRUE when no volume has the letter
    BOOL IsDefragEnabled();                           // TRUE when the task cannot be read
    BOOL IsPrefetchEnabled();
    BOOL IsFastStartupEnabled();
    BOOL IsTrimEnabled();
    BOOL IsAhciModeEnabled();

    // Facts; a query that fails leaves the field as it was.
    BOOL GetCpuInfo(CpuInfo& info);
    BOOL GetOsInfo(OsInfo& info);
    BOOL GetOsVersionText(CString& text);
    // Both append to the caller's array.
    BOOL GetDiskList(CArray<DiskInfo, DiskInfo>& disks);
    BOOL GetVolumeList(CArray<VolumeInfo, VolumeInfo>& volumes);
    BOOL GetMemoryStatus(MemoryInfo& info);
    BOOL HasPageFile();

private:
    BOOL WriteZeros(LPCWSTR key, LPCWSTR firstValue, LPCWSTR secondValue);
    BOOL ReadValue(LPCWSTR key, LPCWSTR name, DWORD& value);
    BOOL VolumeFlag(wchar_t driveLetter, LPCWSTR flagQuery);

    WmiClient m_wmi;
    RegistryOp m_reg;
};
