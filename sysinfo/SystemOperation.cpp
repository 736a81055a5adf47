#include "SystemOperation.h"

#include "ServiceControl.h"
#include "TaskScheduler.h"

namespace {

const wchar_t kPrefetchKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
const wchar_t kPowerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power";
const wchar_t kFileSystemKey[] = L"SYSTEM\\CurrentControlSet\\Control\\FileSystem";

const wchar_t kSearchService[] = L"WSearch";
const wchar_t kSuperfetchService[] = L"SysMain";
const wchar_t kDefragFolder[] = L"\\Microsoft\\Windows\\Defrag";
const wchar_t kDefragTask[] = L"ScheduledDefrag";

const wchar_t kAllVolumes[] = L"SELECT * FROM Win32_Volume";
const wchar_t kVolumeLetter[] = L"SELECT DriveLetter FROM Win32_Volume";

// Stops a running service and keeps it from starting again; one that is not
// running is left as it is.
void StopAndDisableWhenRunning(LPCWSTR name)
{
    if (IsServiceRunning(name)) {
        StopSystemService(name);
        DisableService(name);
    }
}

} // namespace

SystemOperation::SystemOperation() : m_reg(HKEY_LOCAL_MACHINE)
{
    // Every query reports its own failure; the connection's result adds nothing.
    m_wmi.Connect();
}

BOOL SystemOperation::DisableIndexing()
{
    StopAndDisableWhenRunning(kSearchService);
    return TRUE;
}

BOOL SystemOperation::DisableSuperfetch()
{
    StopAndDisableWhenRunning(kSuperfetchService);
    return TRUE;
}

BOOL SystemOperation::WriteZeros(LPCWSTR key, LPCWSTR firstValue, LPCWSTR secondValue)
{
    if (!m_reg.OpenKey(key) || !m_reg.Write(firstValue, static_cast<DWORD>(0)))
        return FALSE;
    return secondValue ? m_reg.Write(secondValue, static_cast<DWORD>(0)) : TRUE;
}

BOOL SystemOperation::DisablePrefetch()
{
    return WriteZeros(kPrefetchKey, L"EnablePrefetcher", L"EnableSuperfetch");
}

BOOL SystemOperation::DisableFastStartup()
{
    return WriteZeros(kPowerKey, L"HiberbootEnabled", nullptr);
}

BOOL SystemOperation::EnableTrim()
{
    return WriteZeros(kFileSystemKey, L"DisableDeleteNotification", nullptr);
}

BOOL SystemOperation::EnableAhciMode()
{
    return TRUE;
}

BOOL SystemOperation::DisableDefrag()
{
    return DisableTask(kDefragFolder, kDefragTask);
}

BOOL SystemOperation::ReadValue(LPCWSTR key, LPCWSTR name, DWORD& value)
{
    return m_reg.OpenKey(key) && m_reg.Read(name, value);
}

BOOL SystemOperation::IsPrefetchEnabled()
{
    DWORD value = 0;
    return ReadValue(kPrefetchKey, L"EnablePrefetcher", value) && value != 0;
}

BOOL SystemOperation::IsFastStartupEnabled()
{
    DWORD value = 0;
    return ReadValue(kPowerKey, L"HiberbootEnabled", value) && value != 0;
}

BOOL SystemOperation::IsTrimEnabled()
{
    DWORD value = 0;
    return ReadValue(kFileSystemKey, L"DisableDeleteNotification", value) && value != 1;
}

BOOL SystemOperation::IsDefragEnabled()
{
    return !IsTaskDisabled(kDefragFolder, kDefragTask);
}

BOOL SystemOperation::IsAhciModeEnabled()
{
    return TRUE;
}

BOOL SystemOperation::VolumeFlag(wchar_t driveLetter, LPCWSTR flagQuery)
{
    CString wanted(driveLetter);
    wanted.MakeUpper();
    int count = m_wmi.Count(kAllVolumes);
    int i = 0;
    for (; i < count; ++i) {
        CString letter;
        m_wmi.GetString(kVolumeLetter, letter, static_cast<UINT32>(i));
        letter.MakeUpper();
        wchar_t first = letter.IsEmpty() ? L'\0' : letter[0];
        if (first == wanted[0])
            break;
    }
    // No volume with the letter: the read at the end of the list fails and the
    // flag keeps its preset.
    BOOL flag = TRUE;
    m_wmi.GetBool(flagQuery, flag, static_cast<UINT32>(i));
    return flag;
}

BOOL SystemOperation::IsIndexingEnabled(wchar_t driveLetter)
{
    return VolumeFlag(driveLetter, L"SELECT IndexingEnabled FROM Win32_Volume");
}

