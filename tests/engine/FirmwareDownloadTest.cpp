// Firmware download: the single image of the older families and the image
// assembled from five files, their chunks, commits and failure roads.

#include "LlfFixture.h"

namespace {

const size_t kMiB = 1048576;
const wchar_t kSucceed[] = L"Firmware update succeed! Please shutdown and restart to take effect.";

std::string Staged(int drive, size_t length)
{
    std::string bytes(length, '\0');
    SimReadFwStaging(drive, 0, static_cast<unsigned>(length), &bytes[0]);
    return bytes;
}

} // namespace

TEST_F(LlfEngineTest, SingleImageIsSentInSixteenChunksAndActivated)
{
    StartWithDrive(0);
    TempDir folder;
    // Of a 2 MiB file only the first MiB is sent.
    std::string image = Pattern(2 * kMiB, 4);
    CString path = folder.Write(L"fw.bin", image);
    CaptureTrace();
    RunPathRequest(WM_SSDOP_UPDATE_FW, path, 1, true);
    AfxSetTraceSink(nullptr);

    std::vector<std::wstring> expected = {L"STATUS Downloading firmware"};
    for (int percent : {6, 12, 18, 25, 31, 37, 43, 50, 56, 62, 68, 75, 81, 87, 93, 100})
        expected.push_back(L"PROGRESS " + std::to_wstring(percent));
    expected.push_back(std::wstring(L"RESULT ") + kSucceed);
    expected.push_back(L"PROGRESS 0");
    EXPECT_EQ(expected, recorder.Lines());
    EXPECT_EQ(16u, Calls("NvmeFwDownload2").size());
    EXPECT_EQ(std::to_string(kMiB), DriveValue(0, "fw-staged"));
    EXPECT_EQ(image.substr(0, kMiB), Staged(0, kMiB));
    EXPECT_EQ((std::vector<std::string>{"NvmeFwActivate(1, 2, 0)"}), Calls("NvmeFwActivate"));
    // The bytes sent so far after each chunk, then the activation.
    std::wstring log = Captured();
    EXPECT_NE(std::wstring::npos, log.find(L"SetProgress: 6\ndwSize: 65536, pBuffer + dwSize: "));
    EXPECT_NE(std::wstring::npos, log.find(L"SetProgress: 100\ndwSize: 1048576, pBuffer + dwSize: "));
    EXPECT_NE(std::wstring::npos, log.find(L"....\nActive fw....\nSetProgress: 0\n"));
    EXPECT_EQ(0, SimGetOpenCount(0));
}

TEST_F(LlfEngineTest, SingleImageFailureRoads)
{
    StartWithDrive(0);
    TempDir folder;
    CString full = folder.Write(L"fw.bin", Pattern(kMiB, 1));
    CString shortFile = folder.Write(L"short.bin", Pattern(kMiB - 1, 1));
    struct Case {
        const char* name;
        CString path;
        const char* fault;
        int afterCalls;
        std::vector<std::wstring> lines;
        size_t chunks;
    } cases[] = {
        {"empty path", L"", nullptr, 0, {L"RESULT Please select the bin file first!"}, 0},
        {"short file", shortFile, nullptr, 0, {L"RESULT Read firmware file fail", L"PROGRESS 0"}, 0},
        {"missing file", folder.Path(L"none.bin"), nullptr, 0, {L"RESULT Read firmware file fail", L"PROGRESS 0"}, 0},
        {"open refused", full, "NvmeOpenByInst", 0, {L"RESULT Device operation fail", L"PROGRESS 0"}, 0},
        {"chunk refused",
         full,
         "NvmeFwDownload2",
         2,
         {L"STATUS Downloading firmware", L"PROGRESS 6", L"PROGRESS 12", L"RESULT Download firmware fail",
          L"PROGRESS 0"},
         3},
        {"activation refused", full, "NvmeFwActivate", 0, {}, 16},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder.answers.clear();
        SimClearJournal();
        if (c.fault)
            SimSetFault(c.fault, 0, SIM_FAULT_FAIL, c.afterCalls, 0);
        bool progressLast = !c.path.IsEmpty();
        RunPathRequest(WM_SSDOP_UPDATE_FW, c.path, 1, progressLast);
        SimClearFaults();
        if (c.lines.empty()) {
            EXPECT_EQ(
                (std::vector<std::wstring>{L"STATUS Downloading firmware", L"RESULT Active the new firmware fail"}),
                Texts());
        } else {
            EXPECT_EQ(c.lines, recorder.Lines());
        }
        EXPECT_EQ(c.chunks, Calls("NvmeFwDownload2").size());
        EXPECT_EQ(0, SimGetOpenCount(0));
    }
    EXPECT_EQ("0", DriveValue(0, "fw-activations"));
}

