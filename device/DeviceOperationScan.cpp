// DeviceOperation: walks of the device tree (controllers by PCI class, the
// maker's controllers and disks, disks and volumes), opening a device by its
// interface path, switching a device on or off, and the ACPI MCFG base.

#include "DeviceOperation.h"

#include <cstring>
#include <vector>

#include <devguid.h>
#include <initguid.h>
#include <ntddstor.h>
#include <winioctl.h>

#include "PlatformSeam.h"
#include "ScopedDeviceHandle.h"
#include "ScopedDeviceInfoSet.h"
#include "Trace.h"
#include "define.h"

namespace {

const DWORD kAllPresent = DIGCF_PRESENT | DIGCF_ALLCLASSES;
const DWORD kAcpiProvider = 0x41435049;  // 'ACPI'
const DWORD kMcfgSignature = 0x4746434D; // "MCFG" as stored
const int kMcfgBufferSize = 256;
const int kMcfgBaseOffset = 44; // after the 36-byte header and 8 reserved bytes

// The table list is an array of 4-byte signatures: each entry is compared
// whole, so the end of one signature and the start of the next never make a
// match ("XXMC" followed by "FGYY" holds the text "MCFG" but no MCFG table).
bool ListsTable(const std::vector<BYTE>& list, UINT size, DWORD signature)
{
    for (UINT at = 0; at + sizeof(DWORD) <= size; at += sizeof(DWORD)) {
        DWORD entry = 0;
        memcpy(&entry, list.data() + at, sizeof(entry));
        if (entry == signature) {
            return true;
        }
    }
    return false;
}

} // namespace

BOOL DeviceOperation::IsClassDevice(DEVINST devInst, LPCWSTR classMark, LPCWSTR caller)
{
    CString ids;
    BOOL read = GetDevPropertyStr(devInst, SPDRP_COMPATIBLEIDS, ids);
    DebugPrint(L"%s -> campatible id: %s\n", caller, ids.GetString());
    return read && ids.Find(classMark) >= 0;
}

BOOL DeviceOperation::IsAHCIDevice(DEVINST devInst)
{
    return IsClassDevice(devInst, L"PCI\\CC_0106", L"DeviceOperation::IsAHCIDevice");
}

BOOL DeviceOperation::IsNvmeDevice(DEVINST devInst)
{
    return IsClassDevice(devInst, L"PCI\\CC_0108", L"DeviceOperation::IsNvmeDevice");
}

BOOL DeviceOperation::IsMakerNvmeController(DEVINST devInst)
{
    CString id;
    GetDevInstanceId(devInst, id);
    return id.Find(L"VEN_1F9B") >= 0 && id.Find(L"DEV_6E") >= 0 && IsNvmeDevice(devInst);
}

BOOL DeviceOperation::ScanPresentDevices(DevInstList& nodes, MemberTest test, LPCWSTR caller, BOOL traceOnly,
                                         BOOL firstOnly)
{
    ScopedDeviceInfoSet set(seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, kAllPresent), caller);
    if (!set.IsValid()) {
        return FALSE;
    }
    BOOL appended = FALSE;
    SP_DEVINFO_DATA data;
    data.cbSize = sizeof(data);
    for (DWORD index = 0; seam::SetupDiEnumDeviceInfo(set.Get(), index, &data); ++index) {
        CString id;
        GetDevInstanceId(data.DevInst, id);
        if (traceOnly) {
            TRACE(L"%s -> Index: %d\t%s\n", caller, index, id.GetString());
        } else {
            DebugPrint(L"%s -> Index: %d\t%s\n", caller, index, id.GetString());
        }
        if (test(data.DevInst)) {
            nodes.Add(data.DevInst);
            appended = TRUE;
            if (firstOnly) {
                break;
            }
        }
    }
    return appended;
}

BOOL DeviceOperation::ScanAllAhciController(DevInstList& nodes)
{
    return ScanPresentDevices(nodes, IsAHCIDevice, L"DeviceOperation::ScanAllAhciController", TRUE, FALSE);
}

