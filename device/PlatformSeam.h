#pragma once
// The one seam between the device code and the platform calls that walk the
// device tree or talk to disks through their device paths. Every function has
// the Win32 name, signature and error convention (return value, last error,
// CONFIGRET) of the call it stands for.
//
// Two implementations exist and the build links one of them:
//   - PlatformSeamWin32.cpp: the real SetupAPI / Configuration Manager /
//     kernel32 calls (what ships);
//   - sim/PlatformSeamSim.cpp: answers from the simulated machine, for Wine,
//     which has neither the device tree nor the disks the program looks for.
//
// The firmware-table calls go through it too: Wine has no ACPI tables, and
// the simulated machine describes its own.
//
// Only device paths go through CreateFileW here ("\\.\X:", "\\.\PhysicalDriveN",
// interface paths); ordinary files use the platform directly. A handle from
// seam::CreateFileW is used with seam::DeviceIoControl and closed with
// seam::CloseHandle, never with the platform's own calls.

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

namespace seam {

// Configuration Manager: the device tree.
CONFIGRET CM_Get_Device_IDW(DEVINST dnDevInst, PWCHAR Buffer, ULONG BufferLen, ULONG ulFlags);
CONFIGRET CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
CONFIGRET CM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
CONFIGRET CM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
CONFIGRET CM_Get_Depth(PULONG pulDepth, DEVINST dnDevInst, ULONG ulFlags);
CONFIGRET CM_Locate_DevNode_ExW(PDEVINST pdnDevInst, DEVINSTID_W pDeviceID, ULONG ulFlags, HMACHINE hMachine);
CONFIGRET CM_Reenumerate_DevNode_Ex(DEVINST dnDevInst, ULONG ulFlags, HMACHINE hMachine);

// SetupAPI: device information sets, properties, interfaces, drivers and the
// class installer's property change (disable / enable a device).
HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent, DWORD Flags);
BOOL SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData);
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);
BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                       PDWORD PropertyRegDataType, PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                       PDWORD RequiredSize);
BOOL SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                 const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                 PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData);
BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                      DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                      PSP_DEVINFO_DATA DeviceInfoData);
BOOL SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType);
BOOL SetupDiEnumDriverInfoW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType,
                            DWORD MemberIndex, PSP_DRVINFO_DATA_W DriverInfoData);
BOOL SetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD DriverType);
BOOL SetupDiSetClassInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                   PSP_CLASSINSTALL_HEADER ClassInstallParams, DWORD ClassInstallParamsSize);
BOOL SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData);
BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                    PSP_DEVINSTALL_PARAMS_W DeviceInstallParams);

// Disks and volumes by device path.
HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                   HANDLE hTemplateFile);
BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize, LPVOID lpOutBuffer,
                     DWORD nOutBufferSize, LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped);
BOOL CloseHandle(HANDLE hObject);
DWORD GetLogicalDrives();
UINT GetDriveTypeW(LPCWSTR lpRootPathName);
UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);

// Firmware tables (ACPI, SMBIOS) by provider signature and table id.
UINT EnumSystemFirmwareTables(DWORD FirmwareTableProviderSignature, PVOID pFirmwareTableEnumBuffer, DWORD BufferSize);
UINT GetSystemFirmwareTable(DWORD FirmwareTableProviderSignature, DWORD FirmwareTableID, PVOID pFirmwareTableBuffer,
                            DWORD BufferSize);

} // namespace seam
