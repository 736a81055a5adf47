// The drive page in this process, for what the program's drives cannot show:
// the clock-mode rows of firmware the scan does not keep, the export with
// health values and with no drive, and the helpers nothing calls yet.

#include "DiskHealthDlg.h"
#include "DriveInfoDlg.h"
#include "Kestrova.h"
#include "KestrovaDlg.h"
#include "SSDOpThread.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

// A main window object (its worker running, no window of its own), one NVMe
// drive in the worker's list, and the drive page on a host window.
class DrivePageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_main = std::make_unique<CKestrovaDlg>();
        theApp.m_pMainDlg = m_main.get();
        m_worker = m_main->m_pOpThread;
        ASSERT_NE(m_worker, nullptr);
        m_drive = new VntSSD();
        m_drive->m_busType = BUS_TYPE_NVME;
        m_drive->m_index = 0;
        {
            CSSDOpThread::StateLock lock(m_worker);
            m_worker->m_deviceList.Add(m_drive);
            m_worker->m_deviceCount = 1;
            m_worker->m_curDeviceIndex = 0;
        }
        m_host.CreateEx(0, AfxRegisterWndClass(0), L"host", WS_POPUP, 0, 0, 700, 520, nullptr, nullptr);
        m_page = std::make_unique<CDriveInfoDlg>(m_main.get());
        ASSERT_TRUE(m_page->Create(IDD_DRIVEINFO, &m_host));
    }
    void TearDown() override
    {
        m_page->DestroyWindow();
        m_page.reset();
        m_host.DestroyWindow();
        m_main->m_pDiskHealthDlg = nullptr;
        m_main.reset(); // the worker ends, deleting the drive
        theApp.m_pMainDlg = nullptr;
    }

    // The drive's identity and its SMART values 9 (hours) and 0xFD (clock
    // mode) in the drive's NVMe slot, its library index + 16.
    void SetDrive(const char* firmware, const char* model, DWORD clockMode)
    {
        CSSDOpThread::StateLock lock(m_worker);
        strcpy(m_drive->m_fwVersion, firmware);
        strcpy(m_drive->m_modelName, model);
        BYTE data[512] = {};
        const struct {
            BYTE id;
            DWORD raw;
        } entries[] = {{0x09, 1234}, {0xFD, clockMode}};
        for (int i = 0; i < 2; ++i) {
            BYTE* entry = data + 2 + 12 * i;
            entry[0] = entries[i].id;
            entry[3] = entry[4] = 100;
            memcpy(entry + 5, &entries[i].raw, sizeof(DWORD));
        }
        m_worker->m_smartInfo.ParseAttributeData(SMART_NVME_SLOT_BASE, data);
    }

    CString Text(int id) const
    {
        CString text;
        m_page->GetDlgItem(id)->GetWindowText(text);
        return text;
    }

    std::string Export()
    {
        FILE* file = tmpfile();
        m_page->ExportInfo(file);
        std::string bytes(static_cast<size_t>(ftell(file)), '\0');
        rewind(file);
        size_t read = fread(&bytes[0], 1, bytes.size(), file);
        fclose(file);
        bytes.resize(read);
        return bytes;
    }

    std::unique_ptr<CKestrovaDlg> m_main;
    CSSDOpThread* m_worker = nullptr;
    VntSSD* m_drive = nullptr;
    CWnd m_host;
    std::unique_ptr<CDriveInfoDlg> m_page;
};

TEST_F(DrivePageTest, FirmwareAndClockModeValueGiveModelModeTextAndFlag)
{
    struct Case {
        const char* firmware;
        DWORD clockMode;
        const wchar_t* model;
        const wchar_t* mode;
        int flag;
    } cases[] = {
        {"VG1A0203", 120, L"ZR80e", L"Standard Mode", 1},
        {"VG1A0203", 100, L"ZR80e", L"ECO Mode", 0},
        {"VL1B0105", 100, L"ZR50e", L"Gaming Mode", 1},
        {"VL1B0105", 120, L"ZR50e", L"Standard Mode", 0},
        // Both marks: the "VG" rows come first.
        {"VGVL0001", 100, L"ZR80e", L"ECO Mode", 0},
        // The marks are case-sensitive; without one the drive's own model shows.
        {"vg1a0203", 120, L"Own Model 1TB", L"Standard Mode", 0},
        {"EX1A0100", 100, L"Own Model 1TB", L"Standard Mode", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        SCOPED_TRACE(c.clockMode);
        SetDrive(c.firmware, "  Own Model 1TB  ", c.clockMode);
        m_page->UpdateSSDDriveInfo();
        EXPECT_STREQ(Text(IDC_VALUE_MODEL), c.model);
        EXPECT_STREQ(Text(IDC_VALUE_SPEED), c.mode);
        EXPECT_STREQ(Text(IDC_VALUE_CLOCK_MODE), c.mode);
        EXPECT_EQ(m_page->m_clkModeFlag, c.flag);
        EXPECT_STREQ(Text(IDC_VALUE_OPERATION_TIME), L"1234 h");
    }
}

TEST_F(DrivePageTest, ExportWritesTheHealthValuesForEachDriveAndTheHeadingAlone)
{
    m_drive->m_diskNum = 3;
    m_drive->m_capacity = 512110190592ULL;
    m_drive->m_sectorSize = 4096;
    m_drive->m_volumeStr = L"C D";
    CDiskHealthDlg health(m_main.get());
    health.m_lifeRemaining = 97;
    health.m_totalWriteGB = 1536.25;
    health.m_temperature = 41.5;
    m_main->m_pDiskHealthDlg = &health;
    EXPECT_EQ(Export(), "\r\nDisk Information:\r\n"
                        "\tDisk 3:\r\n"
                        "\t\tCapacity: 476.940GB\r\n"
                        "\t\tSector Size: 4096B\r\n"
                        "\t\tDrives: C D\r\n"
                        "\t\tLife Remaining: 97%\r\n"
                        "\t\tTotal Write: 1536.25GB\r\n"
                        "\t\tTemperature: 41.50\r\n");

    {
        CSSDOpThread::StateLock lock(m_worker);
        m_worker->m_deviceCount = 0;
    }
    EXPECT_EQ(Export(), "\r\nDisk Information:\r\n");
    {
        CSSDOpThread::StateLock lock(m_worker);
        m_worker->m_deviceCount = 1;
    }
}

TEST_F(DrivePageTest, ByteAndAtaWordHelpers)
{
    CString out = L"old";
    BYTE bytes[] = {0x01, 0xAB, 0x00};
    CDriveInfoDlg::BytesToHexString(bytes, 3, out);
    EXPECT_STREQ(out, L"01 AB 00");
    CDriveInfoDlg::BytesToHexString(nullptr, 4, out);
    EXPECT_STREQ(out, L"");

    // ATA identity words hold the high byte first.
    WORD words[] = {0x5A52, 0x3830, 0x6520};
    CDriveInfoDlg::AtaWordsToString(words, 3, out);
    EXPECT_STREQ(out, L"ZR80e ");
    out = L"kept";
    CDriveInfoDlg::AtaWordsToString(nullptr, 3, out);
    EXPECT_STREQ(out, L"kept");
    CDriveInfoDlg::AtaWordsToString(words, -1, out);
    EXPECT_STREQ(out, L"");
}

} // namespace
