#include "SimSeam.h"

#include "SimDriveData.h"
#include "SimWorld.h"

#include <winioctl.h>

#include <cstring>
#include <cwctype>
#include <map>
#include <memory>
#include <set>

namespace {

// Device information sets and open device handles of the simulation.
struct DevInfoSet {
    std::vector<int> nodes;
    std::map<int, SP_PROPCHANGE_PARAMS> changeParams;
    std::set<int> rebootAsked;
    std::set<int> driverLists;
};

struct OpenDevice {
    int node; // a disk or a volume node
};

std::set<DevInfoSet*> g_sets;
std::map<HANDLE, OpenDevice> g_handles;
// Simulated handles lie far above the platform's small handle values.
ULONG_PTR g_nextHandle = 0x5100000;

const char* GuidName(const GUID* guid)
{
    if (!guid)
        return "<null>";
    if (IsEqualGUID(*guid, SIM_GUID_DEVINTERFACE_DISK))
        return "GUID_DEVINTERFACE_DISK";
    if (IsEqualGUID(*guid, SIM_GUID_DEVINTERFACE_VOLUME))
        return "GUID_DEVINTERFACE_VOLUME";
    return "<guid>";
}

// A failure knob's answer: the failure value with a plausible last error.
CONFIGRET FaultCr()
{
    return CR_FAILURE;
}

BOOL FaultBool()
{
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
}

void Invert(void* data, size_t size)
{
    BYTE* bytes = static_cast<BYTE*>(data);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<BYTE>(~bytes[i]);
}

BOOL SetError(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

DevInfoSet* FindSet(HDEVINFO handle)
{
    DevInfoSet* set = reinterpret_cast<DevInfoSet*>(handle);
    return g_sets.count(set) ? set : nullptr;
}

// The member of a set that a caller's SP_DEVINFO_DATA names; -1 with the last error set.
int MemberNode(const SimMachine& machine, DevInfoSet* set, PSP_DEVINFO_DATA data)
{
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    int node = machine.NodeOf(data->DevInst);
    for (int member : set->nodes)
        if (member == node)
            return node;
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
}

bool NodeHasInterface(const SimNode& node, const GUID* guid)
{
    for (const SimInterface& entry : node.interfaces)
        if (!guid || IsEqualGUID(entry.classGuid, *guid))
            return true;
    return false;
}

// The device path of a node handle as "\\.\..." or an interface path, -1 when unknown.
int NodeOfPath(const SimMachine& machine, const std::wstring& path)
{
    std::wstring upper = SimUpper(path);
    const std::wstring physical = L"\\\\.\\PHYSICALDRIVE";
    if (upper.compare(0, physical.size(), physical) == 0) {
        std::wstring digits = upper.substr(physical.size());
        if (digits.empty() || digits.size() > 3 || digits.find_first_not_of(L"0123456789") != std::wstring::npos)
            return -1;
        return machine.DiskByNumber(std::stoi(digits));
    }
    if (upper.size() == 6 && upper.compare(0, 4, L"\\\\.\\") == 0 && upper[5] == L':')
        return machine.VolumeByLetter(upper[4]);
    for (size_t i = 0; i < machine.nodes.size(); ++i)
        for (const SimInterface& entry : machine.nodes[i].interfaces)
            if (machine.nodes[i].present && SimUpper(entry.path) == upper)
                return static_cast<int>(i);
    return -1;
}

int DriveOfDiskNode(const SimMachine& machine, int node)
{
    for (size_t d = 0; d < machine.drives.size(); ++d)
        if (machine.drives[d].disk == node)
            return static_cast<int>(d);
    return -1;
}

BOOL Output(LPDWORD returned, DWORD size)
{
    if (returned)
        *returned = size;
    return TRUE;
}

BOOL DeviceNumber(const SimNode& node, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (!out || outSize < sizeof(STORAGE_DEVICE_NUMBER))
        return SetError(ERROR_INSUFFICIENT_BUFFER);
    STORAGE_DEVICE_NUMBER number{};
    number.DeviceType = FILE_DEVICE_DISK;
    if (node.diskNumber >= 0) {
        number.DeviceNumber = node.diskNumber;
        number.PartitionNumber = 0;
    } else {
        number.DeviceNumber = node.volumeDisk;
        number.PartitionNumber = node.volumePartition;
    }
    std::memcpy(out, &number, sizeof(number));
    return Output(returned, sizeof(number));
}

BOOL DriveLayout(const SimMachine& machine, const SimNode& node, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (node.diskNumber < 0)
        return SetError(ERROR_INVALID_FUNCTION);
    std::vector<int> volumes = machine.VolumesOfDisk(node.diskNumber);
    DWORD count = static_cast<DWORD>(volumes.size());
    DWORD size = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) + count * sizeof(PARTITION_INFORMATION_EX);
    if (!out || outSize < size)
        return SetError(ERROR_INSUFFICIENT_BUFFER);
    std::memset(out, 0, size);
    DRIVE_LAYOUT_INFORMATION_EX* layout = static_cast<DRIVE_LAYOUT_INFORMATION_EX*>(out);
    layout->PartitionStyle = PARTITION_STYLE_MBR;
    layout->PartitionCount = count;
    layout->Mbr.Signature = 0x4B530000 + node.diskNumber;
    LONGLONG offset = 1024 * 1024;
    int drive = DriveOfDiskNode(machine, machine.DiskByNumber(node.diskNumber));
    LONGLONG diskBytes = drive >= 0 ? static_cast<LONGLONG>(machine.drives[drive].capacity) : 0;
    LONGLONG slice = count ? (diskBytes - offset) / count : 0;
    for (DWORD i = 0; i < count; ++i) {
        PARTITION_INFORMATION_EX& entry = layout->PartitionEntry[i];
        entry.PartitionStyle = PARTITION_STYLE_MBR;
        entry.StartingOffset.QuadPart = offset + i * slice;
        entry.PartitionLength.QuadPart = slice > 0 ? slice : 0;
        entry.PartitionNumber = machine.nodes[volumes[i]].volumePartition;
        entry.Mbr.PartitionType = PARTITION_IFS;
        entry.Mbr.BootIndicator = i == 0;
        entry.Mbr.RecognizedPartition = TRUE;
    }
    return Output(returned, size);
}

BOOL SmartVersion(const SimNode& node, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (node.diskNumber < 0 || node.smart == SimNode::SMART_NONE)
        return SetError(ERROR_INVALID_FUNCTION);
    if (!out || outSize < sizeof(GETVERSIONINPARAMS))
        return SetError(ERROR_INSUFFICIENT_BUFFER);
    GETVERSIONINPARAMS version{};
    version.bVersion = 1;
    version.bRevision = 1;
    version.bIDEDeviceMap = 1;
    version.fCapabilities = node.smart == SimNode::SMART_ATA ? (CAP_ATA_ID_CMD | CAP_SMART_CMD) : 0;
    std::memcpy(out, &version, sizeof(version));
    return Output(returned, sizeof(version));
}

// SMART_SEND_DRIVE_COMMAND and SMART_RCV_DRIVE_DATA: ATA commands through the
// disk, answered from the drive behind it.
BOOL SmartCommand(const SimMachine& machine, int node, bool receive, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                  LPDWORD returned)
{
    const SimNode& disk = machine.nodes[node];
    int drive = DriveOfDiskNode(machine, node);
    if (disk.diskNumber < 0 || disk.smart != SimNode::SMART_ATA || drive < 0)
        return SetError(ERROR_INVALID_FUNCTION);
    if (!in || inSize < sizeof(SENDCMDINPARAMS) - 1)
        return SetError(ERROR_INVALID_PARAMETER);
    SENDCMDINPARAMS request;
    std::memcpy(&request, in, sizeof(request) - 1);
    const IDEREGS& regs = request.irDriveRegs;
    DWORD dataSize = receive ? 512 : 0;
    DWORD size = offsetof(SENDCMDOUTPARAMS, bBuffer) + dataSize;
    if (!out || outSize < size)
        return SetError(ERROR_INSUFFICIENT_BUFFER);
    BYTE data[512] = {};
    const SimDrive& d = machine.drives[drive];
    if (regs.bCommandReg == ID_CMD && receive)
        SimDriveData::AtaIdentify(d, data);
    else if (regs.bCommandReg == SMART_CMD && regs.bCylLowReg == SMART_CYL_LOW && regs.bCylHighReg == SMART_CYL_HI) {
        if (regs.bFeaturesReg == READ_ATTRIBUTES && receive)
            SimDriveData::SmartData(d, data);
        else if (regs.bFeaturesReg == READ_THRESHOLDS && receive)
            SimDriveData::SmartThresholds(d, data);
        else if (!(regs.bFeaturesReg == ENABLE_SMART && !receive))
            return SetError(ERROR_INVALID_PARAMETER);
    } else
        return SetError(ERROR_INVALID_PARAMETER);
    std::memset(out, 0, size);
    SENDCMDOUTPARAMS* answer = static_cast<SENDCMDOUTPARAMS*>(out);
    answer->cBufferSize = dataSize;
    std::memcpy(answer->bBuffer, data, dataSize);
    return Output(returned, size);
}

const char* IoctlName(DWORD code)
{
    switch (code) {
    case IOCTL_STORAGE_GET_DEVICE_NUMBER:
        return "IOCTL_STORAGE_GET_DEVICE_NUMBER";
    case IOCTL_DISK_GET_DRIVE_LAYOUT_EX:
        return "IOCTL_DISK_GET_DRIVE_LAYOUT_EX";
    case SMART_GET_VERSION:
        return "SMART_GET_VERSION";
    case SMART_SEND_DRIVE_COMMAND:
        return "SMART_SEND_DRIVE_COMMAND";
    case SMART_RCV_DRIVE_DATA:
        return "SMART_RCV_DRIVE_DATA";
    default:
        return nullptr;
    }
}

CONFIGRET Relative(PDEVINST out, DEVINST devInst, ULONG flags, const char* name, int (*step)(const SimMachine&, int))
{
    SimLock lock;
    SimWorld& world = lock.World();
    int node = world.machine.NodeOf(devInst);
    if (SimRecordCall(world, name, world.machine.DriveOfNode(node), "%s, 0x%lx, %lu", SimPointer(out, "out").c_str(),
                      devInst, flags) == SimFaults::FAIL)
        return FaultCr();
    if (!out)
        return CR_INVALID_POINTER;
    if (flags != 0)
        return CR_INVALID_FLAG;
    if (node < 0 || !world.machine.nodes[node].present)
        return CR_NO_SUCH_DEVNODE;
    int related = step(world.machine, node);
    if (related < 0)
        return CR_NO_SUCH_DEVNODE;
    *out = SimMachine::DevInstOf(related);
    return CR_SUCCESS;
}

} // namespace

