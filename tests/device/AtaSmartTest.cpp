// The ATA SMART reader: the request blocks, the order and sizes of the
// requests, what lands in the slot, and the roads when a step fails.

#include <gtest/gtest.h>

#include <cstring>

#include "SimFixture.h"
#include "SmartStore.h"

TEST(AtaSmartRequest, BlocksAreByteForByteTheSendCmdInParams)
{
    struct Case {
        SmartStore::AtaCommand command;
        BYTE expected[SmartStore::ATA_REQUEST_SIZE];
    };
    // buffer size (4, LE), features, count, number, cyl low, cyl high, drive/head, command, 0, drive number, 0...
    const Case cases[] = {
        {SmartStore::ATA_ENABLE_SMART, {0, 0, 0, 0, 0xD8, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 5}},
        {SmartStore::ATA_IDENTIFY_DEVICE, {0, 2, 0, 0, 0x00, 1, 1, 0x00, 0x00, 0xA0, 0xEC, 0, 5}},
        {SmartStore::ATA_READ_DATA, {0, 2, 0, 0, 0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 5}},
        {SmartStore::ATA_READ_THRESHOLDS, {0, 2, 0, 0, 0xD1, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 5}},
    };
    for (const Case& c : cases) {
        BYTE block[SmartStore::ATA_REQUEST_SIZE];
        memset(block, 0xCC, sizeof(block));
        SmartStore::BuildAtaRequest(c.command, 5, block);
        EXPECT_EQ(0, memcmp(c.expected, block, sizeof(block))) << "command " << c.command;
    }
}

TEST(AtaSmartRequest, SwapIdStringLeftAlignsAndTerminatesInsideTheField)
{
    // "  MODEL X   " as ATA words (pairs swapped), then a byte the trim must not reach.
    char field[16] = {' ', ' ', 'O', 'M', 'E', 'D', ' ', 'L', ' ', 'X', ' ', ' ', '#', '#', '#', '#'};
    SmartStore::SwapIdString(field, 12);
    EXPECT_STREQ("MODEL X", field);
    EXPECT_EQ('#', field[12]);
}

class AtaSmartTest : public SimTest {
protected:
    void SetUp() override { LoadMachine(TwoDriveMachine()); }
    SmartStore m_store;
};

TEST_F(AtaSmartTest, ReadStoresIdentityValuesAndThresholdsInTheDiskSlot)
{
    EXPECT_TRUE(m_store.ReadAtaSmart(0));

    const SmartDriveInfo& record = m_store.GetDriveRecord(0);
    EXPECT_STREQ("Vantrel VX1300 256GB", reinterpret_cast<const char*>(record.identify + 54));
    EXPECT_STREQ("VX13000042", reinterpret_cast<const char*>(record.identify + 20));
    EXPECT_EQ(3, record.attributeCount);
    const SmartAttribute* cycles = m_store.FindAttribute(0, 12);
    ASSERT_NE(nullptr, cycles);
    EXPECT_EQ(55u, cycles->raw);
    EXPECT_EQ(99, cycles->current);
    EXPECT_EQ(10u, cycles->threshold);
    ASSERT_NE(nullptr, m_store.FindAttribute(0, 194));
    EXPECT_EQ(45, m_store.FindAttribute(0, 194)->worst);

    std::vector<std::string> opens = Calls("CreateFileW");
    ASSERT_EQ(1u, opens.size());
    EXPECT_EQ(R"(CreateFileW("\\.\PHYSICALDRIVE0", 0xc0000000, 3, <null>, 3, 0x4, <null>))", opens[0]);
    std::vector<std::string> requests = Calls("DeviceIoControl");
    ASSERT_EQ(5u, requests.size());
    const char* expected[] = {
        "SMART_GET_VERSION, <null>, 0, <buf>, 24", "SMART_SEND_DRIVE_COMMAND, <data>, 33, <buf>, 17",
        "SMART_RCV_DRIVE_DATA, <data>, 33, <buf>, 528", "SMART_RCV_DRIVE_DATA, <data>, 33, <buf>, 531",
        "SMART_RCV_DRIVE_DATA, <data>, 33, <buf>, 531"};
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_NE(std::string::npos, requests[i].find(expected[i])) << requests[i];
    }
    EXPECT_EQ(1u, Calls("CloseHandle").size());
}

