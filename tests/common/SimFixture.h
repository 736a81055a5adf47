#pragma once
// Tests over the simulated machine: every test starts on the default machine
// with an empty journal and no fault knobs, and leaves it so. The stand-in
// device libraries and the platform seam answer from the machine; the journal
// shows which calls the code made.

#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "PlatformSeam.h"
#include "SimControl.h"
#include "Trace.h"

// One NVMe drive on the maker's controller (disk 1, volumes C, D and F) and one
// SATA drive behind an AHCI controller (disk 0, volume E, ATA SMART).
inline const char* TwoDriveMachine()
{
    return R"(
machine system-dir="E:\Windows\system32"
node root id="HTREE\ROOT\0" desc="Computer"
node pci id="ACPI\PNP0A08\0" parent=root desc="PCI Express Root Complex"
node nvme0 id="PCI\VEN_1F9B&DEV_6E42&SUBSYS_00011F9B&REV_01\4&2A1B&0&0008" parent=pci desc="Standard NVM Express Controller" service=StorNVMe compatible="PCI\VEN_1F9B&DEV_6E42&REV_01|PCI\CC_010802|PCI\CC_0108" bus=2 address=0x001F0002
node disk0 id="SCSI\DISK&VEN_NVME&PROD_ZARVO_ZR80E\5&1&0&000000" parent=nvme0 desc="Disk drive" friendly="Zarvo ZR80e 512GB" disk=1 smart=nocap
node volC id="STORAGE\VOLUME\{C1}" parent=root desc="Generic volume" volume=C on-disk=1 partition=1
node volD id="STORAGE\VOLUME\{D1}" parent=root desc="Generic volume" volume=D on-disk=1 partition=2
node volF id="STORAGE\VOLUME\{F1}" parent=root desc="Generic volume" volume=F on-disk=1 partition=3
node ahci id="PCI\VEN_8086&DEV_A102&SUBSYS_00001028&REV_31\3&11583659&0&B8" parent=pci desc="Standard SATA AHCI Controller" service=storahci compatible="PCI\VEN_8086&DEV_A102|PCI\CC_010601|PCI\CC_0106" bus=0 address=0x00170000
node disk1 id="SCSI\DISK&VEN_VANTREL&PROD_VX1300\4&1&0&000100" parent=ahci desc="Disk drive" friendly="Vantrel VX1300 256GB" disk=0 smart=ata
driver nvme0 desc="Standard NVM Express Controller" version=10.0.19041.1500 date=2021-06-21
node volE id="STORAGE\VOLUME\{E1}" parent=root desc="Generic volume" volume=E on-disk=0 partition=1
drive bus=nvme controller=nvme0 disk=disk0 serial=ZR80E0001 model="Zarvo ZR80e 512GB" fw=VG010A01 capacity=512110190592 sector=512 hmb=1 hmb-size=0x4000 revision=0x13 write-cache=1 smart="9:100,100,1234 12:100,100,42 248:95,95,95 253:100,100,1"
drive bus=sata ahci=1 controller=ahci disk=disk1 serial=VX13000042 model="Vantrel VX1300 256GB" fw=SV100 version="vx1300 a1" capacity=256060514304 sata-speed=3 smart="9:100,100,777,0 12:99,99,55,10 194:60,45,33,0"
)";
}

// The machine's journal: every call answered since the last load or clear.
inline std::string Journal()
{
    int length = SimGetJournal(nullptr, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SimGetJournal(&text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

inline std::vector<std::string> JournalLines()
{
    std::vector<std::string> lines;
    std::istringstream stream(Journal());
    std::string line;
    while (std::getline(stream, line)) {
        lines.push_back(line);
    }
    return lines;
}

// The journal lines that begin with `name(`.
inline std::vector<std::string> Calls(const std::string& name)
{
    std::vector<std::string> found;
    for (const std::string& line : JournalLines()) {
        if (line.compare(0, name.size() + 1, name + "(") == 0) {
            found.push_back(line);
        }
    }
    return found;
}

// Why the last description did not load.
inline std::string LoadError()
{
    char buffer[512] = {};
    SimGetLoadError(buffer, sizeof(buffer));
    return buffer;
}

// A drive value by its key; "<unknown>" for an unknown drive or key.
inline std::string DriveValue(int drive, const char* key)
{
    char buffer[256] = {};
    if (SimGetDriveValue(drive, key, buffer, sizeof(buffer)) < 0) {
        return "<unknown>";
    }
    return buffer;
}

// The device node of an instance id of the loaded machine.
inline DEVINST Node(const wchar_t* instanceId)
{
    DEVINST node = 0;
    seam::CM_Locate_DevNode_ExW(&node, const_cast<DEVINSTID_W>(instanceId), CM_LOCATE_DEVNODE_NORMAL, nullptr);
    return node;
}

// A property read the two-step way the device code does it.
inline bool ReadProperty(DEVINST node, DWORD property, DWORD& type, std::wstring& text)
{
    HDEVINFO set = seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    bool found = false;
    for (DWORD i = 0; seam::SetupDiEnumDeviceInfo(set, i, &data); ++i) {
        if (data.DevInst == node) {
            found = true;
            break;
        }
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
        if (data.DevInst != node) {
            continue;
        }
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

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { SimResetMachine(); }
    void TearDown() override
    {
        SimResetMachine();
        AfxSetTraceSink(nullptr);
    }

    void LoadMachine(const char* text) { ASSERT_EQ(1, SimLoadMachineText(text)) << LoadError(); }

    // Debug output (DebugPrint and trace lines) while the capture is on.
    void CaptureTrace()
    {
        Captured().clear();
        AfxSetTraceSink([](LPCWSTR text) { Captured() += text; });
    }
    static std::wstring& Captured()
    {
        static std::wstring text;
        return text;
    }
};