extern "C" {

CONFIGRET SimCM_Get_Device_IDW(DEVINST dnDevInst, PWCHAR Buffer, ULONG BufferLen, ULONG ulFlags)
{
    SimLock lock;
    SimWorld& world = lock.World();
    int node = world.machine.NodeOf(dnDevInst);
    SimFaults::Action action =
        SimRecordCall(world, "CM_Get_Device_IDW", world.machine.DriveOfNode(node), "0x%lx, %s, %lu, %lu", dnDevInst,
                      SimPointer(Buffer, "buf").c_str(), BufferLen, ulFlags);
    if (action == SimFaults::FAIL)
        return FaultCr();
    if (!Buffer)
        return CR_INVALID_POINTER;
    if (node < 0)
        return CR_NO_SUCH_DEVNODE;
    const std::wstring& id = world.machine.nodes[node].instanceId;
    if (BufferLen <= id.size())
        return CR_BUFFER_SMALL;
    std::memcpy(Buffer, id.c_str(), (id.size() + 1) * sizeof(wchar_t));
    if (action == SimFaults::CORRUPT)
        Invert(Buffer, id.size() * sizeof(wchar_t));
    return CR_SUCCESS;
}

CONFIGRET SimCM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return Relative(pdnDevInst, dnDevInst, ulFlags, "CM_Get_Parent",
                    [](const SimMachine& m, int node) { return m.nodes[node].parent; });
}

