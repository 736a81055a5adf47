// The debug dump: files, message order, progress and its failure roads.

#include "EngineFixture.h"

#include "TempDir.h"

namespace {

std::string Pattern(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed + i / 512) & 0xFF);
    return bytes;
}

bool Exists(const CString& path)
{
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// The expected answers of one bulk reader: a progress per call, up to 100.
void AppendProgress(std::vector<std::wstring>& lines, unsigned size, unsigned unit)
{
    for (unsigned offset = unit; offset <= size; offset += unit)
        lines.push_back(L"PROGRESS " + std::to_wstring(offset * 100u / size));
}

} // namespace

class DumpTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        StartWorker();
        ScanAndSelect();
    }
    // Selects list entry `index` (0: the 6E40 drive, 1: the 6E42 drive).
    void Select(WPARAM index)
    {
        Post(WM_SSDOP_SELECT_DEVICE, index);
        Barrier();
        recorder.answers.clear();
    }
    void Dump()
    {
        Post(WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(folder.Path().GetString()));
        Barrier();
    }
    TempDir folder;
};

// A 6E40 drive: "gv.bin" and "fp.bin" from controller memory and the 512-byte
// "llf.bin", in this order of messages.
TEST_F(DumpTest, ControllerMemoryFamilyWritesThreeFiles)
{
    std::string gv = Pattern(0x10000, 1), fp = Pattern(0x100000, 2);
    ASSERT_EQ(1, SimWriteMemory(0, 0x80200000u, static_cast<unsigned>(gv.size()), gv.data()));
    ASSERT_EQ(1, SimWriteMemory(0, 0x200000u, static_cast<unsigned>(fp.size()), fp.data()));
    Dump();
    std::vector<std::wstring> expected{L"STATUS Dumping debug information"};
    AppendProgress(expected, 0x10000, 512);
    AppendProgress(expected, 0x100000, 512);
    expected.push_back(L"RESULT Dump information succeed");
    expected.push_back(L"PROGRESS 0");
    EXPECT_EQ(expected, recorder.Lines());
    EXPECT_TRUE(TempDir::Read(folder.Path(L"gv.bin")) == gv);
    EXPECT_TRUE(TempDir::Read(folder.Path(L"fp.bin")) == fp);
    std::string llf = TempDir::Read(folder.Path(L"llf.bin"));
    EXPECT_EQ(512u, llf.size());
    EXPECT_EQ("KSIM", llf.substr(0, 4));
    EXPECT_FALSE(Exists(folder.Path(L"ec.bin")));
    EXPECT_EQ(0, SimGetOpenCount(0));
}

// A 6E42 drive: "fp.bin" from the sectors 9 MiB beyond the user area, 256 per
// read; no "llf.bin".
TEST_F(DumpTest, SectorFamilyReadsBeyondTheUserArea)
{
    ASSERT_EQ(1, SimSetDriveValue(1, "capacity", "1000204886016"));
    ScanAndSelect();
    Select(1);
    const unsigned start = 1953525168u + 18432u;
    std::string fp = Pattern(0x100000, 3);
    ASSERT_EQ(1, SimWriteLba(1, start, 2048, fp.data()));
    SimClearJournal();
    Dump();
    std::vector<std::wstring> expected{L"STATUS Dumping debug information"};
    AppendProgress(expected, 0x10000, 512);
    AppendProgress(expected, 0x100000, 0x20000);
    expected.push_back(L"RESULT Dump information succeed");
    expected.push_back(L"PROGRESS 0");
    EXPECT_EQ(expected, recorder.Lines());
    std::vector<std::string> reads = Calls("NvmeReadLba");
    ASSERT_EQ(8u, reads.size()) << Journal();
    EXPECT_EQ(0u, reads[0].find("NvmeReadLba(1953543600, 256, 131072,")) << reads[0];
    EXPECT_EQ(0u, reads[7].find("NvmeReadLba(1953545392, 256,")) << reads[7];
    EXPECT_EQ(0x10000u, TempDir::Read(folder.Path(L"gv.bin")).size());
    EXPECT_TRUE(TempDir::Read(folder.Path(L"fp.bin")) == fp);
    EXPECT_FALSE(Exists(folder.Path(L"llf.bin")));
}

