// The system query and tuning object: facts over a stand-in WMI (the exact
// queries and what each failure leaves) and over the platform's own, the
// registry switches and states in a sandboxed HKEY_LOCAL_MACHINE, and memory.

#include "FakeWmi.h"
#include "LogCapture.h"
#include "RegistrySandbox.h"
#include "SystemOperation.h"
#include "WideFormat.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const wchar_t kPrefetchKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
const wchar_t kPowerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power";
const wchar_t kFileSystemKey[] = L"SYSTEM\\CurrentControlSet\\Control\\FileSystem";

class ComThreadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
};

// A machine of two disks and three volumes (one without a letter).
class FakeFactsTest : public ComThreadTest {
protected:
    void SetUp() override
    {
        ComThreadTest::SetUp();
        wmi.reset(new FakeWmi);
        wmi->AddObject(L"Win32_Processor", {{L"Name", CIM_STRING, FakeValue::Text(L"Test CPU @ 3.00GHz")},
                                            {L"NumberOfCores", CIM_UINT32, FakeValue::Number(6)},
                                            {L"AddressWidth", CIM_UINT16, FakeValue::Number(64)}});
        wmi->AddObject(L"Win32_OperatingSystem",
                       {{L"Caption", CIM_STRING, FakeValue::Text(L"Microsoft Windows 10 Pro")},
                        {L"BuildNumber", CIM_STRING, FakeValue::Text(L"19045")},
                        {L"OSArchitecture", CIM_STRING, FakeValue::Text(L"64-bit")},
                        {L"Version", CIM_STRING, FakeValue::Text(L"10.0.19045")},
                        {L"OSLanguage", CIM_UINT32, FakeValue::Number(2052)},
                        {L"WindowsDirectory", CIM_STRING, FakeValue::Text(L"C:\\Windows")}});
        wmi->AddObject(L"Win32_ComputerSystem", {{L"DNSHostName", CIM_STRING, FakeValue::Text(L"bench")}});
        wmi->AddObject(L"Win32_DiskDrive", {{L"Index", CIM_UINT32, FakeValue::Number(0)},
                                            {L"Size", CIM_UINT64, FakeValue::Text(L"512110190592")},
                                            {L"Partitions", CIM_UINT32, FakeValue::Number(3)},
                                            {L"Caption", CIM_STRING, FakeValue::Text(L"Zarvo ZR80e")},
                                            {L"FirmwareRevision", CIM_STRING, FakeValue::Text(L"VG010A01")},
                                            {L"SerialNumber", CIM_STRING, FakeValue::Text(L"ZR80E0001")}});
        wmi->AddObject(L"Win32_DiskDrive", {{L"Index", CIM_UINT32, FakeValue::Number(1)},
                                            {L"Size", CIM_UINT64, FakeValue::Text(L"256060514304")},
                                            {L"Caption", CIM_STRING, FakeValue::Text(L"Vantrel VX1300")}});
        AddVolume(FakeValue::Null(), L"FAT32", true, true);
        AddVolume(FakeValue::Text(L"D:"), L"NTFS", true, false);
        AddVolume(FakeValue::Text(L"C:"), L"NTFS", false, true);
    }
    void TearDown() override
    {
        wmi.reset();
        ComThreadTest::TearDown();
    }
    void AddVolume(FakeValue letter, const wchar_t* fileSystem, bool indexing, bool pageFile)
    {
        wmi->AddObject(L"Win32_Volume", {{L"DriveLetter", CIM_STRING, letter},
                                         {L"FileSystem", CIM_STRING, FakeValue::Text(fileSystem)},
                                         {L"FreeSpace", CIM_UINT64, FakeValue::Text(L"1000")},
                                         {L"Capacity", CIM_UINT64, FakeValue::Text(L"4000")},
                                         {L"IndexingEnabled", CIM_BOOLEAN, FakeValue::Bool(indexing)},
                                         {L"PageFilePresent", CIM_BOOLEAN, FakeValue::Bool(pageFile)}});
    }

    std::unique_ptr<FakeWmi> wmi;
};

} // namespace

