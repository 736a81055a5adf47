// DeviceOperation: the facts of one device node (properties, instance id,
// parent, interface path, PCI location, driver) and the hex dumps.

#include "DeviceOperation.h"

#include <vector>

#include "PlatformSeam.h"
#include "ScopedDeviceInfoSet.h"
#include "ScopedHeapBlock.h"
#include "Trace.h"
#include "define.h"

namespace {

const DWORD kAllPresent = DIGCF_PRESENT | DIGCF_ALLCLASSES;
const int kInstanceIdLength = 256;

bool IsListed(const DevInstList& nodes, DEVINST node)
{
    for (INT_PTR i = 0; i < nodes.GetSize(); ++i) {
        if (nodes[i] == node) {
            return true;
        }
    }
    return false;
}

} // namespace

// Walks the set from its first member; nothing is cached between calls.
BOOL DeviceOperation::FindPresentDevice(HDEVINFO set, DEVINST devInst, SP_DEVINFO_DATA* data)
{
    data->cbSize = sizeof(SP_DEVINFO_DATA);
    for (DWORD index = 0; seam::SetupDiEnumDeviceInfo(set, index, data); ++index) {
        if (data->DevInst == devInst) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL DeviceOperation::ReadProperty(HDEVINFO set, SP_DEVINFO_DATA* data, DWORD property, CString& text)
{
    DWORD type = 0;
    DWORD required = 0;
    if (seam::SetupDiGetDeviceRegistryPropertyW(set, data, property, &type, nullptr, 0, &required) || required == 0) {
        return FALSE;
    }
    // Two spare characters keep a text that the device stored without its
    // terminators terminated.
    std::vector<wchar_t> buffer(required / 2 + 2, L'\0');
    if (!seam::SetupDiGetDeviceRegistryPropertyW(set, data, property, &type, reinterpret_cast<PBYTE>(buffer.data()),
                                                 required, &required)) {
        return FALSE;
    }
    if (type == REG_SZ) {
        text = buffer.data();
    } else if (type == REG_MULTI_SZ) {
        text = MultiSzToStr(buffer.data(), static_cast<DWORD>(buffer.size() - 2));
    }
    return TRUE;
}

BOOL DeviceOperation::GetDevPropertyStr(DEVINST devInst, DWORD property, CString& text)
{
    const wchar_t* fn = L"DeviceOperation::GetDevPropertyStr";
    text.Empty();
    ScopedDeviceInfoSet set(seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, kAllPresent), fn);
    if (!set.IsValid()) {
        DebugPrint(L"%s -> Get device infolist fail!\n", fn);
        return FALSE;
    }
    SP_DEVINFO_DATA data;
    return FindPresentDevice(set.Get(), devInst, &data) && ReadProperty(set.Get(), &data, property, text);
}

BOOL DeviceOperation::GetDevPropertyDWORD(DEVINST devInst, DWORD property, DWORD* value)
{
    const wchar_t* fn = L"DeviceOperation::GetDevPropertyDWORD";
    ScopedDeviceInfoSet set(seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, kAllPresent), fn);
    if (!set.IsValid()) {
        DebugPrint(L"%s-> Get device infolist fail!\n", fn);
        return FALSE;
    }
    BOOL result = FALSE;
    SP_DEVINFO_DATA data;
    if (FindPresentDevice(set.Get(), devInst, &data)) {
        std::vector<BYTE> buffer(sizeof(DWORD), 0);
        DWORD type = 0;
        DWORD required = 0;
        result = seam::SetupDiGetDeviceRegistryPropertyW(set.Get(), &data, property, &type, buffer.data(),
                                                         sizeof(DWORD), &required);
        if (!result && required > sizeof(DWORD)) {
            buffer.assign(required, 0);
            result = seam::SetupDiGetDeviceRegistryPropertyW(set.Get(), &data, property, &type, buffer.data(), required,
                                                             &required);
        }
        if (result) {
            memcpy(value, buffer.data(), sizeof(DWORD));
            result = TRUE;
        }
    }
    return result;
}

void DeviceOperation::GetDevInstanceId(DEVINST devInst, CString& id)
{
    id.Empty();
    wchar_t buffer[kInstanceIdLength] = {};
    if (seam::CM_Get_Device_IDW(devInst, buffer, kInstanceIdLength, 0) == CR_SUCCESS) {
        buffer[kInstanceIdLength - 1] = L'\0';
        id += buffer;
    }
}