CONFIGRET SimCM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return Relative(pdnDevInst, dnDevInst, ulFlags, "CM_Get_Child",
                    [](const SimMachine& m, int node) { return m.FirstChild(node); });
}

CONFIGRET SimCM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return Relative(pdnDevInst, dnDevInst, ulFlags, "CM_Get_Sibling",
                    [](const SimMachine& m, int node) { return m.NextSibling(node); });
}

CONFIGRET SimCM_Get_Depth(PULONG pulDepth, DEVINST dnDevInst, ULONG ulFlags)
{
    SimLock lock;
    SimWorld& world = lock.World();
    int node = world.machine.NodeOf(dnDevInst);
    if (SimRecordCall(world, "CM_Get_Depth", world.machine.DriveOfNode(node), "%s, 0x%lx, %lu",
                      SimPointer(pulDepth, "out").c_str(), dnDevInst, ulFlags) == SimFaults::FAIL)
        return FaultCr();
    if (!pulDepth)
        return CR_INVALID_POINTER;
    if (node < 0 || !world.machine.nodes[node].present)
        return CR_NO_SUCH_DEVNODE;
    *pulDepth = world.machine.Depth(node);
    return CR_SUCCESS;
}

CONFIGRET SimCM_Locate_DevNode_ExW(PDEVINST pdnDevInst, DEVINSTID_W pDeviceID, ULONG ulFlags, HMACHINE hMachine)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "CM_Locate_DevNode_ExW", -1, "%s, %s, 0x%lx, %s", SimPointer(pdnDevInst, "out").c_str(),
                      SimQuote(pDeviceID).c_str(), ulFlags, SimPointer(hMachine, "machine").c_str()) == SimFaults::FAIL)
        return FaultCr();
    if (!pdnDevInst)
        return CR_INVALID_POINTER;
    if (hMachine)
        return CR_INVALID_MACHINENAME;
    int node = 0;
    if (pDeviceID && *pDeviceID)
        node = world.machine.NodeByInstanceId(pDeviceID);
    else if (world.machine.nodes.empty())
        node = -1;
    bool phantomAllowed = (ulFlags & CM_LOCATE_DEVNODE_PHANTOM) != 0;
    if (node < 0 || (!world.machine.nodes[node].present && !phantomAllowed))
        return CR_NO_SUCH_DEVNODE;
    *pdnDevInst = SimMachine::DevInstOf(node);
    return CR_SUCCESS;
}