TEST_F(AtaSmartTest, DiskWithoutSmartCommandsChangesOnlyTheVersion)
{
    EXPECT_TRUE(m_store.ReadAtaSmart(1));
    const SmartDriveInfo& record = m_store.GetDriveRecord(1);
    EXPECT_EQ(0u, record.versionParams.fCapabilities & CAP_SMART_CMD);
    EXPECT_EQ(1, record.versionParams.bVersion);
    EXPECT_EQ(0, record.attributeCount);
    EXPECT_EQ(1u, Calls("DeviceIoControl").size()); // SMART_GET_VERSION alone
}

TEST_F(AtaSmartTest, FailedDataReadKeepsPreviousValuesAndTakesNewThresholds)
{
    ASSERT_TRUE(m_store.ReadAtaSmart(0));
    ASSERT_EQ(1, SimSetDriveValue(1, "smart:12", "80,80,56,20"));
    // Version, enable and identify pass; the data request fails.
    SimSetFault("DeviceIoControl", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 3, 1);

    EXPECT_TRUE(m_store.ReadAtaSmart(0));
    const SmartAttribute* cycles = m_store.FindAttribute(0, 12);
    ASSERT_NE(nullptr, cycles);
    EXPECT_EQ(55u, cycles->raw);
    EXPECT_EQ(20u, cycles->threshold);
    EXPECT_EQ(3, m_store.GetDriveRecord(0).attributeCount);
}

TEST_F(AtaSmartTest, RefusedEnableNotesTheErrorAndReturnsTheVersionResult)
{
    SimSetFault("DeviceIoControl", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 1, 1);
    EXPECT_TRUE(m_store.ReadAtaSmart(0));
    EXPECT_STREQ(L"Error 31 in reading SMART Enabled flag", m_store.GetDriveRecord(0).errorText);
    EXPECT_EQ(0, m_store.GetDriveRecord(0).attributeCount);
    EXPECT_EQ(2u, Calls("DeviceIoControl").size());
}

TEST_F(AtaSmartTest, MissingDriveAndSlotWithoutRecordReadNothing)
{
    EXPECT_FALSE(m_store.ReadAtaSmart(7));
    EXPECT_EQ(0u, Calls("DeviceIoControl").size());
    SimClearJournal();
    EXPECT_FALSE(m_store.ReadAtaSmart(32));
    EXPECT_FALSE(m_store.ReadAtaSmart(200));
    EXPECT_EQ(0u, Calls("CreateFileW").size());
}

TEST_F(AtaSmartTest, FixedDrivesMapLettersFromCToPhysicalDrives)
{
    EXPECT_FALSE(m_store.ReadAllFixedDrives());
    EXPECT_EQ(4, m_store.m_drivesScanned);   // C D E F
    EXPECT_EQ(2, m_store.m_drivesWithSmart); // physical drives 0 and 1 exist
    std::vector<std::string> opens = Calls("CreateFileW");
    ASSERT_EQ(4u, opens.size());
    EXPECT_NE(std::string::npos, opens[3].find(R"("\\.\PHYSICALDRIVE3")"));
}

TEST_F(AtaSmartTest, ReadAllCountsEveryPath)
{
    CArray<CString> paths;
    EXPECT_FALSE(m_store.ReadAll(paths));
    paths.Add(L"\\\\.\\PhysicalDrive0");
    paths.Add(L"\\\\.\\PhysicalDrive1");
    EXPECT_TRUE(m_store.ReadAll(paths));
    EXPECT_EQ(2, m_store.m_drivesScanned);
    ASSERT_NE(nullptr, m_store.FindAttribute(0, 9));
    EXPECT_EQ(777u, m_store.FindAttribute(0, 9)->raw);

    // 256 unreadable paths wrap both 8-bit counters back to 0: still a failure.
    CArray<CString> missing;
    for (int i = 0; i < 256; ++i) {
        missing.Add(L"\\\\.\\PhysicalDrive9");
    }
    EXPECT_FALSE(m_store.ReadAll(missing));
}