BOOL DeviceOperation::ScanAllNvmeController(DevInstList& nodes)
{
    return ScanPresentDevices(nodes, IsNvmeDevice, L"DeviceOperation::ScanAllNvmeController", TRUE, FALSE);
}

BOOL DeviceOperation::ScanNvmeCongtoller(DevInstList& controllers)
{
    return ScanPresentDevices(controllers, IsMakerNvmeController, L"DeviceOperation::ScanNvmeCongtoller", FALSE, FALSE);
}

// The found controller is the output; the result says nothing.
BOOL DeviceOperation::ScanNvmeCongtoller(DEVINST* controller)
{
    DevInstList found;
    if (ScanPresentDevices(found, IsMakerNvmeController, L"DeviceOperation::ScanNvmeCongtoller", FALSE, TRUE)) {
        *controller = found[0];
    }
    return FALSE;
}

int DeviceOperation::ScanInterface(DevInstList& nodes, const GUID* interfaceClass, LPCWSTR caller)
{
    ScopedDeviceInfoSet set(
        seam::SetupDiGetClassDevsW(interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE), caller);
    if (!set.IsValid()) {
        return 0;
    }
    int appended = 0;
    SP_DEVINFO_DATA data;
    data.cbSize = sizeof(data);
    for (DWORD index = 0; seam::SetupDiEnumDeviceInfo(set.Get(), index, &data); ++index) {
        nodes.Add(data.DevInst);
        ++appended;
    }
    return appended;
}

int DeviceOperation::ScanDisk(DevInstList& disks)
{
    return ScanInterface(disks, &GUID_DEVINTERFACE_DISK, L"DeviceOperation::ScanDisk");
}

int DeviceOperation::ScanVolume(DevInstList& volumes)
{
    return ScanInterface(volumes, &GUID_DEVINTERFACE_VOLUME, L"DeviceOperation::ScanVolume");
}

BOOL DeviceOperation::ScanMakerDisk(DevInstList& disks, DiskKindList& kinds)
{
    DevInstList allDisks;
    if (ScanDisk(allDisks) == 0) {
        return FALSE;
    }
    BOOL appended = FALSE;
    for (INT_PTR i = 0; i < allDisks.GetSize(); ++i) {
        DEVINST disk = allDisks[i];
        CString path;
        if (!GetDevPathForCreatefile(disk, &GUID_DEVINTERFACE_DISK, path)) {
            continue;
        }
        path.MakeUpper();
        if (path.Find(L"VANTREL") >= 0) {
            disks.Add(disk);
            kinds.Add(0);
            appended = TRUE;
            continue;
        }
        DEVINST parent = 0;
        if (!GetParentDevInst(disk, &parent)) {
            continue;
        }
        CString parentId;
        GetDevInstanceId(parent, parentId);
        if (parentId.Find(L"1F9B") >= 0 && IsAHCIDevice(parent)) {
            disks.Add(disk);
            kinds.Add(1);
            appended = TRUE;
        }
    }
    return appended;
}

int DeviceOperation::GetNvmeDisk(const DevInstList& disks)
{
    const int count = static_cast<int>(disks.GetSize());
    for (int i = 0; i < count; ++i) {
        DEVINST parent = 0;
        if (seam::CM_Get_Parent(&parent, disks[i], 0) != CR_SUCCESS) {
            return count;
        }
        CString id;
        GetDevInstanceId(parent, id);
        id.MakeUpper();
        DebugPrint(L"%s -> %s\n", L"DeviceOperation::GetNvmeDisk", id.GetString());
        if (id.Find(L"VEN_1F9B&DEV_6E") >= 0) {
            return i;
        }
    }
    return count;
}

int DeviceOperation::GetDiskIndexOfController(const DevInstList& disks, DEVINST controller)
{
    const int count = static_cast<int>(disks.GetSize());
    for (int i = 0; i < count; ++i) {
        DEVINST parent = 0;
        if (seam::CM_Get_Parent(&parent, disks[i], 0) != CR_SUCCESS) {
            return count;
        }
        if (parent == controller) {
            return i;
        }
    }
    return count;
}

