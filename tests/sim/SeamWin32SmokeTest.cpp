// The seam as it ships, over the real platform: under Wine it must answer
// Wine's own devices and drives without crashing.

#include "PlatformSeam.h"

#include <gtest/gtest.h>

#include <winioctl.h>

#include <vector>

namespace {

TEST(SeamWin32, EnumeratesThePlatformsDevices)
{
    HDEVINFO set = seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    DWORD count = 0;
    for (; seam::SetupDiEnumDeviceInfo(set, count, &data); ++count) {
        wchar_t id[MAX_DEVICE_ID_LEN] = {};
        EXPECT_EQ(CR_SUCCESS, seam::CM_Get_Device_IDW(data.DevInst, id, MAX_DEVICE_ID_LEN, 0));
        DWORD type = 0, required = 0;
        seam::SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_DEVICEDESC, &type, nullptr, 0, &required);
        if (required > 0) {
            std::vector<BYTE> buffer(required);
            EXPECT_TRUE(seam::SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_DEVICEDESC, &type, buffer.data(),
                                                                required, &required));
        }
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_GT(count, 0u);
    EXPECT_TRUE(seam::SetupDiDestroyDeviceInfoList(set));
}

TEST(SeamWin32, AnswersDrivesAndTheSystemDirectory)
{
    DWORD drives = seam::GetLogicalDrives();
    EXPECT_TRUE(drives & (1u << 2)) << "C: exists";
    EXPECT_EQ(static_cast<UINT>(DRIVE_FIXED), seam::GetDriveTypeW(L"C:\\"));
    wchar_t directory[MAX_PATH] = {};
    UINT length = seam::GetSystemDirectoryW(directory, MAX_PATH);
    ASSERT_GT(length, 3u);
    EXPECT_EQ(L':', directory[1]);

    // A disk path may or may not open under Wine; either answer must be clean.
    HANDLE disk = seam::CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (disk != INVALID_HANDLE_VALUE) {
        STORAGE_DEVICE_NUMBER number{};
        DWORD returned = 0;
        seam::DeviceIoControl(disk, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof(number), &returned,
                              nullptr);
        EXPECT_TRUE(seam::CloseHandle(disk));
    }
}

} // namespace