class FiveFileTest : public LlfEngineTest {
protected:
    // The folder with a code file of `code` bytes and tables of the given sizes.
    void Fill(size_t code, size_t parser, size_t sequencer, size_t index, size_t seed)
    {
        files[0] = folder.Write(L"bank_imem.ram", Pattern(code, 10));
        files[1] = folder.Write(L"parser_table.bin", Pattern(parser, 11));
        files[2] = folder.Write(L"sequencer_table.bin", Pattern(sequencer, 12));
        files[3] = folder.Write(L"parser_sequencer_index_table.bin", Pattern(index, 13));
        files[4] = folder.Write(L"seed_table.bin", Pattern(seed, 14));
    }
    TempDir folder;
    CString files[5];
};

TEST_F(FiveFileTest, ImageIsAssembledSentAndCommitted)
{
    StartWithDrive(1);
    Fill(100000, 700, 512, 1, 300);
    CaptureTrace();
    RunPathRequest(WM_SSDOP_UPDATE_FW, folder.Path(), 1, true);
    AfxSetTraceSink(nullptr);

    EXPECT_EQ((std::vector<std::wstring>{L"STATUS Downloading firmware", L"PROGRESS 0", L"PROGRESS 50",
                                         std::wstring(L"RESULT ") + kSucceed, L"PROGRESS 0"}),
              recorder.Lines());
    // Offsets and lengths in 4-byte words: 65,536 and 50,848 bytes, then the
    // commit at 116,384.
    EXPECT_EQ(
        (std::vector<std::string>{"NvmeFwDownload2(0, 16384, <data>, 1)", "NvmeFwDownload2(16384, 12712, <data>, 1)",
                                  "NvmeFwDownload2(29096, 0, <null>, 1)"}),
        Calls("NvmeFwDownload2"));
    std::string tables(16384, '\0');
    tables.replace(0, 700, Pattern(700, 11));
    tables.replace(1024, 512, Pattern(512, 12));
    tables.replace(1536, 1, Pattern(1, 13));
    tables.replace(2048, 300, Pattern(300, 14));
    EXPECT_EQ(Pattern(100000, 10) + tables, Staged(1, 116384));
    EXPECT_EQ("1", DriveValue(1, "fw-commits"));
    // Each chunk's offset and length before it goes, then the commit's outcome.
    std::wstring log = Captured();
    EXPECT_NE(std::wstring::npos,
              log.find(L"CSSDOpThread::UpdateFwForVX1200 -> offset: 0x00000000, dataSize: 0x00010000, pBuffer: 0x"));
    EXPECT_NE(std::wstring::npos,
              log.find(L"CSSDOpThread::UpdateFwForVX1200 -> offset: 0x00010000, dataSize: 0x0000c6a0, pBuffer: 0x"));
    EXPECT_NE(std::wstring::npos, log.find(L"SetProgress: 50\ndwSize: 116384, bResult: 1....\nSetProgress: 0\n"));
    EXPECT_EQ("0", DriveValue(1, "fw-activations"));
    EXPECT_EQ(0, SimGetOpenCount(1));
}