CONFIGRET SimCM_Reenumerate_DevNode_Ex(DEVINST dnDevInst, ULONG ulFlags, HMACHINE hMachine)
{
    SimLock lock;
    SimWorld& world = lock.World();
    int node = world.machine.NodeOf(dnDevInst);
    if (SimRecordCall(world, "CM_Reenumerate_DevNode_Ex", world.machine.DriveOfNode(node), "0x%lx, 0x%lx, %s",
                      dnDevInst, ulFlags, SimPointer(hMachine, "machine").c_str()) == SimFaults::FAIL)
        return FaultCr();
    if (hMachine)
        return CR_INVALID_MACHINENAME;
    if (node < 0 || !world.machine.nodes[node].present)
        return CR_NO_SUCH_DEVNODE;
    return CR_SUCCESS;
}

HDEVINFO SimSetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent, DWORD Flags)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "SetupDiGetClassDevsW", -1, "%s, %s, %s, 0x%lx", GuidName(ClassGuid),
                      SimQuote(Enumerator).c_str(), SimPointer(hwndParent, "hwnd").c_str(), Flags) == SimFaults::FAIL) {
        SetLastError(ERROR_GEN_FAILURE);
        return INVALID_HANDLE_VALUE;
    }
    bool interfaces = (Flags & DIGCF_DEVICEINTERFACE) != 0;
    bool allClasses = (Flags & DIGCF_ALLCLASSES) != 0;
    if (!ClassGuid && !allClasses) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const SimMachine& machine = world.machine;
    std::unique_ptr<DevInfoSet> set(new DevInfoSet());
    int only = -1;
    std::wstring busPrefix;
    if (Enumerator && *Enumerator) {
        if (std::wcschr(Enumerator, L'\\')) {
            // An instance id names one device; the platform wants the interface flag for it.
            if (!interfaces) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return INVALID_HANDLE_VALUE;
            }
            only = machine.NodeByInstanceId(Enumerator);
            if (only < 0) {
                SetLastError(ERROR_NO_SUCH_DEVINST);
                return INVALID_HANDLE_VALUE;
            }
        } else
            busPrefix = SimUpper(Enumerator) + L"\\";
    }
    for (size_t i = 0; i < machine.nodes.size(); ++i) {
        const SimNode& node = machine.nodes[i];
        if ((Flags & DIGCF_PRESENT) && !node.present)
            continue;
        if (only >= 0 && static_cast<int>(i) != only)
            continue;
        if (!busPrefix.empty() && SimUpper(node.instanceId).compare(0, busPrefix.size(), busPrefix) != 0)
            continue;
        if (interfaces && !NodeHasInterface(node, allClasses ? nullptr : ClassGuid) && only < 0)
            continue;
        if (!interfaces && !allClasses)
            continue; // setup classes are not modelled: a class filter finds nothing
        set->nodes.push_back(static_cast<int>(i));
    }
    DevInfoSet* handle = set.release();
    g_sets.insert(handle);
    return reinterpret_cast<HDEVINFO>(handle);
}

BOOL SimSetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData)
{
    SimLock lock;
    SimWorld& world = lock.World();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    int node = set && MemberIndex < set->nodes.size() ? set->nodes[MemberIndex] : -1;
    if (SimRecordCall(world, "SetupDiEnumDeviceInfo", world.machine.DriveOfNode(node), "%s, %lu, %s",
                      SimPointer(DeviceInfoSet, "set").c_str(), MemberIndex,
                      SimPointer(DeviceInfoData, "out").c_str()) == SimFaults::FAIL)
        return FaultBool();
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    if (!DeviceInfoData || DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
        return SetError(ERROR_INVALID_USER_BUFFER);
    if (node < 0)
        return SetError(ERROR_NO_MORE_ITEMS);
    DeviceInfoData->ClassGuid = GUID{};
    DeviceInfoData->DevInst = SimMachine::DevInstOf(node);
    DeviceInfoData->Reserved = MemberIndex;
    return TRUE;
}

BOOL SimSetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "SetupDiDestroyDeviceInfoList", -1, "%s", SimPointer(DeviceInfoSet, "set").c_str()) ==
        SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    g_sets.erase(set);
    delete set;
    return TRUE;
}

