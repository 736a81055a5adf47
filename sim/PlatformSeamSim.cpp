// The seam over the simulated machine: each call is answered by
// KestrovaSim.dll, which keeps the Win32 contract of the call it stands for.

#include "PlatformSeam.h"

#include "SimSeam.h"

namespace seam {

CONFIGRET CM_Get_Device_IDW(DEVINST dnDevInst, PWCHAR Buffer, ULONG BufferLen, ULONG ulFlags)
{
    return SimCM_Get_Device_IDW(dnDevInst, Buffer, BufferLen, ulFlags);
}

CONFIGRET CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return SimCM_Get_Parent(pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return SimCM_Get_Child(pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags)
{
    return SimCM_Get_Sibling(pdnDevInst, dnDevInst, ulFlags);
}

CONFIGRET CM_Get_Depth(PULONG pulDepth, DEVINST dnDevInst, ULONG ulFlags)
{
    return SimCM_Get_Depth(pulDepth, dnDevInst, ulFlags);
}

CONFIGRET CM_Locate_DevNode_ExW(PDEVINST pdnDevInst, DEVINSTID_W pDeviceID, ULONG ulFlags, HMACHINE hMachine)
{
    return SimCM_Locate_DevNode_ExW(pdnDevInst, pDeviceID, ulFlags, hMachine);
}

CONFIGRET CM_Reenumerate_DevNode_Ex(DEVINST dnDevInst, ULONG ulFlags, HMACHINE hMachine)
{
    return SimCM_Reenumerate_DevNode_Ex(dnDevInst, ulFlags, hMachine);
}

HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent, DWORD Flags)
{
    return SimSetupDiGetClassDevsW(ClassGuid, Enumerator, hwndParent, Flags);
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData)
{
    return SimSetupDiEnumDeviceInfo(DeviceInfoSet, MemberIndex, DeviceInfoData);
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet)
{
    return SimSetupDiDestroyDeviceInfoList(DeviceInfoSet);
}

BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                       PDWORD PropertyRegDataType, PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                       PDWORD RequiredSize)
{
    return SimSetupDiGetDeviceRegistryPropertyW(DeviceInfoSet, DeviceInfoData, Property, PropertyRegDataType,
                                                PropertyBuffer, PropertyBufferSize, RequiredSize);
}

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                 const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                 PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData)
{
    return SimSetupDiEnumDeviceInterfaces(DeviceInfoSet, DeviceInfoData, InterfaceClassGuid, MemberIndex,
                                          DeviceInterfaceData);
}

BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                      DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                      PSP_DEVINFO_DATA DeviceInfoData)
{
    return SimSetupDiGetDeviceInterfaceDetailW(DeviceInfoSet, DeviceInterfaceData, DeviceInterfaceDetailData,
                                               DeviceInterfaceDetailDataSize, RequiredSize, DeviceInfoData);
}

BOOL SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    return SimSetupDiBuildDriverInfoList(DeviceInfoSet, DeviceInfoData, DriverType);
}

BOOL SetupDiEnumDriverInfoW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType,
                            DWORD MemberIndex, PSP_DRVINFO_DATA_W DriverInfoData)
{
    return SimSetupDiEnumDriverInfoW(DeviceInfoSet, DeviceInfoData, DriverType, MemberIndex, DriverInfoData);
}

BOOL SetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType)
{
    return SimSetupDiDestroyDriverInfoList(DeviceInfoSet, DeviceInfoData, DriverType);
}

BOOL SetupDiSetClassInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                   PSP_CLASSINSTALL_HEADER ClassInstallParams, DWORD ClassInstallParamsSize)
{
    return SimSetupDiSetClassInstallParamsW(DeviceInfoSet, DeviceInfoData, ClassInstallParams, ClassInstallParamsSize);
}

BOOL SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData)
{
    return SimSetupDiCallClassInstaller(InstallFunction, DeviceInfoSet, DeviceInfoData);
}

BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                    PSP_DEVINSTALL_PARAMS_W DeviceInstallParams)
{
    return SimSetupDiGetDeviceInstallParamsW(DeviceInfoSet, DeviceInfoData, DeviceInstallParams);
}

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                   HANDLE hTemplateFile)
{
    return SimCreateFileW(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes, dwCreationDisposition,
                          dwFlagsAndAttributes, hTemplateFile);
}

BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize, LPVOID lpOutBuffer,
                     DWORD nOutBufferSize, LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped)
{
    return SimDeviceIoControl(hDevice, dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer, nOutBufferSize,
                              lpBytesReturned, lpOverlapped);
}

BOOL CloseHandle(HANDLE hObject)
{
    return SimCloseHandle(hObject);
}

DWORD GetLogicalDrives()
{
    return SimGetLogicalDrives();
}

UINT GetDriveTypeW(LPCWSTR lpRootPathName)
{
    return SimGetDriveTypeW(lpRootPathName);
}

UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    return SimGetSystemDirectoryW(lpBuffer, uSize);
}

UINT EnumSystemFirmwareTables(DWORD FirmwareTableProviderSignature, PVOID pFirmwareTableEnumBuffer, DWORD BufferSize)
{
    return SimEnumSystemFirmwareTables(FirmwareTableProviderSignature, pFirmwareTableEnumBuffer, BufferSize);
}

UINT GetSystemFirmwareTable(DWORD FirmwareTableProviderSignature, DWORD FirmwareTableID, PVOID pFirmwareTableBuffer,
                            DWORD BufferSize)
{
    return SimGetSystemFirmwareTable(FirmwareTableProviderSignature, FirmwareTableID, pFirmwareTableBuffer, BufferSize);
}

} // namespace seam
