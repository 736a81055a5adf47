#pragma once
// Helpers for the tests of the simulated machine.

#include "PlatformSeam.h"
#include "SimControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline std::string Journal()
{
    int size = SimGetJournal(nullptr, 0);
    std::string text(size + 1, '\0');
    SimGetJournal(&text[0], size + 1);
    text.resize(size);
    return text;
}

inline std::string DriveValue(int drive, const char* key)
{
    char buffer[256] = {};
    if (SimGetDriveValue(drive, key, buffer, sizeof(buffer)) < 0)
        return "<unknown>";
    return buffer;
}

inline std::string LoadError()
{
    char buffer[512] = {};
    SimGetLoadError(buffer, sizeof(buffer));
    return buffer;
}

// A property read the two-step way the device code does it.
inline bool ReadProperty(DEVINST node, DWORD property, DWORD& type, std::wstring& text)
{
    HDEVINFO set = seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    bool found = false;
    for (DWORD i = 0; seam::SetupDiEnumDeviceInfo(set, i, &data); ++i)
        if (data.DevInst == node) {
            found = true;
            break;
        }
    bool ok = false;
    if (found) {
        DWORD required = 0;
        EXPECT_FALSE(seam::SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, nullptr, 0, &required));
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > 0) {
            std::vector<BYTE> buffer(required);
            ok = seam::SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, buffer.data(), required,
                                                         &required);
            text.assign(reinterpret_cast<wchar_t*>(buffer.data()), required / sizeof(wchar_t));
        }
    }
    seam::SetupDiDestroyDeviceInfoList(set);
    return ok;
}

// A wide path as the narrow text the libraries take.
inline std::string SimNarrowPath(const wchar_t* path)
{
    char narrow[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

// Disables or enables a device node the way the program does: a property
// change through the class installer.
inline bool SimSetNodeEnabledForTest(DEVINST node, bool enable)
{
    HDEVINFO set = seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    bool done = false;
    for (DWORD i = 0; !done && seam::SetupDiEnumDeviceInfo(set, i, &data); ++i) {
        if (data.DevInst != node)
            continue;
        SP_PROPCHANGE_PARAMS change{};
        change.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
        change.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
        change.StateChange = enable ? DICS_ENABLE : DICS_DISABLE;
        change.Scope = DICS_FLAG_CONFIGSPECIFIC;
        done = seam::SetupDiSetClassInstallParamsW(set, &data, &change.ClassInstallHeader, sizeof(change)) &&
               seam::SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, &data);
    }
    seam::SetupDiDestroyDeviceInfoList(set);
    return done;
}

// Every test starts on the default machine with an empty journal and no knobs.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override { SimResetMachine(); }
    void TearDown() override { SimResetMachine(); }
};