TEST_F(FakeFactsTest, ProcessorAndSystemFactsComeFromTheirQueriesInOrder)
{
    SystemOperation op;
    CpuInfo cpu;
    EXPECT_TRUE(op.GetCpuInfo(cpu));
    EXPECT_EQ(cpu.name, L"Test CPU @ 3.00GHz");
    EXPECT_EQ(cpu.numberOfCores, 6u);
    EXPECT_EQ(cpu.addressWidth, 64);
    OsInfo os;
    EXPECT_TRUE(op.GetOsInfo(os));
    EXPECT_EQ(os.caption, L"Microsoft Windows 10 Pro");
    EXPECT_EQ(os.buildNumber, L"19045");
    EXPECT_EQ(os.architecture, L"64-bit");
    EXPECT_EQ(os.version, L"10.0.19045");
    EXPECT_EQ(os.language, L"2052");
    EXPECT_EQ(os.windowsDirectory, L"C:\\Windows");
    EXPECT_EQ(os.dnsHostName, L"bench");
    CString text = L"old";
    EXPECT_TRUE(op.GetOsVersionText(text));
    EXPECT_EQ(text, L"Microsoft Windows 10 Pro1904564-bit");

    std::vector<std::wstring> expected = {
        L"SELECT Name FROM Win32_Processor",
        L"SELECT NumberOfCores FROM Win32_Processor",
        L"SELECT AddressWidth FROM Win32_Processor",
        L"SELECT Caption FROM Win32_OperatingSystem",
        L"SELECT BuildNumber FROM Win32_OperatingSystem",
        L"SELECT OSArchitecture FROM Win32_OperatingSystem",
        L"SELECT Version FROM Win32_OperatingSystem",
        L"SELECT OSLanguage FROM Win32_OperatingSystem",
        L"SELECT WindowsDirectory FROM Win32_OperatingSystem",
        L"SELECT DNSHostName FROM Win32_ComputerSystem",
        L"SELECT Caption FROM Win32_OperatingSystem",
        L"SELECT BuildNumber FROM Win32_OperatingSystem",
        L"SELECT OSArchitecture FROM Win32_OperatingSystem",
    };
    EXPECT_EQ(wmi->queries, expected);
}

TEST_F(FakeFactsTest, FailedReadsLeaveTheFieldsAndALanguageOfZero)
{
    wmi->classes.erase(L"Win32_OperatingSystem");
    wmi->classes.erase(L"Win32_Processor");
    SystemOperation op;
    OsInfo os;
    os.caption = L"kept";
    os.language = L"1033";
    op.GetOsInfo(os);
    EXPECT_EQ(os.caption, L"kept");
    EXPECT_EQ(os.language, L"0") << "the number read into a zero, written as text";
    EXPECT_EQ(os.dnsHostName, L"bench");
    CpuInfo cpu;
    cpu.name = L"kept";
    cpu.numberOfCores = 3;
    EXPECT_TRUE(op.GetCpuInfo(cpu));
    EXPECT_EQ(cpu.name, L"kept");
    EXPECT_EQ(cpu.numberOfCores, 3u);
}

TEST_F(FakeFactsTest, DiskAndVolumeListsAppendOneRowPerObject)
{
    SystemOperation op;
    CArray<DiskInfo, DiskInfo> disks;
    op.GetDiskList(disks);
    ASSERT_EQ(disks.GetSize(), 2);
    EXPECT_EQ(disks[0].size, 512110190592ULL);
    EXPECT_EQ(disks[0].partitions, 3u);
    EXPECT_EQ(disks[0].firmwareRevision, L"VG010A01");
    EXPECT_EQ(disks[0].serialNumber, L"ZR80E0001");
    EXPECT_EQ(disks[1].index, 1u);
    EXPECT_EQ(disks[1].partitions, 0u) << "a fresh row for every disk: nothing carried over";
    EXPECT_EQ(disks[1].serialNumber, L"");
    op.GetDiskList(disks);
    ASSERT_EQ(disks.GetSize(), 4) << "the array is not emptied first";
    EXPECT_EQ(disks[2].caption, L"Zarvo ZR80e");

    CArray<VolumeInfo, VolumeInfo> volumes;
    op.GetVolumeList(volumes);
    ASSERT_EQ(volumes.GetSize(), 3);
    EXPECT_EQ(volumes[0].driveLetter, L'\0');
    EXPECT_EQ(volumes[0].fileSystem, L"FAT32");
    EXPECT_EQ(volumes[1].driveLetter, L'D');
    EXPECT_EQ(volumes[2].driveLetter, L'C');
    EXPECT_EQ(volumes[2].freeSpace, 1000u);
    EXPECT_EQ(volumes[2].capacity, 4000u);
}