int DeviceOperation::GetVolumeIndexOfDisk(const DevInstList& volumes, DEVINST disk)
{
    const int count = static_cast<int>(volumes.GetSize());
    int diskNum = GetDiskNum(disk, &GUID_DEVINTERFACE_DISK);
    if (diskNum == -1) {
        return count;
    }
    for (int i = 0; i < count; ++i) {
        if (GetDiskNum(volumes[i], &GUID_DEVINTERFACE_VOLUME) == diskNum) {
            return i;
        }
    }
    return count;
}

HANDLE DeviceOperation::OpenDevice(const GUID* interfaceClass, DEVINST devInst)
{
    const wchar_t* fn = L"DeviceOperation::OpenDevice";
    CString path;
    if (!GetDevPathForCreatefile(devInst, interfaceClass, path)) {
        return INVALID_HANDLE_VALUE;
    }
    DebugPrint(L"%s -> disk path: %s\n", fn, path.GetString());
    HANDLE handle = seam::CreateFileW(path.GetString(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DebugPrint(L"%s -> Open Card Fail, Getlasterror: %d!\n", fn, GetLastError());
    }
    return handle;
}

int DeviceOperation::GetDiskNum(DEVINST devInst, const GUID* interfaceClass)
{
    const wchar_t* fn = L"DeviceOperation::GetDiskNum";
    ScopedDeviceHandle handle(OpenDevice(interfaceClass, devInst));
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

BOOL DeviceOperation::EnableDevice(DEVINST devInst, BOOL enable)
{
    const wchar_t* fn = L"DeviceOperation::EnableDevice";
    ScopedDeviceInfoSet set(seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, kAllPresent), fn);
    if (!set.IsValid()) {
        DebugPrint(L"%s -> Get device infolist fail, GetLastError: %d!\n", fn, GetLastError());
        return FALSE;
    }
    SP_DEVINFO_DATA data;
    if (!FindPresentDevice(set.Get(), devInst, &data)) {
        return FALSE;
    }
    SP_PROPCHANGE_PARAMS params = {};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = enable ? DICS_ENABLE : DICS_DISABLE;
    params.Scope = DICS_FLAG_CONFIGSPECIFIC;
    params.HwProfile = 0;
    if (!seam::SetupDiSetClassInstallParamsW(set.Get(), &data, &params.ClassInstallHeader, sizeof(params)) ||
        !seam::SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set.Get(), &data)) {
        DebugPrint(L"%s -> Fail to set state for the specific device!\n", fn);
        return FALSE;
    }
    SP_DEVINSTALL_PARAMS_W installParams = {};
    installParams.cbSize = sizeof(installParams);
    if (seam::SetupDiGetDeviceInstallParamsW(set.Get(), &data, &installParams) &&
        (installParams.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)) != 0) {
        DebugPrint(L"%s -> Need to reboot the system......\n", fn);
    } else {
        DebugPrint(L"%s -> Operation success!\n", fn);
    }
    return TRUE;
}

BOOL DeviceOperation::RescanDevices()
{
    DEVINST root = 0;
    if (seam::CM_Locate_DevNode_ExW(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL, nullptr) != CR_SUCCESS) {
        return FALSE;
    }
    return seam::CM_Reenumerate_DevNode_Ex(root, 0, nullptr) == CR_SUCCESS;
}

BOOL DeviceOperation::GetMcfgBaseAddress(ULONGLONG* base)
{
    UINT listSize = seam::EnumSystemFirmwareTables(kAcpiProvider, nullptr, 0);
    if (listSize != 0) {
        std::vector<BYTE> list(listSize, 0);
        UINT filled = seam::EnumSystemFirmwareTables(kAcpiProvider, list.data(), listSize);
        if (!ListsTable(list, filled <= listSize ? filled : 0, kMcfgSignature)) {
            return FALSE;
        }
    }
    // A table longer than the buffer is not copied: the base then reads 0.
    BYTE table[kMcfgBufferSize] = {};
    seam::GetSystemFirmwareTable(kAcpiProvider, kMcfgSignature, table, sizeof(table));
    ULONGLONG value = 0;
    memcpy(&value, table + kMcfgBaseOffset, sizeof(value));
    *base = value;
    return TRUE;
}