BOOL SimSetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                          PDWORD PropertyRegDataType, PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                          PDWORD RequiredSize)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    int drive = DeviceInfoData ? machine.DriveOfNode(machine.NodeOf(DeviceInfoData->DevInst)) : -1;
    SimFaults::Action action =
        SimRecordCall(world, "SetupDiGetDeviceRegistryPropertyW", drive, "%s, 0x%lx, %lu, %s, %s, %lu, %s",
                      SimPointer(DeviceInfoSet, "set").c_str(), DeviceInfoData ? DeviceInfoData->DevInst : 0, Property,
                      SimPointer(PropertyRegDataType, "out").c_str(), SimPointer(PropertyBuffer, "buf").c_str(),
                      PropertyBufferSize, SimPointer(RequiredSize, "out").c_str());
    if (action == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    int node = MemberNode(machine, set, DeviceInfoData);
    if (node < 0)
        return FALSE;
    auto found = machine.nodes[node].properties.find(Property);
    if (found == machine.nodes[node].properties.end())
        return SetError(ERROR_INVALID_DATA);
    const SimProperty& property = found->second;
    DWORD size = static_cast<DWORD>(property.bytes.size());
    if (PropertyRegDataType)
        *PropertyRegDataType = property.type;
    if (RequiredSize)
        *RequiredSize = size;
    if (!PropertyBuffer || PropertyBufferSize < size)
        return SetError(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(PropertyBuffer, property.bytes.data(), size);
    if (action == SimFaults::CORRUPT)
        Invert(PropertyBuffer, size);
    return TRUE;
}

BOOL SimSetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                    const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                    PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    if (SimRecordCall(world, "SetupDiEnumDeviceInterfaces", -1, "%s, %s, %s, %lu, %s",
                      SimPointer(DeviceInfoSet, "set").c_str(), SimPointer(DeviceInfoData, "data").c_str(),
                      GuidName(InterfaceClassGuid), MemberIndex,
                      SimPointer(DeviceInterfaceData, "out").c_str()) == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    if (!InterfaceClassGuid)
        return SetError(ERROR_INVALID_PARAMETER);
    if (!DeviceInterfaceData || DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return SetError(ERROR_INVALID_USER_BUFFER);
    int onlyNode = -1;
    if (DeviceInfoData) {
        onlyNode = MemberNode(machine, set, DeviceInfoData);
        if (onlyNode < 0)
            return FALSE;
    }
    DWORD seen = 0;
    for (int node : set->nodes) {
        if (onlyNode >= 0 && node != onlyNode)
            continue;
        const std::vector<SimInterface>& list = machine.nodes[node].interfaces;
        for (size_t i = 0; i < list.size(); ++i) {
            if (!IsEqualGUID(list[i].classGuid, *InterfaceClassGuid))
                continue;
            if (seen++ != MemberIndex)
                continue;
            DeviceInterfaceData->InterfaceClassGuid = list[i].classGuid;
            DeviceInterfaceData->Flags = SPINT_ACTIVE;
            // Which node and which of its interfaces, for the detail call.
            DeviceInterfaceData->Reserved = (static_cast<ULONG_PTR>(node) << 16) | i;
            return TRUE;
        }
    }
    return SetError(ERROR_NO_MORE_ITEMS);
}

BOOL SimSetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                         PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                         DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                         PSP_DEVINFO_DATA DeviceInfoData)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    int node = DeviceInterfaceData ? static_cast<int>(DeviceInterfaceData->Reserved >> 16) : -1;
    size_t index = DeviceInterfaceData ? (DeviceInterfaceData->Reserved & 0xFFFF) : 0;
    SimFaults::Action action =
        SimRecordCall(world, "SetupDiGetDeviceInterfaceDetailW", machine.DriveOfNode(node), "%s, %s, %s, %lu, %s, %s",
                      SimPointer(DeviceInfoSet, "set").c_str(), SimPointer(DeviceInterfaceData, "data").c_str(),
                      SimPointer(DeviceInterfaceDetailData, "buf").c_str(), DeviceInterfaceDetailDataSize,
                      SimPointer(RequiredSize, "out").c_str(), SimPointer(DeviceInfoData, "out").c_str());
    if (action == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    if (!DeviceInterfaceData || node < 0 || node >= static_cast<int>(machine.nodes.size()) ||
        index >= machine.nodes[node].interfaces.size())
        return SetError(ERROR_INVALID_PARAMETER);
    const std::wstring& path = machine.nodes[node].interfaces[index].path;
    DWORD size = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                    (path.size() + 1) * sizeof(wchar_t));
    if (RequiredSize)
        *RequiredSize = size;
    if (DeviceInterfaceDetailData && DeviceInterfaceDetailData->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return SetError(ERROR_INVALID_USER_BUFFER);
    if (!DeviceInterfaceDetailData || DeviceInterfaceDetailDataSize < size)
        return SetError(ERROR_INSUFFICIENT_BUFFER);
    if (DeviceInfoData) {
        if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
            return SetError(ERROR_INVALID_USER_BUFFER);
        DeviceInfoData->ClassGuid = GUID{};
        DeviceInfoData->DevInst = SimMachine::DevInstOf(node);
        DeviceInfoData->Reserved = 0;
    }
    std::memcpy(DeviceInterfaceDetailData->DevicePath, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    if (action == SimFaults::CORRUPT)
        Invert(DeviceInterfaceDetailData->DevicePath, path.size() * sizeof(wchar_t));
    return TRUE;
}

BOOL SimSetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    int drive = DeviceInfoData ? machine.DriveOfNode(machine.NodeOf(DeviceInfoData->DevInst)) : -1;
    if (SimRecordCall(world, "SetupDiBuildDriverInfoList", drive, "%s, %s, %lu",
                      SimPointer(DeviceInfoSet, "set").c_str(), SimPointer(DeviceInfoData, "data").c_str(),
                      DriverType) == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    if (DriverType != SPDIT_COMPATDRIVER && DriverType != SPDIT_CLASSDRIVER)
        return SetError(ERROR_INVALID_PARAMETER);
    int node = MemberNode(machine, set, DeviceInfoData);
    if (node < 0)
        return FALSE;
    set->driverLists.insert(node);
    return TRUE;
}

BOOL SimSetupDiEnumDriverInfoW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType,
                               DWORD MemberIndex, PSP_DRVINFO_DATA_W DriverInfoData)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    int drive = DeviceInfoData ? machine.DriveOfNode(machine.NodeOf(DeviceInfoData->DevInst)) : -1;
    SimFaults::Action action = SimRecordCall(
        world, "SetupDiEnumDriverInfoW", drive, "%s, %s, %lu, %lu, %s", SimPointer(DeviceInfoSet, "set").c_str(),
        SimPointer(DeviceInfoData, "data").c_str(), DriverType, MemberIndex, SimPointer(DriverInfoData, "out").c_str());
    if (action == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    int node = MemberNode(machine, set, DeviceInfoData);
    if (node < 0)
        return FALSE;
    if (!DriverInfoData || (DriverInfoData->cbSize != sizeof(SP_DRVINFO_DATA_V2_W) &&
                            DriverInfoData->cbSize != sizeof(SP_DRVINFO_DATA_V1_W)))
        return SetError(ERROR_INVALID_USER_BUFFER);
    const std::vector<SimDriver>& drivers = machine.nodes[node].drivers;
    if (!set->driverLists.count(node) || MemberIndex >= drivers.size())
        return SetError(ERROR_NO_MORE_ITEMS);
    const SimDriver& driver = drivers[MemberIndex];
    DWORD size = DriverInfoData->cbSize;
    std::memset(DriverInfoData, 0, size);
    DriverInfoData->cbSize = size;
    DriverInfoData->DriverType = DriverType;
    lstrcpynW(DriverInfoData->Description, driver.description.c_str(), LINE_LEN);
    lstrcpynW(DriverInfoData->MfgName, driver.manufacturer.c_str(), LINE_LEN);
    lstrcpynW(DriverInfoData->ProviderName, driver.provider.c_str(), LINE_LEN);
    if (size == sizeof(SP_DRVINFO_DATA_V2_W)) {
        DriverInfoData->DriverDate = driver.date;
        DriverInfoData->DriverVersion = driver.version;
        if (action == SimFaults::CORRUPT)
            DriverInfoData->DriverVersion = ~driver.version;
    }
    return TRUE;
}

BOOL SimSetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "SetupDiDestroyDriverInfoList", -1, "%s, %s, %lu",
                      SimPointer(DeviceInfoSet, "set").c_str(), SimPointer(DeviceInfoData, "data").c_str(),
                      DriverType) == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    if (DeviceInfoData) {
        int node = MemberNode(world.machine, set, DeviceInfoData);
        if (node < 0)
            return FALSE;
        set->driverLists.erase(node);
    } else
        set->driverLists.clear();
    return TRUE;
}