// A family outside the five: "gv.bin" only, and still a success.
TEST_F(DumpTest, OtherFamilyWritesOnlyGlobalVariables)
{
    Read([&] { return worker->m_pCurDevice->m_icVersion = 7; });
    Dump();
    EXPECT_EQ((std::vector<std::wstring>{L"Dump information succeed"}), recorder.Results());
    EXPECT_EQ(0x10000u, TempDir::Read(folder.Path(L"gv.bin")).size());
    EXPECT_FALSE(Exists(folder.Path(L"fp.bin")));
}

// A start LBA that does not fit 32 bits fails instead of reading the start of
// the disk.
TEST_F(DumpTest, SectorAreaBeyondThirtyTwoBitsFails)
{
    ASSERT_EQ(1, SimSetDriveValue(1, "capacity", "2199023255552")); // 2^32 sectors
    ScanAndSelect();
    Select(1);
    SimClearJournal();
    Dump();
    EXPECT_EQ((std::vector<std::wstring>{L"Dump information fail"}), recorder.Results());
    EXPECT_EQ(L"PROGRESS 0", recorder.Lines().back());
    EXPECT_TRUE(Calls("NvmeReadLba").empty());
    EXPECT_TRUE(Exists(folder.Path(L"gv.bin")));
    EXPECT_FALSE(Exists(folder.Path(L"fp.bin")));
    EXPECT_EQ(0, SimGetOpenCount(1));
}

// Each failure road: its one result, the files left behind, the drive closed,
// and the progress back at 0.
TEST_F(DumpTest, FailureRoads)
{
    struct Case {
        const char* function;
        int afterCalls;
        const wchar_t* result;
        bool gv, fp, llf;
    } cases[] = {
        {"NvmeOpenByInst", 0, L"Device operation fail", false, false, false},
        {"NvmeOpenByInst", 1, L"Device operation fail", true, false, false},
        {"NvmeReadBlk", 0, L"Dump information fail", false, false, false},
        {"NvmeReadBlk", 128, L"Dump information fail", true, false, false}, // the first read of "fp.bin"
        {"NvmeLlfSsdInfo", 0, L"Get llf ssd info fail", true, true, false},
    };
    for (const Case& c : cases) {
        TempDir own;
        SimClearFaults();
        SimSetFault(c.function, SIM_ANY_DRIVE, SIM_FAULT_FAIL, c.afterCalls, 1);
        Post(WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(own.Path().GetString()));
        Barrier();
        std::string name = std::string(c.function) + " after " + std::to_string(c.afterCalls);
        EXPECT_EQ((std::vector<std::wstring>{c.result}), recorder.Results()) << name;
        EXPECT_EQ(L"PROGRESS 0", recorder.Lines().back()) << name;
        EXPECT_EQ(c.gv, Exists(own.Path(L"gv.bin"))) << name;
        EXPECT_EQ(c.fp, Exists(own.Path(L"fp.bin"))) << name;
        EXPECT_EQ(c.llf, Exists(own.Path(L"llf.bin"))) << name;
        EXPECT_EQ(0, SimGetOpenCount(0)) << name;
        recorder.answers.clear();
    }
}

// Refusals before any file: an empty folder text; a folder that cannot be
// written gives the write failure.
TEST_F(DumpTest, EmptyFolderIsRefusedAndAnUnwritableFolderFails)
{
    Post(WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(L""));
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"RESULT Please select path for saving debug info!"}), recorder.Lines());
    recorder.answers.clear();

    CString missing = folder.Path(L"no such folder\\");
    Post(WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(missing.GetString()));
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"Write dump information to file fail"}), recorder.Results());
    EXPECT_EQ(0, SimGetOpenCount(0));
}

// "llf.bin" that cannot be written (a folder holds its name): its own result,
// after "gv.bin" and "fp.bin" were written.
TEST_F(DumpTest, LlfFileThatCannotBeWrittenFails)
{
    ASSERT_TRUE(::CreateDirectoryW(folder.Path(L"llf.bin"), nullptr));
    Dump();
    EXPECT_EQ((std::vector<std::wstring>{L"Write llf ssd info to file fail"}), recorder.Results());
    EXPECT_EQ(L"PROGRESS 0", recorder.Lines().back());
    EXPECT_EQ(0x10000u, TempDir::Read(folder.Path(L"gv.bin")).size());
    EXPECT_EQ(0x100000u, TempDir::Read(folder.Path(L"fp.bin")).size());
    EXPECT_EQ(0, SimGetOpenCount(0));
}
