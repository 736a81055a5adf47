// The simulated platform seam keeps the Win32 contracts the device code relies on.

#include "SimFixture.h"

#include "PlatformSeam.h"

#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const GUID kDiskInterface = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

// Node handles of the default machine, in description order.
const DEVINST kRoot = 0x1000;
const DEVINST kNvme0 = 0x1007;
const DEVINST kDisk1 = 0x1008;

std::vector<DEVINST> AllPresent()
{
    std::vector<DEVINST> nodes;
    HDEVINFO set = seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    EXPECT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    for (DWORD i = 0; seam::SetupDiEnumDeviceInfo(set, i, &data); ++i)
        nodes.push_back(data.DevInst);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_TRUE(seam::SetupDiDestroyDeviceInfoList(set));
    return nodes;
}

std::wstring DiskPath(DEVINST node)
{
    wchar_t id[256] = {};
    seam::CM_Get_Device_IDW(node, id, 256, 0);
    HDEVINFO set = seam::SetupDiGetClassDevsW(&kDiskInterface, id, nullptr,
                                              DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return L"";
    std::wstring path;
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof(item);
    if (seam::SetupDiEnumDeviceInterfaces(set, nullptr, &kDiskInterface, 0, &item)) {
        DWORD size = 0;
        EXPECT_FALSE(seam::SetupDiGetDeviceInterfaceDetailW(set, &item, nullptr, 0, &size, nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
        std::vector<BYTE> buffer(size);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        if (seam::SetupDiGetDeviceInterfaceDetailW(set, &item, detail, size, nullptr, &data)) {
            path = detail->DevicePath;
            EXPECT_EQ(node, data.DevInst);
        }
    }
    seam::SetupDiDestroyDeviceInfoList(set);
    return path;
}

int DiskNumber(const wchar_t* path)
{
    HANDLE handle = seam::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    BOOL ok = seam::DeviceIoControl(handle, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof(number),
                                    &returned, nullptr);
    EXPECT_TRUE(seam::CloseHandle(handle));
    return ok && returned == sizeof(number) ? static_cast<int>(number.DeviceNumber) : -1;
}

TEST_F(SimTest, PresentDevicesStartAtTheSimulationBase)
{
    std::vector<DEVINST> nodes = AllPresent();
    ASSERT_FALSE(nodes.empty());
    EXPECT_EQ(kRoot, nodes.front());
    for (DEVINST node : nodes)
        EXPECT_GE(node, 0x1000u);
}

TEST_F(SimTest, DeviceTreeWalksAndUnknownNodes)
{
    DEVINST node = 0;
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Child(&node, kNvme0, 0));
    EXPECT_EQ(kDisk1, node);
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Parent(&node, kDisk1, 0));
    EXPECT_EQ(kNvme0, node);
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), seam::CM_Get_Parent(&node, kRoot, 0));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), seam::CM_Get_Child(&node, kDisk1, 0));
    // Handles below the base belong to the platform, never to the simulation.
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), seam::CM_Get_Parent(&node, 1, 0));
    wchar_t id[8] = {};
    EXPECT_EQ(static_cast<CONFIGRET>(CR_BUFFER_SMALL), seam::CM_Get_Device_IDW(kNvme0, id, 8, 0));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), seam::CM_Get_Device_IDW(0x9999, id, 8, 0));

    ULONG depth = 0;
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Depth(&depth, kDisk1, 0));
    EXPECT_EQ(5u, depth); // root, acpi, pci, root port, controller, disk

    DEVINST root = 0;
    ASSERT_EQ(CR_SUCCESS, seam::CM_Locate_DevNode_ExW(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL, nullptr));
    EXPECT_EQ(kRoot, root);
    EXPECT_EQ(CR_SUCCESS, seam::CM_Reenumerate_DevNode_Ex(root, 0, nullptr));

    // The root's children in order, then the end of the list.
    DEVINST child = 0, sibling = 0;
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Child(&child, kRoot, 0));
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Sibling(&sibling, child, 0));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), seam::CM_Get_Sibling(&child, sibling, 0));
}

