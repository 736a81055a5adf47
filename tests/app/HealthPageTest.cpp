// The health page's own readings, which nothing in the program calls yet:
// the NVMe health log and a SATA drive's SMART values turned into life,
// temperature and total write, and the flash id text.

#include "DiskHealthDlg.h"
#include "Kestrova.h"
#include "KestrovaDlg.h"
#include "SSDOpThread.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ProbedHealthPage : public CDiskHealthDlg {
public:
    using CDiskHealthDlg::CDiskHealthDlg;
    using CDiskHealthDlg::m_gaugeLife;
    using CDiskHealthDlg::m_gaugeTemperature;
    using CDiskHealthDlg::m_staticFlashId;
    using CDiskHealthDlg::m_staticTotalWrite;
};

// The fill colour a gauge paints with (the gauge keeps it to itself).
struct GaugeProbe : CCylinderGauge {
    using CCylinderGauge::m_crFill;
};
Gdiplus::ARGB FillColour(CCylinderGauge& gauge)
{
    Gdiplus::ARGB CCylinderGauge::*fill = &GaugeProbe::m_crFill;
    return gauge.*fill;
}

// A main window object (its worker running, no window of its own), one
// drive in the worker's list, and the health page on a host window.
class HealthPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_main = std::make_unique<CKestrovaDlg>();
        theApp.m_pMainDlg = m_main.get();
        m_worker = m_main->m_pOpThread;
        ASSERT_NE(m_worker, nullptr);
        m_drive = new VntSSD();
        {
            CSSDOpThread::StateLock lock(m_worker);
            m_worker->m_deviceList.Add(m_drive);
            m_worker->m_deviceCount = 1;
            m_worker->m_curDeviceIndex = 0;
        }
        m_host.CreateEx(0, AfxRegisterWndClass(0), L"host", WS_POPUP, 0, 0, 700, 520, nullptr, nullptr);
        m_page = std::make_unique<ProbedHealthPage>(m_main.get());
        ASSERT_TRUE(m_page->Create(IDD_DISKHEALTH, &m_host));
    }
    void TearDown() override
    {
        m_page->DestroyWindow();
        m_page.reset();
        m_host.DestroyWindow();
        m_main.reset(); // the worker ends, deleting the drive
        theApp.m_pMainDlg = nullptr;
    }

    void SetNvmeLog(int kelvin, BYTE spare, BYTE used, ULONGLONG unitsWritten)
    {
        CSSDOpThread::StateLock lock(m_worker);
        m_drive->m_busType = BUS_TYPE_NVME;
        memset(m_drive->m_smartLog, 0, sizeof(m_drive->m_smartLog));
        m_drive->m_smartLog[1] = static_cast<BYTE>(kelvin & 0xFF);
        m_drive->m_smartLog[2] = static_cast<BYTE>(kelvin >> 8);
        m_drive->m_smartLog[3] = spare;
        m_drive->m_smartLog[5] = used;
        for (int i = 0; i < 8; ++i)
            m_drive->m_smartLog[48 + i] = static_cast<BYTE>(unitsWritten >> (8 * i));
    }

    std::unique_ptr<CKestrovaDlg> m_main;
    CSSDOpThread* m_worker = nullptr;
    VntSSD* m_drive = nullptr;
    CWnd m_host;
    std::unique_ptr<ProbedHealthPage> m_page;
};

TEST_F(HealthPageTest, NvmeHealthLogGivesTemperatureLifeAndTotalWrite)
{
    struct Case {
        int kelvin;
        BYTE spare, used;
        ULONGLONG units;
        double temperature;
        ULONGLONG life;
        const wchar_t* written;
        Gdiplus::ARGB fill; // blue below 60 degrees, red from 60, deeper red from 80
    } cases[] = {
        {0x0140, 100, 3, 2097152, 47, 97, L"1000.00GB", 0xFF328CE6},
        {0x0151, 90, 3, 0, 64, 90, L"0.00GB", 0xFFFF3232},
        // 100 - 110 as an unsigned byte is 246: the spare is the smaller.
        {0x0161, 100, 110, 1, 80, 100, L"0.00GB", 0xFFFF0A0A},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kelvin);
        SetNvmeLog(c.kelvin, c.spare, c.used, c.units);
        m_page->UpdateHealth();
        EXPECT_EQ(m_page->m_temperature, c.temperature);
        EXPECT_EQ(m_page->m_lifeRemaining, c.life);
        EXPECT_EQ(m_page->m_gaugeLife.GetPos(), static_cast<int>(c.life));
        EXPECT_EQ(m_page->m_gaugeTemperature.GetPos(), static_cast<int>(c.temperature));
        EXPECT_EQ(FillColour(m_page->m_gaugeTemperature), c.fill);
        CString written;
        m_page->m_staticTotalWrite.GetWindowText(written);
        EXPECT_STREQ(written, c.written);
    }
}

TEST_F(HealthPageTest, SataDriveReadsItsStoreAndKeepsWhatTheStoreLacks)
{
    {
        CSSDOpThread::StateLock lock(m_worker);
        m_drive->m_busType = BUS_TYPE_SATA;
        m_drive->m_diskNum = 3;
        // ATA SMART data: 12-byte entries from offset 2 (id, flags, current,
        // worst, raw): 0xCA life 88 and 0xC2 temperature 41, no 0xF1.
        BYTE data[512] = {};
        const BYTE entries[][2] = {{0xCA, 88}, {0xC2, 41}};
        for (int i = 0; i < 2; ++i) {
            data[2 + 12 * i] = entries[i][0];
            data[2 + 12 * i + 3] = 100;
            data[2 + 12 * i + 5] = entries[i][1];
        }
        m_worker->m_smartInfo.ParseAttributeData(3, data);
    }
    m_page->m_totalWriteGB = 12.5;
    m_page->UpdateHealth();
    EXPECT_EQ(m_page->m_lifeRemaining, 88u);
    EXPECT_EQ(m_page->m_temperature, 41.0);
    EXPECT_EQ(m_page->m_totalWriteGB, 12.5);
}

TEST_F(HealthPageTest, FlashIdShowsEightBytesInMemoryOrder)
{
    const BYTE bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ULONGLONG id = 0;
    memcpy(&id, bytes, sizeof(id));
    m_page->ShowFlashId(id);
    CString text;
    m_page->m_staticFlashId.GetWindowText(text);
    EXPECT_STREQ(text, L"01 02 03 04 05 06 07 08");
    EXPECT_STREQ(m_page->m_flashIdStr, L"01 02 03 04 05 06 07 08");
}

} // namespace