BOOL DeviceOperation::GetParentDevInst(DEVINST devInst, DEVINST* parent)
{
    DEVINST found = 0;
    if (seam::CM_Get_Parent(&found, devInst, 0) != CR_SUCCESS) {
        return FALSE;
    }
    *parent = found;
    return TRUE;
}

// The set of the node alone, named by its instance id.
HDEVINFO DeviceOperation::GetInstanceSet(const CString& instanceId, const GUID* interfaceClass)
{
    return seam::SetupDiGetClassDevsW(interfaceClass, instanceId.GetString(), nullptr,
                                      kAllPresent | DIGCF_DEVICEINTERFACE);
}

BOOL DeviceOperation::GetDevPathForCreatefile(DEVINST devInst, const GUID* interfaceClass, CString& path)
{
    const wchar_t* fn = L"DeviceOperation::GetDevPathForCreatefile";
    // An empty instance id names no enumerator, and the set would then hold
    // every device of the class: the first disk of all is not this node's.
    CString id;
    GetDevInstanceId(devInst, id);
    if (id.IsEmpty()) {
        return FALSE;
    }
    ScopedDeviceInfoSet set(GetInstanceSet(id, interfaceClass), fn);
    if (!set.IsValid()) {
        DebugPrint(L"%s -> Get device infolist fail!\n", fn);
        return FALSE;
    }
    SP_DEVICE_INTERFACE_DATA interfaceData;
    interfaceData.cbSize = sizeof(interfaceData);
    for (DWORD index = 0; seam::SetupDiEnumDeviceInterfaces(set.Get(), nullptr, interfaceClass, index, &interfaceData);
         ++index) {
        DWORD required = 0;
        seam::SetupDiGetDeviceInterfaceDetailW(set.Get(), &interfaceData, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            continue; // no detail to read
        }
        ScopedHeapBlock block(required);
        if (!block.IsValid()) {
            break;
        }
        auto* detail = block.As<SP_DEVICE_INTERFACE_DETAIL_DATA_W>();
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA devData;
        devData.cbSize = sizeof(devData);
        if (seam::SetupDiGetDeviceInterfaceDetailW(set.Get(), &interfaceData, detail, required, nullptr, &devData)) {
            path = detail->DevicePath;
            DebugPrint(L"%s -> %s\n", fn, path.GetString());
            return TRUE;
        }
    }
    return FALSE;
}

BOOL DeviceOperation::GetBDFNumByDevInst(DEVINST devInst, DWORD* bus, DWORD* device, DWORD* function)
{
    *bus = *device = *function = 0xFFFFFFFF;
    DWORD busNumber = 0;
    DWORD address = 0;
    if (!GetDevPropertyDWORD(devInst, SPDRP_BUSNUMBER, &busNumber) ||
        !GetDevPropertyDWORD(devInst, SPDRP_ADDRESS, &address)) {
        return FALSE;
    }
    *bus = busNumber;
    *device = address >> 16;
    *function = address & 0xFFFF;
    DebugPrint(L"%s -> busNum %d devNum %d funNum %d address 0x%X\n", L"DeviceOperation::GetBDFNumByDevInst", *bus,
               *device, *function, address);
    return TRUE;
}

BOOL DeviceOperation::GetDeviceDriverVerAndDate(DEVINST devInst, CString& version, CString& date)
{
    const wchar_t* fn = L"DeviceOperation::GetDeviceDriverVerAndDate";
    CString id;
    GetDevInstanceId(devInst, id);
    if (id.IsEmpty()) {
        return FALSE;
    }
    ScopedDeviceInfoSet set(GetInstanceSet(id, nullptr), fn);
    if (!set.IsValid()) {
        DebugPrint(L"%s -> Get device infolist fail!\n", fn);
        return FALSE;
    }
    SP_DEVINFO_DATA data;
    if (!FindPresentDevice(set.Get(), devInst, &data)) {
        return FALSE;
    }
    CString description;
    GetDevPropertyStr(devInst, SPDRP_DEVICEDESC, description);
    // The driver list lives in the set and goes with it.
    seam::SetupDiBuildDriverInfoList(set.Get(), &data, SPDIT_COMPATDRIVER);

    SP_DRVINFO_DATA_V2_W driver;
    driver.cbSize = sizeof(driver);
    for (DWORD index = 0; seam::SetupDiEnumDriverInfoW(set.Get(), &data, SPDIT_COMPATDRIVER, index, &driver); ++index) {
        CString driverDescription(driver.Description);
        if (description.IsEmpty() || driverDescription.Find(description.GetString()) >= 0) {
            version = GetDriverVersionStr(driver.DriverVersion);
            date = GetDriverDateStr(driver.DriverDate);
            return TRUE;
        }
    }
    return FALSE;
}