BOOL SimSetupDiSetClassInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                      PSP_CLASSINSTALL_HEADER ClassInstallParams, DWORD ClassInstallParamsSize)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    int drive = DeviceInfoData ? machine.DriveOfNode(machine.NodeOf(DeviceInfoData->DevInst)) : -1;
    if (SimRecordCall(world, "SetupDiSetClassInstallParamsW", drive, "%s, %s, %s, %lu",
                      SimPointer(DeviceInfoSet, "set").c_str(), SimPointer(DeviceInfoData, "data").c_str(),
                      SimPointer(ClassInstallParams, "data").c_str(), ClassInstallParamsSize) == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    int node = MemberNode(machine, set, DeviceInfoData);
    if (node < 0)
        return FALSE;
    if (!ClassInstallParams) {
        set->changeParams.erase(node);
        return TRUE;
    }
    if (ClassInstallParams->cbSize != sizeof(SP_CLASSINSTALL_HEADER) ||
        ClassInstallParams->InstallFunction != DIF_PROPERTYCHANGE ||
        ClassInstallParamsSize != sizeof(SP_PROPCHANGE_PARAMS))
        return SetError(ERROR_INVALID_PARAMETER);
    set->changeParams[node] = *reinterpret_cast<PSP_PROPCHANGE_PARAMS>(ClassInstallParams);
    return TRUE;
}

