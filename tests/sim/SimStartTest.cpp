// The machine the DLL loads at its first use: KESTROVA_MACHINE, else
// "machine.txt" beside the executable, else the default; a broken file falls
// back to the default.

#include "SimFixture.h"

#include "TempDir.h"

namespace {

const char* const kOneDrive = "node c id=\"PCI\\VEN_1F9B&DEV_6E40\\1\"\nnode d parent=c id=\"SCSI\\DISK\\1\" disk=1\n"
                              "drive bus=nvme controller=c disk=d fw=VG99\n";

// Runs a copy of the probe with KestrovaSim.dll in `folder`; its exit code is the drive count.
DWORD RunProbe(const TempDir& folder)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    CString bin = self;
    bin = bin.Left(bin.ReverseFind(L'\\') + 1);
    CopyFileW(bin + L"sim_start_probe.exe", folder.Path(L"probe.exe"), FALSE);
    CopyFileW(bin + L"KestrovaSim.dll", folder.Path(L"KestrovaSim.dll"), FALSE);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    CString command = L"\"" + folder.Path(L"probe.exe") + L"\"";
    if (!CreateProcessW(nullptr, command.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path(), &startup,
                        &process))
        return 0xFFFFFFFF;
    command.ReleaseBuffer();
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(SimStart, MachineComesFromEnvironmentThenBesideTheProgramThenDefault)
{
    TempDir folder;
    SetEnvironmentVariableW(L"KESTROVA_MACHINE", nullptr);
    EXPECT_EQ(4u, RunProbe(folder)) << "default machine";

    folder.Write(L"machine.txt", kOneDrive);
    EXPECT_EQ(1u, RunProbe(folder)) << "machine.txt beside the program";

    TempDir other;
    CString named = other.Write(L"named.txt", std::string(kOneDrive) + "drive bus=sata controller=c disk=d\n");
    SetEnvironmentVariableW(L"KESTROVA_MACHINE", named);
    EXPECT_EQ(2u, RunProbe(folder)) << "the environment wins";

    other.Write(L"named.txt", "node broken\n");
    EXPECT_EQ(4u, RunProbe(folder)) << "a broken file falls back to the default";
    SetEnvironmentVariableW(L"KESTROVA_MACHINE", nullptr);
}

TEST_F(SimTest, LoadsAMachineFileAndRefusesAMissingOne)
{
    TempDir folder;
    CString path = folder.Write(L"m.txt", kOneDrive);
    ASSERT_EQ(1, SimLoadMachineFile(path));
    EXPECT_EQ(1, SimGetDriveCount());
    EXPECT_EQ(0, SimLoadMachineFile(folder.Path(L"none.txt")));
    EXPECT_EQ(0u, LoadError().find("cannot open"));
    EXPECT_EQ(1, SimGetDriveCount());
}

} // namespace