TEST_F(FiveFileTest, InputsBeyondTheLimitsAreRefusedBeforeAnyRead)
{
    StartWithDrive(1);
    struct Case {
        const char* name;
        size_t code, parser, sequencer, index, seed;
        const wchar_t* missing; // a file taken away, or nullptr
        bool emptyPath;
        std::vector<std::wstring> lines;
    } cases[] = {
        {"no folder", 1000, 1, 1, 1, 1, nullptr, true, {L"RESULT Please select the bin file first!"}},
        {"index table missing",
         1000,
         1,
         1,
         1,
         1,
         L"parser_sequencer_index_table.bin",
         false,
         {L"RESULT Read firmware file fail"}},
        {"code too large", 1032193, 1, 1, 1, 1, nullptr, false, {L"RESULT Read firmware file fail", L"PROGRESS 0"}},
        {"tables too large", 1000, 16384, 1, 1, 1, nullptr, false, {L"RESULT Read firmware file fail", L"PROGRESS 0"}},
        {"empty seed table", 1000, 1, 1, 1, 0, nullptr, false, {L"RESULT Read firmware file fail", L"PROGRESS 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(c.code, c.parser, c.sequencer, c.index, c.seed);
        if (c.missing)
            ::DeleteFileW(folder.Path(c.missing));
        recorder.answers.clear();
        SimClearJournal();
        RunPathRequest(WM_SSDOP_UPDATE_FW, c.emptyPath ? CString() : folder.Path(), 1, c.lines.size() > 1);
        EXPECT_EQ(c.lines, recorder.Lines());
        EXPECT_TRUE(Calls("NvmeOpenByInst").empty());
        EXPECT_TRUE(Calls("NvmeFwDownload2").empty());
    }
    // The largest code that fits still goes: 1,032,192 + 16,384 = 1 MiB.
    Fill(1032192, 512, 512, 512, 14848);
    recorder.answers.clear();
    SimClearJournal();
    RunPathRequest(WM_SSDOP_UPDATE_FW, folder.Path(), 1, true);
    EXPECT_EQ((std::vector<std::wstring>{L"STATUS Downloading firmware", std::wstring(L"RESULT ") + kSucceed}),
              Texts());
    EXPECT_EQ("NvmeFwDownload2(262144, 0, <null>, 1)", Calls("NvmeFwDownload2").back());
}

// Drives of the SATA library (listed only by the SATA scan, which nothing in
// the program calls): a SATA disk commits with a zero-length download after
// the last chunk, one behind AHCI sends no commit and takes the last chunk's
// success for it.
TEST_F(LlfEngineTest, SingleImageCommitBySataBusType)
{
    struct Case {
        const char* ahci;
        int busType;
        std::vector<std::string> commits;
    } cases[] = {
        {"0", BUS_TYPE_SATA, {"VaFwDownload(3, 2048, 0, <null>, 0)"}},
        {"1", BUS_TYPE_AHCI, {}},
    };
    TempDir folder;
    CString path = folder.Write(L"fw.bin", Pattern(kMiB, 6));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ahci);
        ASSERT_EQ(1, SimSetDriveValue(3, "ahci", c.ahci));
        ASSERT_EQ(1, SimSetDriveValue(3, "version", "vx1100 rev A"));
        StartWithDrive(0);
        {
            CSSDOpThread::OperationLock hold(worker);
            ASSERT_EQ(1u, worker->ScanSataDevice());
            CSSDOpThread::StateLock state(worker);
            worker->m_deviceCount = static_cast<UINT>(worker->m_deviceList.GetSize());
        }
        ASSERT_EQ(3u, worker->m_deviceCount);
        ASSERT_EQ(c.busType, worker->m_deviceList[2]->m_busType);
        int family = worker->m_deviceList[2]->m_icVersion;
        ASSERT_TRUE(family == IC_VX1100 || family == IC_NVME_6E40) << "a family of the single image";
        Request(WM_SSDOP_SELECT_DEVICE, 2, 1);
        recorder.answers.clear();
        SimClearJournal();

        RunPathRequest(WM_SSDOP_UPDATE_FW, path, 1, true);
        EXPECT_EQ((std::vector<std::wstring>{L"STATUS Downloading firmware", std::wstring(L"RESULT ") + kSucceed}),
                  Texts());
        std::vector<std::string> calls = Calls("VaFwDownload");
        ASSERT_EQ(16u + c.commits.size(), calls.size());
        EXPECT_EQ("VaFwDownload(3, 1920, 128, <data>, 0)", calls[15]);
        EXPECT_EQ(c.commits, std::vector<std::string>(calls.begin() + 16, calls.end()));
        EXPECT_TRUE(Calls("VaFwActivate").empty());
        EXPECT_EQ(0, SimGetOpenCount(3));
        StopWorker();
        recorder.answers.clear();
    }
}