BOOL SimSetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData)
{
    SimLock lock;
    SimWorld& world = lock.World();
    SimMachine& machine = world.machine;
    int drive = DeviceInfoData ? machine.DriveOfNode(machine.NodeOf(DeviceInfoData->DevInst)) : -1;
    if (SimRecordCall(world, "SetupDiCallClassInstaller", drive, "%lu, %s, %s",
                      static_cast<unsigned long>(InstallFunction), SimPointer(DeviceInfoSet, "set").c_str(),
                      SimPointer(DeviceInfoData, "data").c_str()) == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    int node = MemberNode(machine, set, DeviceInfoData);
    if (node < 0)
        return FALSE;
    if (InstallFunction != DIF_PROPERTYCHANGE)
        return SetError(ERROR_DI_DO_DEFAULT);
    auto params = set->changeParams.find(node);
    if (params == set->changeParams.end())
        return SetError(ERROR_INVALID_PARAMETER);
    DWORD change = params->second.StateChange;
    if (change == DICS_ENABLE)
        machine.nodes[node].enabled = true;
    else if (change == DICS_DISABLE)
        machine.nodes[node].enabled = false;
    else if (change != DICS_PROPCHANGE)
        return SetError(ERROR_INVALID_PARAMETER);
    if (machine.nodes[node].needsReboot)
        set->rebootAsked.insert(node);
    return TRUE;
}

BOOL SimSetupDiGetDeviceInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                       PSP_DEVINSTALL_PARAMS_W DeviceInstallParams)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    int drive = DeviceInfoData ? machine.DriveOfNode(machine.NodeOf(DeviceInfoData->DevInst)) : -1;
    if (SimRecordCall(world, "SetupDiGetDeviceInstallParamsW", drive, "%s, %s, %s",
                      SimPointer(DeviceInfoSet, "set").c_str(), SimPointer(DeviceInfoData, "data").c_str(),
                      SimPointer(DeviceInstallParams, "out").c_str()) == SimFaults::FAIL)
        return FaultBool();
    DevInfoSet* set = FindSet(DeviceInfoSet);
    if (!set)
        return SetError(ERROR_INVALID_HANDLE);
    if (!DeviceInstallParams || DeviceInstallParams->cbSize != sizeof(SP_DEVINSTALL_PARAMS_W))
        return SetError(ERROR_INVALID_USER_BUFFER);
    int node = -1;
    if (DeviceInfoData) {
        node = MemberNode(machine, set, DeviceInfoData);
        if (node < 0)
            return FALSE;
    }
    std::memset(DeviceInstallParams, 0, sizeof(SP_DEVINSTALL_PARAMS_W));
    DeviceInstallParams->cbSize = sizeof(SP_DEVINSTALL_PARAMS_W);
    if (node >= 0 && set->rebootAsked.count(node))
        DeviceInstallParams->Flags = DI_NEEDREBOOT;
    return TRUE;
}

HANDLE SimCreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                      LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                      DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    int node = lpFileName ? NodeOfPath(machine, lpFileName) : -1;
    if (SimRecordCall(world, "CreateFileW", machine.DriveOfNode(node), "%s, 0x%lx, %lu, %s, %lu, 0x%lx, %s",
                      SimQuote(lpFileName).c_str(), dwDesiredAccess, dwShareMode,
                      SimPointer(lpSecurityAttributes, "data").c_str(), dwCreationDisposition, dwFlagsAndAttributes,
                      SimPointer(hTemplateFile, "handle").c_str()) == SimFaults::FAIL) {
        SetLastError(ERROR_GEN_FAILURE);
        return INVALID_HANDLE_VALUE;
    }
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (node < 0 || !machine.nodes[node].enabled) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (dwCreationDisposition != OPEN_EXISTING) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(g_nextHandle);
    g_nextHandle += 4;
    g_handles[handle] = OpenDevice{node};
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL SimDeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                        LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped)
{
    SimLock lock;
    SimWorld& world = lock.World();
    const SimMachine& machine = world.machine;
    auto open = g_handles.find(hDevice);
    int node = open != g_handles.end() ? open->second.node : -1;
    if (node >= static_cast<int>(machine.nodes.size()))
        node = -1; // the machine changed under the handle
    const char* name = IoctlName(dwIoControlCode);
    std::string code = name ? name : SimFormat("0x%lx", dwIoControlCode);
    SimFaults::Action action =
        SimRecordCall(world, "DeviceIoControl", machine.DriveOfNode(node), "%s, %s, %s, %lu, %s, %lu, %s, %s",
                      SimPointer(hDevice, "handle").c_str(), code.c_str(), SimPointer(lpInBuffer, "data").c_str(),
                      nInBufferSize, SimPointer(lpOutBuffer, "buf").c_str(), nOutBufferSize,
                      SimPointer(lpBytesReturned, "out").c_str(), SimPointer(lpOverlapped, "overlapped").c_str());
    if (action == SimFaults::FAIL)
        return FaultBool();
    if (node < 0)
        return SetError(ERROR_INVALID_HANDLE);
    if (lpBytesReturned)
        *lpBytesReturned = 0;
    const SimNode& device = machine.nodes[node];
    BOOL result = FALSE;
    switch (dwIoControlCode) {
    case IOCTL_STORAGE_GET_DEVICE_NUMBER:
        result = DeviceNumber(device, lpOutBuffer, nOutBufferSize, lpBytesReturned);
        break;
    case IOCTL_DISK_GET_DRIVE_LAYOUT_EX:
        result = DriveLayout(machine, device, lpOutBuffer, nOutBufferSize, lpBytesReturned);
        break;
    case SMART_GET_VERSION:
        result = SmartVersion(device, lpOutBuffer, nOutBufferSize, lpBytesReturned);
        break;
    case SMART_SEND_DRIVE_COMMAND:
    case SMART_RCV_DRIVE_DATA:
        result = SmartCommand(machine, node, dwIoControlCode == SMART_RCV_DRIVE_DATA, lpInBuffer, nInBufferSize,
                              lpOutBuffer, nOutBufferSize, lpBytesReturned);
        break;
    default:
        return SetError(ERROR_INVALID_FUNCTION);
    }
    if (result && action == SimFaults::CORRUPT && lpBytesReturned)
        Invert(lpOutBuffer, *lpBytesReturned);
    return result;
}

