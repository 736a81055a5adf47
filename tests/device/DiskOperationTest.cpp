// Disk queries: the system-disk test the worker asks before a format, and the
// partition and layout queries.

#include <gtest/gtest.h>

#include <string>

#include "DiskOperation.h"
#include "SimFixture.h"

namespace {

const wchar_t* kNvmeDisk = L"SCSI\\DISK&VEN_NVME&PROD_ZARVO_ZR80E\\5&1&0&000000"; // disk 1
const wchar_t* kSataDisk = L"SCSI\\DISK&VEN_VANTREL&PROD_VX1300\\4&1&0&000100";   // disk 0
const DEVINST kStaleNode = 0x7FFF;

std::string WithSystemDir(const char* dir)
{
    std::string text = TwoDriveMachine();
    size_t at = text.find("E:\\Windows\\system32");
    text.replace(at, 19, dir);
    return text;
}

} // namespace

class DiskOperationTest : public SimTest {};

TEST_F(DiskOperationTest, SystemDiskTable)
{
    struct Case {
        const char* systemDir;
        const wchar_t* disk; // nullptr: node 0; L"": a node that is gone
        BOOL failSystemDir;
        BOOL expected;
    };
    const Case cases[] = {
        {"E:\\Windows\\system32", kSataDisk, FALSE, TRUE}, // E: lies on disk 0
        {"E:\\Windows\\system32", kNvmeDisk, FALSE, FALSE},
        {"C:\\Windows\\system32", kNvmeDisk, FALSE, TRUE}, // C: lies on disk 1
        {"E:\\Windows\\system32", nullptr, FALSE, TRUE},   // no disk node
        {"E:\\Windows\\system32", L"", FALSE, TRUE},       // disk number unknown
        {"Q:\\Windows\\system32", kNvmeDisk, FALSE, TRUE}, // system volume unknown
        {"E:\\Windows\\system32", kNvmeDisk, TRUE, TRUE},  // system directory unknown
    };
    for (const Case& c : cases) {
        std::string machine = WithSystemDir(c.systemDir);
        LoadMachine(machine.c_str());
        if (c.failSystemDir) {
            SimSetFault("GetSystemDirectoryW", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
        }
        DEVINST node = c.disk == nullptr ? 0 : (*c.disk ? Node(c.disk) : kStaleNode);
        EXPECT_EQ(c.expected, DiskOperation::IsSystemDisk(node)) << c.systemDir << " fail=" << c.failSystemDir;
    }
}

TEST_F(DiskOperationTest, SystemDiskIsAskedThroughTheVolumeOfTheSystemDirectory)
{
    std::string machine = WithSystemDir("D:\\Windows\\system32");
    LoadMachine(machine.c_str());
    EXPECT_EQ(1, GetSystemDiskNum());
    std::vector<std::string> opens = Calls("CreateFileW");
    ASSERT_EQ(1u, opens.size());
    EXPECT_NE(std::string::npos, opens[0].find(R"("\\.\D:", 0xc0000000, 3, <null>, 3, 0x0, <null>)")) << opens[0];
    EXPECT_EQ(1u, Calls("CloseHandle").size());
}

TEST_F(DiskOperationTest, PartitionLocationsAndLetters)
{
    LoadMachine(TwoDriveMachine());
    DWORD disk = 9, partition = 9;
    EXPECT_TRUE(DiskOperation::GetPartitionLocation(L'D', &disk, &partition));
    EXPECT_EQ(1u, disk);
    EXPECT_EQ(2u, partition);
    EXPECT_FALSE(DiskOperation::GetPartitionLocation(L'Q', &disk, &partition));

    int index = -1;
    EXPECT_TRUE(DiskOperation::GetPartitionDriveLetter(1, 3, &index));
    EXPECT_EQ(5, index); // F:
    EXPECT_TRUE(DiskOperation::GetPartitionDriveLetter(0, 1, &index));
    EXPECT_EQ(4, index); // E:
    EXPECT_FALSE(DiskOperation::GetPartitionDriveLetter(1, 9, &index));
}

TEST_F(DiskOperationTest, PartitionOnlyOnDriveAIsNotFound)
{
    std::string machine = TwoDriveMachine();
    machine += "node volA id=\"STORAGE\\VOLUME\\{A1}\" parent=root volume=A on-disk=2 partition=1\n"
               "node disk2 id=\"SCSI\\DISK&VEN_X&PROD_Y\\1\" parent=root disk=2\n";
    LoadMachine(machine.c_str());
    int index = -1;
    EXPECT_FALSE(DiskOperation::GetPartitionDriveLetter(2, 1, &index));
    EXPECT_EQ(-1, index);
}

TEST_F(DiskOperationTest, OpenByNumberAndLayout)
{
    LoadMachine(TwoDriveMachine());
    HANDLE disk = DiskOperation::OpenDiskByNum(1);
    ASSERT_NE(INVALID_HANDLE_VALUE, disk);
    BYTE layout[48] = {};
    EXPECT_TRUE(DiskOperation::GetDiskLayout(disk, layout, sizeof(layout)));
    const DRIVE_LAYOUT_INFORMATION_EX* info = reinterpret_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(layout);
    EXPECT_EQ(3u, info->PartitionCount);
    seam::CloseHandle(disk);

    EXPECT_EQ(INVALID_HANDLE_VALUE, DiskOperation::OpenDiskByNum(7));
    EXPECT_EQ(INVALID_HANDLE_VALUE, DiskOperation::OpenDisk(kStaleNode));
}