CString DeviceOperation::MultiSzToStr(const wchar_t* multiSz, DWORD length)
{
    CString text(multiSz, static_cast<int>(length));
    text.Replace(L'\0', L'\t');
    return text;
}

CString DeviceOperation::GetDriverVersionStr(DWORDLONG version)
{
    CString text;
    text.Format(L"%u.%u.%u.%u", static_cast<unsigned>((version >> 48) & 0xFFFF),
                static_cast<unsigned>((version >> 32) & 0xFFFF), static_cast<unsigned>((version >> 16) & 0xFFFF),
                static_cast<unsigned>(version & 0xFFFF));
    return text;
}

CString DeviceOperation::GetDriverDateStr(const FILETIME& date)
{
    FILETIME local = {};
    SYSTEMTIME time = {};
    FileTimeToLocalFileTime(&date, &local);
    FileTimeToSystemTime(&local, &time);
    CString text;
    text.Format(L"%d/%d/%d", time.wYear, time.wMonth, time.wDay);
    return text;
}

void DeviceOperation::GetSiblingDevInsts(DEVINST devInst, DevInstList& siblings)
{
    DEVINST parent = 0;
    DEVINST node = 0;
    if (seam::CM_Get_Parent(&parent, devInst, 0) != CR_SUCCESS || seam::CM_Get_Child(&node, parent, 0) != CR_SUCCESS) {
        return;
    }
    siblings.Add(node);
    // A damaged device tree can lead the sibling chain back to a node already
    // listed; the walk ends there instead of circling for ever.
    DEVINST next = 0;
    while (seam::CM_Get_Sibling(&next, node, 0) == CR_SUCCESS && !IsListed(siblings, next)) {
        siblings.Add(next);
        node = next;
    }
}

void DeviceOperation::GetDevRelationInDeviceManagement(DEVINST devInst, CString& text)
{
    const wchar_t* fn = L"DeviceOperation::GetDevRelationInDeviceManagement";
    ULONG depth = 0;
    seam::CM_Get_Depth(&depth, devInst, 0);
    const int nodeTabs = depth > 0 ? static_cast<int>(depth) - 1 : 0;

    DevInstList siblings;
    GetSiblingDevInsts(devInst, siblings);
    for (INT_PTR i = 0; i < siblings.GetSize(); ++i) {
        CString description;
        GetDevPropertyStr(siblings[i], SPDRP_DEVICEDESC, description);
        DebugPrint(L"%s -> %s\n", fn, description.GetString());
        CString line = CString(L"\r\n") + CString(L'\t', nodeTabs);
        line += siblings[i] == devInst ? L"\t*" : L"\t ";
        line += description;
        text = line + text;
    }

    DEVINST node = devInst;
    for (int level = static_cast<int>(depth) - 1; level >= 1; --level) {
        DEVINST ancestor = 0;
        if (seam::CM_Get_Parent(&ancestor, node, 0) != CR_SUCCESS) {
            break;
        }
        node = ancestor;
        CString description;
        GetDevPropertyStr(node, SPDRP_DEVICEDESC, description);
        DebugPrint(L"%s -> %s\n", fn, description.GetString());
        text = CString(L"\r\n") + CString(L'\t', level) + description + text;
    }
}

void DeviceOperation::DumpHexWithAddress(const BYTE* data, int start, int length, CString& text)
{
    text = L"\n        ";
    for (int column = 0; column < 16; ++column) {
        text.AppendFormat(L" %02X", column);
    }
    const int lead = start & 0xF;
    for (int j = 0; j < length + lead; ++j) {
        if (j % 16 == 0) {
            text.AppendFormat(L"\n 0x%04X ", (start & 0xFFF0) + j);
        }
        if (j < lead) {
            text += L"   ";
        } else {
            text.AppendFormat(L" %02X", data[j - lead]);
        }
    }
}

void DeviceOperation::DumpHex(const BYTE* data, int length, CString& text)
{
    text = L"\t";
    for (int i = 0; i < length; ++i) {
        if (i % 16 == 0) {
            text += L"\r\n\t";
        }
        text.AppendFormat(L"%02X ", data[i]);
    }
}