BOOL SystemOperation::IsVirtualMemoryEnabled(wchar_t driveLetter)
{
    return VolumeFlag(driveLetter, L"SELECT PageFilePresent FROM Win32_Volume");
}

BOOL SystemOperation::GetCpuInfo(CpuInfo& info)
{
    m_wmi.GetString(L"SELECT Name FROM Win32_Processor", info.name, 0);
    m_wmi.GetUInt32(L"SELECT NumberOfCores FROM Win32_Processor", info.numberOfCores, 0);
    m_wmi.GetUInt16(L"SELECT AddressWidth FROM Win32_Processor", info.addressWidth, 0);
    return TRUE;
}

BOOL SystemOperation::GetOsInfo(OsInfo& info)
{
    m_wmi.GetString(L"SELECT Caption FROM Win32_OperatingSystem", info.caption, 0);
    m_wmi.GetString(L"SELECT BuildNumber FROM Win32_OperatingSystem", info.buildNumber, 0);
    m_wmi.GetString(L"SELECT OSArchitecture FROM Win32_OperatingSystem", info.architecture, 0);
    m_wmi.GetString(L"SELECT Version FROM Win32_OperatingSystem", info.version, 0);
    UINT32 language = 0;
    m_wmi.GetUInt32(L"SELECT OSLanguage FROM Win32_OperatingSystem", language, 0);
    info.language.Format(L"%u", language);
    m_wmi.GetString(L"SELECT WindowsDirectory FROM Win32_OperatingSystem", info.windowsDirectory, 0);
    m_wmi.GetString(L"SELECT DNSHostName FROM Win32_ComputerSystem", info.dnsHostName, 0);
    return TRUE;
}

BOOL SystemOperation::GetOsVersionText(CString& text)
{
    CString caption, build, architecture;
    m_wmi.GetString(L"SELECT Caption FROM Win32_OperatingSystem", caption, 0);
    m_wmi.GetString(L"SELECT BuildNumber FROM Win32_OperatingSystem", build, 0);
    m_wmi.GetString(L"SELECT OSArchitecture FROM Win32_OperatingSystem", architecture, 0);
    text = caption + build + architecture;
    return TRUE;
}

BOOL SystemOperation::GetDiskList(CArray<DiskInfo, DiskInfo>& disks)
{
    int count = m_wmi.Count(L"SELECT * FROM Win32_DiskDrive");
    for (int i = 0; i < count; ++i) {
        UINT32 at = static_cast<UINT32>(i);
        DiskInfo disk;
        m_wmi.GetUInt32(L"SELECT Index FROM Win32_DiskDrive", disk.index, at);
        m_wmi.GetUInt64(L"SELECT Size FROM Win32_DiskDrive", disk.size, at);
        m_wmi.GetUInt32(L"SELECT Partitions FROM Win32_DiskDrive", disk.partitions, at);
        m_wmi.GetString(L"SELECT Caption FROM Win32_DiskDrive", disk.caption, at);
        m_wmi.GetString(L"SELECT FirmwareRevision FROM Win32_DiskDrive", disk.firmwareRevision, at);
        m_wmi.GetString(L"SELECT SerialNumber FROM Win32_DiskDrive", disk.serialNumber, at);
        disks.Add(disk);
    }
    return TRUE;
}

BOOL SystemOperation::GetVolumeList(CArray<VolumeInfo, VolumeInfo>& volumes)
{
    int count = m_wmi.Count(kAllVolumes);
    for (int i = 0; i < count; ++i) {
        UINT32 at = static_cast<UINT32>(i);
        VolumeInfo volume;
        CString letter;
        m_wmi.GetString(kVolumeLetter, letter, at);
        volume.driveLetter = letter.IsEmpty() ? L'\0' : letter[0];
        m_wmi.GetString(L"SELECT FileSystem FROM Win32_Volume", volume.fileSystem, at);
        m_wmi.GetUInt64(L"SELECT FreeSpace FROM Win32_Volume", volume.freeSpace, at);
        m_wmi.GetUInt64(L"SELECT Capacity FROM Win32_Volume", volume.capacity, at);
        volumes.Add(volume);
    }
    return TRUE;
}

BOOL SystemOperation::GetMemoryStatus(MemoryInfo& info)
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    BOOL result = ::GlobalMemoryStatusEx(&status);
    if (result) {
        info.totalPhys = status.ullTotalPhys;
        info.availPhys = status.ullAvailPhys;
        info.totalPageFile = status.ullTotalPageFile;
        info.availPageFile = status.ullAvailPageFile;
    }
    return result;
}

BOOL SystemOperation::HasPageFile()
{
    MemoryInfo info;
    GetMemoryStatus(info);
    return info.totalPageFile != 0;
}
