#include <gtest/gtest.h>

#include <string>

#include "ConfigIni.h"
#include "FileUtil.h"
#include "Logger.h"
#include "TempDir.h"
#include "TestThread.h"
#include "TraceCapture.h"
#include "define.h"

namespace {

std::string Utf16(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

const std::string kBom = "\xFF\xFE";

// A log opened on a temporary file, with the switch on; closed and the switch
// restored when the test ends.
class DebugLog : public testing::Test {
protected:
    void SetUp() override { g_debugMode = 1; }
    void TearDown() override
    {
        CloseDebugLog();
        g_debugMode = 0;
    }
    CString Start()
    {
        CString path = dir.Path(L"test.debug");
        Logger::Start(path);
        return path;
    }
    TempDir dir;
};

TEST_F(DebugLog, MessagesAreStoredAsWrittenInUtf16)
{
    CString path = Start();
    DebugPrint(L"%s -> %d%%\n", L"Caller::Method", 50);
    DebugPrint(L"%s", L"100% of %s\n"); // the finished text is not formatted again
    DebugPrint(L"ends with crlf\r\n");
    DebugPrint(L"no line end ");
    DebugPrint(L"");
    DebugPrint(L"same line\n");
    CloseDebugLog();
    EXPECT_EQ(kBom + Utf16(L"Caller::Method -> 50%\r\n100% of %s\r\nends with crlf\r\r\nno line end same line\r\n"),
              TempDir::Read(path));
}

TEST_F(DebugLog, FileHoldsTheMarkWithoutMessages)
{
    CString path = Start();
    CloseDebugLog();
    EXPECT_EQ(kBom, TempDir::Read(path));
}

TEST_F(DebugLog, StartEmptiesAndUnlocksAnExistingFile)
{
    CString path = dir.Write(L"test.debug", "old content");
    ASSERT_TRUE(::SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY));
    Start();
    DebugPrint(L"new\n");
    CloseDebugLog();
    EXPECT_EQ(kBom + Utf16(L"new\r\n"), TempDir::Read(path));
    EXPECT_EQ(0u, ::GetFileAttributesW(path) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(DebugLog, TraceGetsEveryMessageAsText)
{
    TraceCapture trace;
    g_debugMode = 0; // the debugger output does not depend on the switch
    DebugPrint(L"%s -> %d\n", L"A::B", 7);
    DebugPrint(L"%s", L"50% %s");
    EXPECT_EQ(L"A::B -> 7\n50% %s", trace.Captured());
}

TEST_F(DebugLog, LongMessageIsCutTo1022Units)
{
    TraceCapture trace;
    CString path = Start();
    std::wstring outside(3000, L'x'); // e.g. a path from outside
    DebugPrint(L"%s -> %s\n", L"A::B", outside.c_str());
    CloseDebugLog();
    std::wstring expected = (L"A::B -> " + outside).substr(0, 1022);
    EXPECT_EQ(expected, trace.Captured());
    EXPECT_EQ(kBom + Utf16(expected), TempDir::Read(path));
}

TEST_F(DebugLog, LineBufferKeepsRoomForTheWidenedEnd)
{
    CString path = Start();
    const struct {
        std::wstring text;
        std::wstring stored;
    } cases[] = {
        {std::wstring(4093, L'a') + L"\n", std::wstring(4093, L'a') + L"\r\n"},
        // Fills the line: the widened end takes the place of the last character.
        {std::wstring(4094, L'b') + L"\n", std::wstring(4093, L'b') + L"\r\n"},
        // Too long for the line: cut to 4095 units, so its "\n" is gone.
        {std::wstring(5000, L'c') + L"\n", std::wstring(4095, L'c')},
    };
    std::wstring expected;
    for (const auto& c : cases) {
        Logger record;
        record.Log(L"%s", c.text.c_str());
        expected += c.stored;
    }
    Logger record;
    record.Log(L"end\n");
    CloseDebugLog();
    EXPECT_EQ(kBom + Utf16(expected + L"end\r\n"), TempDir::Read(path));
}

TEST_F(DebugLog, LevelMaskFiltersRecords)
{
    CString path = Start();
    Logger::SetLevel(0x02);
    Logger(0x01, 0, 0).Log(L"dropped\n");
    Logger(0x06, 0, 0).Log(L"kept\n");
    Logger::SetLevel(255);
    CloseDebugLog();
    EXPECT_EQ(kBom + Utf16(L"kept\r\n"), TempDir::Read(path));
}

TEST_F(DebugLog, FileThatCannotBeCreatedLeavesTraceOnly)
{
    TraceCapture trace;
    Logger::Start(dir.Path(L"missing\\test.debug"));
    DebugPrint(L"still traced\n");
    CloseDebugLog();
    EXPECT_EQ(L"still traced\n", trace.Captured());
    EXPECT_FALSE(TempDir::Exists(dir.Path(L"missing")));
}

TEST_F(DebugLog, MessagesAfterCloseAreDroppedOnAnyThread)
{
    CString path = Start();
    TestThread worker("logging", [] {
        for (int i = 0; i < 2000; ++i)
            DebugPrint(L"worker %d\n", i);
    });
    CloseDebugLog();
    worker.Join();
    CloseDebugLog(); // a second close is harmless
    DebugPrint(L"late\n");
    std::string content = TempDir::Read(path);
    EXPECT_EQ(0u, content.find(kBom));
    EXPECT_EQ(std::string::npos, content.find(Utf16(L"late")));
    // Whatever reached the file did so as whole lines.
    EXPECT_EQ(0u, (content.size() - kBom.size()) % sizeof(wchar_t));
}

// The switch and the file name, through the executable folder's log.
class DebugLogSwitch : public testing::Test {
protected:
    void TearDown() override
    {
        CloseDebugLog();
        g_debugMode = 0;
        delete g_pConfigIni;
        g_pConfigIni = nullptr;
        RemoveLogsOfThisRun();
    }

    void LoadSwitch(const std::string& bytes)
    {
        delete g_pConfigIni;
        g_pConfigIni = new CIniFile(dir.Write(L"config.ini", bytes));
        g_pConfigIni->Read();
    }

    static CString LogName(const SYSTEMTIME& t)
    {
        CString folder;
        GetModuleDir(folder);
        CString name;
        name.Format(L"%sKestrova_%04d%02d%02d%02d%02d%02d.debug", folder.GetString(), t.wYear, t.wMonth, t.wDay,
                    t.wHour, t.wMinute, t.wSecond);
        return name;
    }

    // The log lives in the executable's folder: remove what this test made.
    void RemoveLogsOfThisRun()
    {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        for (const SYSTEMTIME& t : {before, now}) {
            CString name = LogName(t);
            ::SetFileAttributesW(name, FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(name);
        }
    }

    // The log file this start made, if any (the clock may tick in between).
    CString StartedLog()
    {
        ::GetLocalTime(&before);
        InitDebugLog();
        SYSTEMTIME after;
        ::GetLocalTime(&after);
        for (const SYSTEMTIME& t : {before, after}) {
            if (TempDir::Exists(LogName(t)))
                return LogName(t);
        }
        return CString();
    }

    TempDir dir;
    SYSTEMTIME before = {};
};

TEST_F(DebugLogSwitch, NonZeroValuesSwitchTheLogOn)
{
    const struct {
        const char* file;
        int mode;
    } cases[] = {
        {"[AP_SECTION]\nDEBUG_MODE=1\n", 1},   {"[AP_SECTION]\nDEBUG_MODE=0x10\n", 16},
        {"[AP_SECTION]\nDEBUG_MODE=010\n", 8}, {"[AP_SECTION]\nDEBUG_MODE= 7\n", 7},
        {"[ap_section]\ndebug_mode=1\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        LoadSwitch(c.file);
        CString log = StartedLog();
        EXPECT_EQ(c.mode, g_debugMode);
        ASSERT_FALSE(log.IsEmpty());
        DebugPrint(L"on\n");
        CloseDebugLog();
        EXPECT_EQ(kBom + Utf16(L"on\r\n"), TempDir::Read(log));
        RemoveLogsOfThisRun();
    }
}

TEST_F(DebugLogSwitch, ZeroTextOrMissingLeavesItOff)
{
    const char* const files[] = {
        "[AP_SECTION]\nDEBUG_MODE=0\n", "[AP_SECTION]\nDEBUG_MODE=abc\n", "[AP_SECTION]\nOTHER=1\n",
        "[OTHER]\nDEBUG_MODE=1\n",      "\t[AP_SECTION]\nDEBUG_MODE=1\n",
    };
    for (const char* file : files) {
        SCOPED_TRACE(file);
        LoadSwitch(file);
        EXPECT_TRUE(StartedLog().IsEmpty());
        EXPECT_EQ(0, g_debugMode);
    }
    delete g_pConfigIni;
    g_pConfigIni = new CIniFile(dir.Path(L"absent.ini"));
    g_pConfigIni->Read();
    EXPECT_TRUE(StartedLog().IsEmpty());
    EXPECT_EQ(0, g_debugMode);
}

} // namespace
