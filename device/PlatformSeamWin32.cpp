// The seam over the real platform: each call goes straight to SetupAPI, the
// Configuration Manager or kernel32. This is what ships.

#include "PlatformSeam.h"

namespace seam {

CONFIGRET CM_Get_Device_IDW(DEVINST dnDevInst, PWCHAR Buffer, ULONG BufferLen, ULONG ulFlags)
{
    return ::CM_Get_Device_IDW(dnDevInst, Buffer, BufferLen, ulFlags);
}

CONFIGRET CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return ::CM_Get_Parent(pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return ::CM_Get_Child(pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return ::CM_Get_Sibling(pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CM_Get_Depth(PULONG pulDepth, DEVINST dnDevInst, ULONG ulFlags)
{
    return ::CM_Get_Depth(pulDepth, dnDevInst, ulFlags);
}

CONFIGRET CM_Locate_DevNode_ExW(PDEVINST pdnDevInst, DEVINSTID_W pDeviceID, ULONG ulFlags, HMACHINE hMachine)
{
    return ::CM_Locate_DevNode_ExW(pdnDevInst, pDeviceID, ulFlags, hMachine);
}

CONFIGRET CM_Reenumerate_DevNode_Ex(DEVINST dnDevInst, ULONG ulFlags, HMACHINE hMachine)
{
    return ::CM_Reenumerate_DevNode_Ex(dnDevInst, ulFlags, hMachine);
}

HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent, DWORD Flags)
{
    return ::SetupDiGetClassDevsW(ClassGuid, Enumerator, hwndParent, Flags);
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData)
{
    return ::SetupDiEnumDeviceInfo(DeviceInfoSet, MemberIndex, DeviceInfoData);
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet)
{
    return ::SetupDiDestroyDeviceInfoList(DeviceInfoSet);
}

BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                       PDWORD PropertyRegDataType, PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                       PDWORD RequiredSize)
{
    return ::SetupDiGetDeviceRegistryPropertyW(DeviceInfoSet, DeviceInfoData, Property, PropertyRegDataType,
                                               PropertyBuffer, PropertyBufferSize, RequiredSize);
}

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                 const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                 PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData)
{
    return ::SetupDiEnumDeviceInterfaces(DeviceInfoSet, DeviceInfoData, InterfaceClassGuid, MemberIndex,
                                         DeviceInterfaceData);
}

BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                      DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                      PSP_DEVINFO_DATA DeviceInfoData)
{
    return ::SetupDiGetDeviceInterfaceDetailW(DeviceInfoSet, DeviceInterfaceData, DeviceInterfaceDetailData,
                                              DeviceInterfaceDetailDataSize, RequiredSize, DeviceInfoData);
}

BOOL SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    return ::SetupDiBuildDriverInfoList(DeviceInfoSet, DeviceInfoData, DriverType);
}

BOOL SetupDiEnumDriverInfoW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType,
                            DWORD MemberIndex, PSP_DRVINFO_DATA_W DriverInfoData)
{
    return ::SetupDiEnumDriverInfoW(DeviceInfoSet, DeviceInfoData, DriverType, MemberIndex, DriverInfoData);
}

BOOL SetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    return ::SetupDiDestroyDriverInfoList(DeviceInfoSet, DeviceInfoData, DriverType);
}

BOOL SetupDiSetClassInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                   PSP_CLASSINSTALL_HEADER ClassInstallParams, DWORD ClassInstallParamsSize)
{
    return ::SetupDiSetClassInstallParamsW(DeviceInfoSet, DeviceInfoData, ClassInstallParams, ClassInstallParamsSize);
}

BOOL SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData)
{
    return ::SetupDiCallClassInstaller(InstallFunction, DeviceInfoSet, DeviceInfoData);
}

BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                    PSP_DEVINSTALL_PARAMS_W DeviceInstallParams)
{
    return ::SetupDiGetDeviceInstallParamsW(DeviceInfoSet, DeviceInfoData, DeviceInstallParams);
}

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                   HANDLE hTemplateFile)
{
    return ::CreateFileW(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes, dwCreationDisposition,
                         dwFlagsAndAttributes, hTemplateFile);
}

BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize, LPVOID lpOutBuffer,
                     DWORD nOutBufferSize, LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped)
{
    return ::DeviceIoControl(hDevice, dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer, nOutBufferSize,
                             lpBytesReturned, lpOverlapped);
}

BOOL CloseHandle(HANDLE hObject)
{
    return ::CloseHandle(hObject);
}

DWORD GetLogicalDrives()
{
    return ::GetLogicalDrives();
}

UINT GetDriveTypeW(LPCWSTR lpRootPathName)
{
    return ::GetDriveTypeW(lpRootPathName);
}

UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    return ::GetSystemDirectoryW(lpBuffer, uSize);
}

UINT EnumSystemFirmwareTables(DWORD FirmwareTableProviderSignature, PVOID pFirmwareTableEnumBuffer, DWORD BufferSize)
{
    return ::EnumSystemFirmwareTables(FirmwareTableProviderSignature, pFirmwareTableEnumBuffer, BufferSize);
}

UINT GetSystemFirmwareTable(DWORD FirmwareTableProviderSignature, DWORD FirmwareTableID, PVOID pFirmwareTableBuffer,
                            DWORD BufferSize)
{
    return ::GetSystemFirmwareTable(FirmwareTableProviderSignature, FirmwareTableID, pFirmwareTableBuffer, BufferSize);
}

} // namespace seam