TEST_F(FakeFactsTest, VolumeFlagsByDriveLetterInEitherCase)
{
    SystemOperation op;
    struct Case {
        wchar_t letter;
        BOOL indexing;
        BOOL pageFile;
    } cases[] = {
        {L'c', FALSE, TRUE},
        {L'C', FALSE, TRUE},
        {L'd', TRUE, FALSE},
        {L'z', TRUE, TRUE}, // no volume has it: the flags keep their preset
    };
    for (const Case& c : cases) {
        EXPECT_EQ(op.IsIndexingEnabled(c.letter), c.indexing) << static_cast<char>(c.letter);
        EXPECT_EQ(op.IsVirtualMemoryEnabled(c.letter), c.pageFile) << static_cast<char>(c.letter);
    }
    wmi->queries.clear();
    op.IsIndexingEnabled(L'd');
    EXPECT_EQ(wmi->queries, (std::vector<std::wstring>{
                                L"SELECT * FROM Win32_Volume", L"SELECT DriveLetter FROM Win32_Volume",
                                L"SELECT DriveLetter FROM Win32_Volume", L"SELECT IndexingEnabled FROM Win32_Volume"}));
}

TEST_F(ComThreadTest, RealSystemFactsMatchThePlatform)
{
    SystemOperation op;
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    typedef LONG(WINAPI * RtlGetVersionFn)(RTL_OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    rtlGetVersion(&version);
    wchar_t expectedVersion[64], expectedBuild[16];
    FormatWide(expectedVersion, 64, L"%u.%u.%u", version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber);
    FormatWide(expectedBuild, 16, L"%u", version.dwBuildNumber);

    OsInfo os;
    op.GetOsInfo(os);
    EXPECT_EQ(os.version, expectedVersion);
    EXPECT_EQ(os.buildNumber, expectedBuild);
    EXPECT_EQ(os.architecture, L"64-bit");
    EXPECT_NE(os.caption.Find(L"Windows"), -1) << os.caption.GetString();
    wchar_t windows[MAX_PATH] = {};
    ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(os.windowsDirectory.CompareNoCase(windows), 0) << os.windowsDirectory.GetString();
    CpuInfo cpu;
    op.GetCpuInfo(cpu);
    EXPECT_FALSE(cpu.name.IsEmpty());
    EXPECT_EQ(cpu.addressWidth, 64);
}

TEST_F(ComThreadTest, MemoryStatusAndPageFileAsThePlatformGivesThem)
{
    SystemOperation op;
    MemoryInfo info;
    ASSERT_TRUE(op.GetMemoryStatus(info));
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    ::GlobalMemoryStatusEx(&status);
    EXPECT_EQ(info.totalPhys, status.ullTotalPhys);
    EXPECT_EQ(info.totalPageFile, status.ullTotalPageFile);
    EXPECT_GT(info.availPhys, 0u);
    EXPECT_EQ(op.HasPageFile(), status.ullTotalPageFile != 0 ? TRUE : FALSE);
}

namespace {

class RegistrySwitchTest : public ComThreadTest {
protected:
    void SetUp() override
    {
        ComThreadTest::SetUp();
        ASSERT_TRUE(sandbox.Active());
    }
    RegistrySandbox sandbox;
};

} // namespace

TEST_F(RegistrySwitchTest, SwitchesWriteZerosIntoTheirKeys)
{
    sandbox.SetDword(kPrefetchKey, L"EnablePrefetcher", 3);
    sandbox.SetDword(kPrefetchKey, L"EnableSuperfetch", 3);
    sandbox.SetDword(kPowerKey, L"HiberbootEnabled", 1);
    sandbox.SetDword(kFileSystemKey, L"DisableDeleteNotification", 1);
    SystemOperation op;
    EXPECT_TRUE(op.IsPrefetchEnabled());
    EXPECT_TRUE(op.IsFastStartupEnabled());
    EXPECT_FALSE(op.IsTrimEnabled());

    EXPECT_TRUE(op.DisablePrefetch());
    EXPECT_TRUE(op.DisableFastStartup());
    EXPECT_TRUE(op.EnableTrim());
    EXPECT_EQ(sandbox.Dword(kPrefetchKey, L"EnablePrefetcher"), 0);
    EXPECT_EQ(sandbox.Dword(kPrefetchKey, L"EnableSuperfetch"), 0);
    EXPECT_EQ(sandbox.Dword(kPowerKey, L"HiberbootEnabled"), 0);
    EXPECT_EQ(sandbox.Dword(kFileSystemKey, L"DisableDeleteNotification"), 0);
    EXPECT_FALSE(op.IsPrefetchEnabled());
    EXPECT_FALSE(op.IsFastStartupEnabled());
    EXPECT_TRUE(op.IsTrimEnabled());

    EXPECT_TRUE(op.EnableAhciMode());
    EXPECT_TRUE(op.IsAhciModeEnabled());
}

TEST_F(RegistrySwitchTest, MissingKeysFailTheSwitchesAndReadAsOffWithTheirCode)
{
    SystemOperation op;
    LogCapture log;
    EXPECT_FALSE(op.DisablePrefetch());
    EXPECT_FALSE(op.DisableFastStartup());
    EXPECT_FALSE(op.EnableTrim());
    EXPECT_FALSE(op.IsPrefetchEnabled());
    EXPECT_FALSE(op.IsFastStartupEnabled());
    EXPECT_FALSE(op.IsTrimEnabled());
    for (const wchar_t* key : {kPrefetchKey, kPowerKey, kFileSystemKey})
        EXPECT_EQ(log.Count(std::wstring(L"RegistryOp::OpenKey -> ") + key + L" Error return: 2\n"), 2) << key;
    EXPECT_EQ(sandbox.Dword(kPowerKey, L"HiberbootEnabled"), -1) << "a missing key is not created";
}

// Each case in a sandbox of its own.
TEST_F(ComThreadTest, TuningStatesOfTheStoredRegistryValues)
{
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        long long stored; // -1: key present, value absent
        BOOL (SystemOperation::*read)();
        BOOL expected;
    } cases[] = {
        {kFileSystemKey, L"DisableDeleteNotification", 0, &SystemOperation::IsTrimEnabled, TRUE},
        {kFileSystemKey, L"DisableDeleteNotification", 1, &SystemOperation::IsTrimEnabled, FALSE},
        {kFileSystemKey, L"DisableDeleteNotification", 2, &SystemOperation::IsTrimEnabled, TRUE},
        {kFileSystemKey, L"DisableDeleteNotification", -1, &SystemOperation::IsTrimEnabled, FALSE},
        {kPrefetchKey, L"EnablePrefetcher", 0, &SystemOperation::IsPrefetchEnabled, FALSE},
        {kPrefetchKey, L"EnablePrefetcher", 3, &SystemOperation::IsPrefetchEnabled, TRUE},
        {kPrefetchKey, L"EnablePrefetcher", -1, &SystemOperation::IsPrefetchEnabled, FALSE},
        {kPowerKey, L"HiberbootEnabled", 1, &SystemOperation::IsFastStartupEnabled, TRUE},
        {kPowerKey, L"HiberbootEnabled", 0, &SystemOperation::IsFastStartupEnabled, FALSE},
        {kPowerKey, L"HiberbootEnabled", -1, &SystemOperation::IsFastStartupEnabled, FALSE},
    };
    for (const Case& c : cases) {
        RegistrySandbox fresh;
        ASSERT_TRUE(fresh.Active());
        fresh.CreateKey(c.key);
        if (c.stored >= 0)
            fresh.SetDword(c.key, c.value, static_cast<DWORD>(c.stored));
        SystemOperation op;
        LogCapture log;
        EXPECT_EQ((op.*c.read)(), c.expected) << c.value << " = " << c.stored;
        if (c.stored < 0) {
            EXPECT_TRUE(log.Has(std::wstring(L"RegistryOp::Read -> ") + c.value + L" Error return: 2\n")) << c.value;
        }
    }
}
