#pragma once
// Stateless queries of the device tree over SetupAPI and the Configuration
// Manager: a node's properties, instance id, parent, interface path, PCI
// location and driver; the scans of controllers, disks and volumes; switching a
// device on or off. A device node is always named by its DEVINST.

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "CArray.h"
#include "CString.h"

typedef CArray<DEVINST, DEVINST> DevInstList;
typedef CArray<int, int> DiskKindList;

class DeviceOperation {
public:
    DeviceOperation() = default;
    ~DeviceOperation() = default;

    // Device properties.
    static BOOL GetDevPropertyStr(DEVINST devInst, DWORD property, CString& text);
    static BOOL GetDevPropertyDWORD(DEVINST devInst, DWORD property, DWORD* value);
    static void GetDevInstanceId(DEVINST devInst, CString& id);
    static BOOL GetParentDevInst(DEVINST devInst, DEVINST* parent);
    static BOOL GetDevPathForCreatefile(DEVINST devInst, const GUID* interfaceClass, CString& path);
    static BOOL GetBDFNumByDevInst(DEVINST devInst, DWORD* bus, DWORD* device, DWORD* function);
    static BOOL GetDeviceDriverVerAndDate(DEVINST devInst, CString& version, CString& date);
    static void GetDevRelationInDeviceManagement(DEVINST devInst, CString& text);
    static void DumpHexWithAddress(const BYTE* data, int start, int length, CString& text);
    static void DumpHex(const BYTE* data, int length, CString& text);

    // Enumeration.
    static BOOL IsAHCIDevice(DEVINST devInst);
    static BOOL IsNvmeDevice(DEVINST devInst);
    static BOOL ScanAllAhciController(DevInstList& nodes);
    static BOOL ScanAllNvmeController(DevInstList& nodes);
    static BOOL ScanNvmeCongtoller(DEVINST* controller);
    static BOOL ScanNvmeCongtoller(DevInstList& controllers);
    static int ScanDisk(DevInstList& disks);
    static int ScanVolume(DevInstList& volumes);
    static BOOL ScanMakerDisk(DevInstList& disks, DiskKindList& kinds);
    static int GetNvmeDisk(const DevInstList& disks);
    static int GetDiskIndexOfController(const DevInstList& disks, DEVINST controller);
    static int GetVolumeIndexOfDisk(const DevInstList& volumes, DEVINST disk);
    static HANDLE OpenDevice(const GUID* interfaceClass, DEVINST devInst);
    static int GetDiskNum(DEVINST devInst, const GUID* interfaceClass);
    static BOOL EnableDevice(DEVINST devInst, BOOL enable);
    static BOOL RescanDevices();
    static BOOL GetMcfgBaseAddress(ULONGLONG* base);

    static CString MultiSzToStr(const wchar_t* multiSz, DWORD length);
    static void GetSiblingDevInsts(DEVINST devInst, DevInstList& siblings);
    static CString GetDriverVersionStr(DWORDLONG version);
    static CString GetDriverDateStr(const FILETIME& date);

private:
    static BOOL FindPresentDevice(HDEVINFO set, DEVINST devInst, SP_DEVINFO_DATA* data);
    static HDEVINFO GetInstanceSet(const CString& instanceId, const GUID* interfaceClass);
    static BOOL ReadProperty(HDEVINFO set, SP_DEVINFO_DATA* data, DWORD property, CString& text);
    static BOOL IsClassDevice(DEVINST devInst, LPCWSTR classMark, LPCWSTR caller);
    static BOOL IsMakerNvmeController(DEVINST devInst);
    typedef BOOL (*MemberTest)(DEVINST devInst);
    static BOOL ScanPresentDevices(DevInstList& nodes, MemberTest test, LPCWSTR caller, BOOL traceOnly, BOOL firstOnly);
    static int ScanInterface(DevInstList& nodes, const GUID* interfaceClass, LPCWSTR caller);
};