int SimGetOpenDeviceHandleCount(void)
{
    SimLock lock;
    return static_cast<int>(g_handles.size());
}

int SimGetOpenDeviceInfoSetCount(void)
{
    SimLock lock;
    return static_cast<int>(g_sets.size());
}

BOOL SimCloseHandle(HANDLE hObject)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "CloseHandle", -1, "%s", SimPointer(hObject, "handle").c_str()) == SimFaults::FAIL)
        return FaultBool();
    if (!g_handles.erase(hObject))
        return SetError(ERROR_INVALID_HANDLE);
    return TRUE;
}

DWORD SimGetLogicalDrives(void)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "GetLogicalDrives", -1, "") == SimFaults::FAIL) {
        SetLastError(ERROR_GEN_FAILURE);
        return 0;
    }
    DWORD mask = 0;
    for (const SimNode& node : world.machine.nodes)
        if (node.present && node.volumeLetter >= L'A' && node.volumeLetter <= L'Z')
            mask |= 1u << (node.volumeLetter - L'A');
    return mask;
}

UINT SimGetDriveTypeW(LPCWSTR lpRootPathName)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "GetDriveTypeW", -1, "%s", SimQuote(lpRootPathName).c_str()) == SimFaults::FAIL)
        return DRIVE_UNKNOWN;
    if (!lpRootPathName || !lpRootPathName[0] || lpRootPathName[1] != L':')
        return DRIVE_NO_ROOT_DIR;
    int volume = world.machine.VolumeByLetter(lpRootPathName[0]);
    return volume < 0 ? DRIVE_NO_ROOT_DIR : world.machine.nodes[volume].driveType;
}

UINT SimGetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "GetSystemDirectoryW", -1, "%s, %u", SimPointer(lpBuffer, "buf").c_str(), uSize) ==
        SimFaults::FAIL) {
        SetLastError(ERROR_GEN_FAILURE);
        return 0;
    }
    const std::wstring& directory = world.machine.systemDirectory;
    UINT length = static_cast<UINT>(directory.size());
    if (!lpBuffer || uSize <= length)
        return length + 1;
    std::memcpy(lpBuffer, directory.c_str(), (length + 1) * sizeof(wchar_t));
    return length;
}

// Both firmware-table calls answer as Win32 does: the bytes written, or the
// size needed (greater than the buffer) without writing, or 0 with the last
// error when there is nothing to give.
UINT SimEnumSystemFirmwareTables(DWORD FirmwareTableProviderSignature, PVOID pFirmwareTableEnumBuffer, DWORD BufferSize)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "EnumSystemFirmwareTables", -1, "0x%lx, %s, %lu", FirmwareTableProviderSignature,
                      SimPointer(pFirmwareTableEnumBuffer, "buf").c_str(), BufferSize) == SimFaults::FAIL) {
        SetLastError(ERROR_GEN_FAILURE);
        return 0;
    }
    std::vector<DWORD> ids;
    for (const SimFirmwareTable& table : world.machine.firmwareTables)
        if (table.provider == FirmwareTableProviderSignature)
            ids.push_back(table.id);
    UINT size = static_cast<UINT>(ids.size() * sizeof(DWORD));
    if (size == 0) {
        SetLastError(ERROR_NOT_FOUND);
        return 0;
    }
    if (!pFirmwareTableEnumBuffer || BufferSize < size)
        return size;
    std::memcpy(pFirmwareTableEnumBuffer, ids.data(), size);
    return size;
}

UINT SimGetSystemFirmwareTable(DWORD FirmwareTableProviderSignature, DWORD FirmwareTableID, PVOID pFirmwareTableBuffer,
                               DWORD BufferSize)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (SimRecordCall(world, "GetSystemFirmwareTable", -1, "0x%lx, 0x%lx, %s, %lu", FirmwareTableProviderSignature,
                      FirmwareTableID, SimPointer(pFirmwareTableBuffer, "buf").c_str(),
                      BufferSize) == SimFaults::FAIL) {
        SetLastError(ERROR_GEN_FAILURE);
        return 0;
    }
    for (const SimFirmwareTable& table : world.machine.firmwareTables) {
        if (table.provider != FirmwareTableProviderSignature || table.id != FirmwareTableID)
            continue;
        UINT size = static_cast<UINT>(table.bytes.size());
        if (!pFirmwareTableBuffer || BufferSize < size)
            return size;
        std::memcpy(pFirmwareTableBuffer, table.bytes.data(), size);
        return size;
    }
    SetLastError(ERROR_NOT_FOUND);
    return 0;
}

} // extern "C"