TEST_F(SimTest, RegistryPropertiesByTypeWithSizeQuery)
{
    DWORD type = 0;
    std::wstring text;
    ASSERT_TRUE(ReadProperty(kDisk1, SPDRP_FRIENDLYNAME, type, text));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STREQ(L"Zarvo ZR80e 1TB", text.c_str());

    ASSERT_TRUE(ReadProperty(kNvme0, SPDRP_COMPATIBLEIDS, type, text));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    EXPECT_EQ(L"PCI\\CC_0108", text.substr(text.size() - 13, 11));
    EXPECT_EQ(L'\0', text[text.size() - 1]);
    EXPECT_EQ(L'\0', text[text.size() - 2]);

    ASSERT_TRUE(ReadProperty(kNvme0, SPDRP_BUSNUMBER, type, text));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);

    EXPECT_FALSE(ReadProperty(kDisk1, SPDRP_COMPATIBLEIDS, type, text)) << "absent property";
    EXPECT_FALSE(ReadProperty(0x9999, SPDRP_FRIENDLYNAME, type, text)) << "absent node";
}

TEST_F(SimTest, DiskInterfacePathOpensTheDisk)
{
    std::wstring path = DiskPath(kDisk1);
    EXPECT_EQ(L"\\\\?\\scsi#disk&ven_nvme&prod_zarvo_zr80e_1tb#5&2f6b3a1&0&000000#"
              L"{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
              path);
    EXPECT_EQ(1, DiskNumber(path.c_str()));
    EXPECT_EQ(2, DiskNumber(L"\\\\.\\physicaldrive2"));
    EXPECT_EQ(0, DiskNumber(L"\\\\.\\C:"));
    EXPECT_EQ(L"", DiskPath(kNvme0)) << "a controller has no disk interface";

    EXPECT_EQ(INVALID_HANDLE_VALUE,
              seam::CreateFileW(L"\\\\.\\Q:", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(seam::CloseHandle(reinterpret_cast<HANDLE>(0x1234)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(SimTest, VolumesReportTheirDiskAndPartition)
{
    HANDLE volume = seam::CreateFileW(L"\\\\.\\E:", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, volume);
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    ASSERT_TRUE(seam::DeviceIoControl(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof(number),
                                      &returned, nullptr));
    EXPECT_EQ(1u, number.DeviceNumber);
    EXPECT_EQ(2u, number.PartitionNumber);
    EXPECT_FALSE(
        seam::DeviceIoControl(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, 8, &returned, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    seam::CloseHandle(volume);

    EXPECT_EQ(static_cast<UINT>(DRIVE_FIXED), seam::GetDriveTypeW(L"D:\\"));
    EXPECT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), seam::GetDriveTypeW(L"Q:\\"));
    EXPECT_EQ(0x7Cu, seam::GetLogicalDrives()); // C to G

    HANDLE disk = seam::CreateFileW(L"\\\\.\\PhysicalDrive1", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<BYTE> layout(5000);
    ASSERT_TRUE(seam::DeviceIoControl(disk, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, layout.data(), 5000, &returned,
                                      nullptr));
    auto* info = reinterpret_cast<DRIVE_LAYOUT_INFORMATION_EX*>(layout.data());
    EXPECT_EQ(2u, info->PartitionCount);
    EXPECT_EQ(2u, info->PartitionEntry[1].PartitionNumber);
    seam::CloseHandle(disk);
}

// One ATA command through SMART_RCV_DRIVE_DATA, as the SMART reader sends it.
bool AtaCommand(HANDLE disk, DWORD code, BYTE features, BYTE command, BYTE* out512)
{
    BYTE in[33] = {};
    auto* request = reinterpret_cast<SENDCMDINPARAMS*>(in);
    request->cBufferSize = code == SMART_RCV_DRIVE_DATA ? 512 : 0;
    request->irDriveRegs.bFeaturesReg = features;
    request->irDriveRegs.bSectorCountReg = 1;
    request->irDriveRegs.bSectorNumberReg = 1;
    request->irDriveRegs.bCylLowReg = command == 0xB0 ? 0x4F : 0;
    request->irDriveRegs.bCylHighReg = command == 0xB0 ? 0xC2 : 0;
    request->irDriveRegs.bDriveHeadReg = 0xA0;
    request->irDriveRegs.bCommandReg = command;
    BYTE out[16 + 512 + 3] = {};
    DWORD returned = 0;
    DWORD outSize = code == SMART_RCV_DRIVE_DATA ? 531 : 17;
    if (!seam::DeviceIoControl(disk, code, in, 33, out, outSize, &returned, nullptr))
        return false;
    if (out512)
        std::memcpy(out512, out + 16, 512);
    return true;
}

TEST_F(SimTest, AtaSmartAnswersOnlyFromTheSataDisk)
{
    HANDLE disk = seam::CreateFileW(L"\\\\.\\PHYSICALDRIVE0", GENERIC_READ | GENERIC_WRITE, 3, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_SYSTEM, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, disk);
    GETVERSIONINPARAMS version{};
    DWORD returned = 0;
    ASSERT_TRUE(
        seam::DeviceIoControl(disk, SMART_GET_VERSION, nullptr, 0, &version, sizeof(version), &returned, nullptr));
    EXPECT_EQ(sizeof(version), returned);
    EXPECT_TRUE(version.fCapabilities & CAP_SMART_CMD);
    EXPECT_TRUE(AtaCommand(disk, SMART_SEND_DRIVE_COMMAND, 0xD8, 0xB0, nullptr));

    BYTE identify[512];
    ASSERT_TRUE(AtaCommand(disk, SMART_RCV_DRIVE_DATA, 0, 0xEC, identify));
    EXPECT_EQ(0, std::memcmp(identify + 54, "aZvr oRZ03 s", 12)) << "model in ATA string order";
    BYTE data[512], thresholds[512];
    ASSERT_TRUE(AtaCommand(disk, SMART_RCV_DRIVE_DATA, 0xD0, 0xB0, data));
    ASSERT_TRUE(AtaCommand(disk, SMART_RCV_DRIVE_DATA, 0xD1, 0xB0, thresholds));
    // Entry 2 of the default SATA drive: attribute 9, 99/99, raw 5310 hours.
    const BYTE* entry = data + 2 + 12 * 2;
    EXPECT_EQ(9, entry[0]);
    EXPECT_EQ(99, entry[3]);
    EXPECT_EQ(5310, entry[5] | entry[6] << 8 | entry[7] << 16 | entry[8] << 24);
    EXPECT_EQ(50, thresholds[2 + 1]) << "threshold of attribute 1";
    seam::CloseHandle(disk);

    // An NVMe disk answers the version without the SMART capability and refuses commands.
    disk = seam::CreateFileW(L"\\\\.\\PhysicalDrive1", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(
        seam::DeviceIoControl(disk, SMART_GET_VERSION, nullptr, 0, &version, sizeof(version), &returned, nullptr));
    EXPECT_FALSE(version.fCapabilities & CAP_SMART_CMD);
    EXPECT_FALSE(AtaCommand(disk, SMART_RCV_DRIVE_DATA, 0xD0, 0xB0, data));
    seam::CloseHandle(disk);
}

TEST_F(SimTest, DriverListAndPropertyChange)
{
    wchar_t id[256] = {};
    seam::CM_Get_Device_IDW(kNvme0, id, 256, 0);
    HDEVINFO set =
        seam::SetupDiGetClassDevsW(nullptr, id, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    ASSERT_TRUE(seam::SetupDiEnumDeviceInfo(set, 0, &data));
    EXPECT_EQ(kNvme0, data.DevInst);
    EXPECT_FALSE(seam::SetupDiEnumDeviceInfo(set, 1, &data));

    SP_DRVINFO_DATA_V2_W driver{};
    driver.cbSize = sizeof(driver);
    EXPECT_FALSE(seam::SetupDiEnumDriverInfoW(set, &data, SPDIT_COMPATDRIVER, 0, &driver)) << "list not built";
    ASSERT_TRUE(seam::SetupDiBuildDriverInfoList(set, &data, SPDIT_COMPATDRIVER));
    ASSERT_TRUE(seam::SetupDiEnumDriverInfoW(set, &data, SPDIT_COMPATDRIVER, 0, &driver));
    EXPECT_STREQ(L"Standard NVM Express Controller", driver.Description);
    EXPECT_EQ((10ULL << 48) | (0ULL << 32) | (19041ULL << 16) | 1741, driver.DriverVersion);
    EXPECT_FALSE(seam::SetupDiEnumDriverInfoW(set, &data, SPDIT_COMPATDRIVER, 1, &driver));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_TRUE(seam::SetupDiDestroyDriverInfoList(set, &data, SPDIT_COMPATDRIVER));

    SP_PROPCHANGE_PARAMS change{};
    change.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    change.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    change.StateChange = DICS_DISABLE;
    change.Scope = DICS_FLAG_CONFIGSPECIFIC;
    ASSERT_TRUE(seam::SetupDiSetClassInstallParamsW(set, &data, &change.ClassInstallHeader, sizeof(change)));
    EXPECT_EQ(1, SimGetNodeEnabled("nvme0"));
    ASSERT_TRUE(seam::SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, &data));
    EXPECT_EQ(0, SimGetNodeEnabled("nvme0"));
    EXPECT_EQ(-1, SimGetNodeEnabled("no-such-node"));
    SP_DEVINSTALL_PARAMS_W install{};
    install.cbSize = sizeof(install);
    ASSERT_TRUE(seam::SetupDiGetDeviceInstallParamsW(set, &data, &install));
    EXPECT_EQ(0u, install.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART));
    EXPECT_TRUE(seam::SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(seam::SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    EXPECT_EQ(INVALID_HANDLE_VALUE,
              seam::SetupDiGetClassDevsW(nullptr, L"PCI\\VEN_0000\\0", nullptr,
                                         DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_DEVICEINTERFACE));
}

TEST_F(SimTest, CorruptKnobInvertsWhatTheCallReturns)
{
    SimSetFault("CM_Get_Device_IDW", SIM_ANY_DRIVE, SIM_FAULT_CORRUPT, 0, 1);
    wchar_t id[256] = {};
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Device_IDW(kRoot, id, 256, 0));
    EXPECT_EQ(static_cast<wchar_t>(~L'H'), id[0]);
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Device_IDW(kRoot, id, 256, 0));
    EXPECT_STREQ(L"HTREE\\ROOT\\0", id);
}

} // namespace

TEST_F(SimTest, FirmwareTablesAnswerWithTheSizeTheyNeed)
{
    const DWORD kAcpi = 0x41435049, kMcfg = 0x4746434D, kFacp = 0x50434146;
    // The default machine lists FACP, APIC and MCFG under ACPI.
    ASSERT_EQ(12u, seam::EnumSystemFirmwareTables(kAcpi, nullptr, 0));
    DWORD ids[3] = {};
    EXPECT_EQ(12u, seam::EnumSystemFirmwareTables(kAcpi, ids, 8)); // too small: nothing written
    EXPECT_EQ(0u, ids[0]);
    EXPECT_EQ(12u, seam::EnumSystemFirmwareTables(kAcpi, ids, sizeof(ids)));
    EXPECT_EQ(kFacp, ids[0]);
    EXPECT_EQ(kMcfg, ids[2]);

    BYTE table[64] = {};
    ASSERT_EQ(60u, seam::GetSystemFirmwareTable(kAcpi, kMcfg, table, sizeof(table)));
    EXPECT_EQ(0, std::memcmp(table, "MCFG", 4));
    EXPECT_EQ(60, table[4]); // the header's length
    BYTE sum = 0;
    for (int i = 0; i < 60; ++i)
        sum = static_cast<BYTE>(sum + table[i]);
    EXPECT_EQ(0, sum); // checksum
    ULONGLONG base = 0;
    std::memcpy(&base, table + 44, sizeof(base));
    EXPECT_EQ(0xE0000000ull, base);

    EXPECT_EQ(0u, seam::GetSystemFirmwareTable(kAcpi, 0x54445353, table, sizeof(table))); // no SSDT
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_FOUND), GetLastError());
    EXPECT_EQ(0u, seam::EnumSystemFirmwareTables(0x52534D42, nullptr, 0)); // no SMBIOS tables
}
