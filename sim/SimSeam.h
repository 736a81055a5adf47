#pragma once
// The simulated machine's answers to the platform seam (device/PlatformSeam.h),
// exported by KestrovaSim.dll under the seam's names with the prefix "Sim".
// Each keeps the Win32 contract of the call it stands for: its return value,
// its last error and its CONFIGRET codes.

#include "SimControl.h"

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#ifdef __cplusplus
extern "C" {
#endif

SIMAPI CONFIGRET SimCM_Get_Device_IDW(DEVINST dnDevInst, PWCHAR Buffer, ULONG BufferLen, ULONG ulFlags);
SIMAPI CONFIGRET SimCM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
SIMAPI CONFIGRET SimCM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
SIMAPI CONFIGRET SimCM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
SIMAPI CONFIGRET SimCM_Get_Depth(PULONG pulDepth, DEVINST dnDevInst, ULONG ulFlags);
SIMAPI CONFIGRET SimCM_Locate_DevNode_ExW(PDEVINST pdnDevInst, DEVINSTID_W pDeviceID, ULONG ulFlags, HMACHINE hMachine);
SIMAPI CONFIGRET SimCM_Reenumerate_DevNode_Ex(DEVINST dnDevInst, ULONG ulFlags, HMACHINE hMachine);

SIMAPI HDEVINFO SimSetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent, DWORD Flags);
SIMAPI BOOL SimSetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData);
SIMAPI BOOL SimSetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);
SIMAPI BOOL SimSetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                 DWORD Property, PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                                 DWORD PropertyBufferSize, PDWORD RequiredSize);
SIMAPI BOOL SimSetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                           const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                           PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData);
SIMAPI BOOL SimSetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                                PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                                DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                                PSP_DEVINFO_DATA DeviceInfoData);
SIMAPI BOOL SimSetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType);
SIMAPI BOOL SimSetupDiEnumDriverInfoW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType,
                                      DWORD MemberIndex, PSP_DRVINFO_DATA_W DriverInfoData);
SIMAPI BOOL SimSetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType);
SIMAPI BOOL SimSetupDiSetClassInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                             PSP_CLASSINSTALL_HEADER ClassInstallParams, DWORD ClassInstallParamsSize);
SIMAPI BOOL SimSetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                         PSP_DEVINFO_DATA DeviceInfoData);
SIMAPI BOOL SimSetupDiGetDeviceInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                              PSP_DEVINSTALL_PARAMS_W DeviceInstallParams);

SIMAPI HANDLE SimCreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                             LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                             DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
SIMAPI BOOL SimDeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                               LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                               LPOVERLAPPED lpOverlapped);
SIMAPI BOOL SimCloseHandle(HANDLE hObject);
SIMAPI DWORD SimGetLogicalDrives(void);
SIMAPI UINT SimGetDriveTypeW(LPCWSTR lpRootPathName);
SIMAPI UINT SimGetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);
SIMAPI UINT SimEnumSystemFirmwareTables(DWORD FirmwareTableProviderSignature, PVOID pFirmwareTableEnumBuffer,
                                        DWORD BufferSize);
SIMAPI UINT SimGetSystemFirmwareTable(DWORD FirmwareTableProviderSignature, DWORD FirmwareTableID,
                                      PVOID pFirmwareTableBuffer, DWORD BufferSize);

#ifdef __cplusplus
}
#endif
