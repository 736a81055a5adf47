// The machine the DLL loads at its first use: KESTROVA_MACHINE, else
// "machine.txt" beside the executable, else the default; a broken file falls
// back to the default and is said where the user sees it.

#include "SimFixture.h"

#include "ProbeProcess.h"
#include "TempDir.h"

namespace {

const char* const kOneDrive = "node c id=\"PCI\\VEN_1F9B&DEV_6E40\\1\"\nnode d parent=c id=\"SCSI\\DISK\\1\" disk=1\n"
                              "drive bus=nvme controller=c disk=d fw=VG99\n";

// The drive count of the machine a probe started in `folder` loaded.
DWORD RunProbe(const TempDir& folder)
{
    ProbeProcess probe(folder);
    return probe.Wait(60000);
}

TEST(SimStart, MachineComesFromEnvironmentThenBesideTheProgramThenDefault)
{
    TempDir folder;
    SetEnvironmentVariableW(L"KESTROVA_MACHINE", nullptr);
    EXPECT_EQ(4u, RunProbe(folder)) << "default machine";

    folder.Write(L"machine.txt", kOneDrive);
    EXPECT_EQ(1u, RunProbe(folder)) << "machine.txt beside the program";

    TempDir other;
    CString named = other.Write(L"named.txt", std::string(kOneDrive) + "node s id=\"PCI\\VEN_8086\\1\"\n"
                                                                       "node e parent=s id=\"SCSI\\DISK\\2\" disk=2\n"
                                                                       "drive bus=sata controller=s disk=e\n");
    SetEnvironmentVariableW(L"KESTROVA_MACHINE", named);
    EXPECT_EQ(2u, RunProbe(folder)) << "the environment wins";

    // A broken file is said, with its line and key, and the default machine runs.
    SetEnvironmentVariableW(L"KESTROVA_SIM_NO_BOX", L"1");
    other.Write(L"named.txt", std::string(kOneDrive) + "drive bus=nvme controller=c disk=d write-cache=99999999999\n");
    EXPECT_EQ(4u, RunProbe(folder)) << "a broken file falls back to the default";
    std::string said = TempDir::Read(folder.Path(L"stderr.txt"));
    EXPECT_NE(std::string::npos, said.find("named.txt")) << said;
    EXPECT_NE(std::string::npos, said.find("line 4: key 'write-cache': 99999999999 does not fit")) << said;
    EXPECT_NE(std::string::npos, said.find("default machine")) << said;
    SetEnvironmentVariableW(L"KESTROVA_SIM_NO_BOX", nullptr);
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
