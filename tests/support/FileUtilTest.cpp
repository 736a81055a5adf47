#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "AfxMessageBox.h"
#include "BoxAnswerer.h"
#include "FileUtil.h"
#include "TempDir.h"
#include "TestThread.h"

namespace {

std::wstring W(const CString& text)
{
    return text.GetString();
}

TEST(FileUtil, ModuleDirIsTheExecutablesFolderWithBackslash)
{
    CString folder = L"old";
    GetModuleDir(folder);
    std::vector<wchar_t> path(32768, L'\0');
    ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring full = path.data();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(full.substr(0, full.rfind(L'\\') + 1), W(folder));
    EXPECT_TRUE(TempDir::Exists(folder + L"support_tests.exe"));
}

TEST(FileUtil, FindFileByPatternGivesTheFirstFileMatch)
{
    TempDir dir;
    dir.Write(L"only.bin", "x");
    ::CreateDirectoryW(dir.Path(L"sub"), nullptr);
    dir.Write(L"sub\\later.bin", "y");

    CString pattern = dir.Path() + L"*.bin";
    pattern.Replace(L'\\', L'/');
    EXPECT_TRUE(FindFileByPattern(pattern));
    EXPECT_EQ(W(dir.Path(L"only.bin")), W(pattern));

    const struct {
        LPCWSTR pattern;
    } misses[] = {
        {L"*.txt"},  // no match
        {L"sub"},    // the match is a folder
        {L"sub/*"},  // the first match is "." although files follow
        {L"none/*"}, // no such folder
    };
    for (const auto& miss : misses) {
        CString text = dir.Path() + miss.pattern;
        CString expected = text;
        expected.Replace(L'/', L'\\');
        EXPECT_FALSE(FindFileByPattern(text)) << W(text).c_str();
        EXPECT_EQ(W(expected), W(text)); // slashes turned even on failure
    }
}

TEST(FileUtil, SaveBufferToFileWritesOrRefuses)
{
    TempDir dir;
    CString path = dir.Write(L"out.bin", "old and longer content");
    EXPECT_TRUE(SaveBufferToFile(path, "new", 3));
    EXPECT_EQ("new", TempDir::Read(path));

    const struct {
        CString path;
        const void* data;
        UINT length;
    } refused[] = {
        {CString(), "abc", 3},
        {dir.Path(L"null.bin"), nullptr, 3},
        {dir.Path(L"empty.bin"), "abc", 0},
        {dir.Path(L"missing\\x.bin"), "abc", 3},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(SaveBufferToFile(r.path, r.data, r.length)) << W(r.path).c_str();
        if (!r.path.IsEmpty()) {
            EXPECT_FALSE(TempDir::Exists(r.path));
        }
    }
}

TEST(FileUtil, HexTextBreaksLinesBetweenRowsOnly)
{
    TempDir dir;
    BYTE data[17];
    for (int i = 0; i < 17; ++i)
        data[i] = static_cast<BYTE>(i * 16 + 10);
    std::string row = "0A 1A 2A 3A 4A 5A 6A 7A 8A 9A AA BA CA DA EA FA ";
    EXPECT_TRUE(SaveBufferAsHexText(dir.Path(L"16.txt"), data, 16));
    EXPECT_EQ(row, TempDir::Read(dir.Path(L"16.txt")));
    EXPECT_TRUE(SaveBufferAsHexText(dir.Path(L"17.txt"), data, 17));
    EXPECT_EQ(row + "\r\n0A ", TempDir::Read(dir.Path(L"17.txt")));
    EXPECT_FALSE(SaveBufferAsHexText(dir.Path(L"0.txt"), data, 0));
    EXPECT_FALSE(TempDir::Exists(dir.Path(L"0.txt")));
}

TEST(FileUtil, HexDumpHasHeadOffsetsAndGroups)
{
    BYTE data[17];
    for (int i = 0; i < 17; ++i)
        data[i] = static_cast<BYTE>(i);
    std::wstring expected = L"         00  01  02  03  04  05  06  07   08  09  0A  0B  0C  0D  0E  0F\r\n"
                            L"         " +
                            std::wstring(74, L'-') +
                            L"\r\n"
                            L"000   00  01  02  03  04  05  06  07   08  09  0A  0B  0C  0D  0E  0F   \r\n"
                            L"010   10  \r\n\r\n";
    EXPECT_EQ(expected, W(HexDumpToText(data, 17)));
}

TEST(FileUtil, FileFactsAndReads)
{
    TempDir dir;
    CString path = dir.Write(L"data.bin", "0123456789");
    EXPECT_EQ(10u, GetFileSizeByPath(path));
    EXPECT_EQ(0u, GetFileSizeByPath(dir.Path(L"none.bin")));
    EXPECT_EQ(0u, GetFileSizeByPath(CString()));

    char buffer[8] = {};
    EXPECT_TRUE(ReadFileToBuffer(path, buffer, 4));
    EXPECT_STREQ("0123", buffer);
    EXPECT_FALSE(ReadFileToBuffer(path, buffer, 11)); // shorter than asked
    EXPECT_FALSE(ReadFileToBuffer(dir.Path(L"none.bin"), buffer, 4));
    EXPECT_FALSE(ReadFileToBuffer(path, nullptr, 4));

    ULONGLONG time = 99;
    EXPECT_TRUE(GetFileModifyTime(path, &time));
    EXPECT_LE(static_cast<long long>(time) - static_cast<long long>(_time64(nullptr)), 5);
    EXPECT_GT(time, 1600000000ull);
    EXPECT_FALSE(GetFileModifyTime(dir.Path(L"none.bin"), &time));
    EXPECT_EQ(0u, time);

    EXPECT_TRUE(IsBinFile(L"C:\\fw\\image.Bin"));
    EXPECT_FALSE(IsBinFile(L"C:\\fw.bin\\image"));
    EXPECT_FALSE(IsBinFile(L"image.bin2"));
    EXPECT_TRUE(IsIniFile(L"config.INI"));
    EXPECT_FALSE(IsIniFile(L"config"));
}

TEST(FileUtil, PathsAreMadeAbsoluteAndCreated)
{
    CString folder;
    GetModuleDir(folder);
    const struct {
        LPCWSTR in;
        std::wstring out;
    } cases[] = {
        {L"res/icon.ico", W(folder) + L"res\\icon.ico"},
        {L"C:/x/y", L"C:\\x\\y"},
        {L"\\\\server\\share", L"\\\\server\\share"},
    };
    for (const auto& c : cases) {
        CString path = c.in;
        EXPECT_TRUE(MakeAbsolutePath(path));
        EXPECT_EQ(c.out, W(path));
    }

    TempDir dir;
    CString nested = dir.Path(L"a\\b\\c\\");
    EXPECT_TRUE(CreateDirectoryPath(nested));
    EXPECT_TRUE(TempDir::Exists(dir.Path(L"a\\b\\c")));
    CString lastNotMade = dir.Path(L"a\\d\\e");
    EXPECT_TRUE(CreateDirectoryPath(lastNotMade));
    EXPECT_TRUE(TempDir::Exists(dir.Path(L"a\\d")));
    EXPECT_FALSE(TempDir::Exists(dir.Path(L"a\\d\\e")));
    ::RemoveDirectoryW(dir.Path(L"a\\b\\c"));
}

TEST(FileUtil, RelativeFoldersAreMadeUnderTheCurrentFolder)
{
    TempDir dir;
    CString root = dir.Path().Left(3); // the drive's root, e.g. C:\ (ends in a backslash)
    CString own;
    own.Format(L"kestrova_root_%lu", ::GetCurrentProcessId());
    const struct {
        CString current;
        CString relative;
        CString made;
    } cases[] = {
        {dir.Path(), L"rel\\sub\\", dir.Path(L"rel\\sub")},
        {root, own + L"\\", root + own},
    };
    wchar_t before[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, before);
    for (const auto& c : cases) {
        const std::wstring current = W(c.current); // one string for both ends of the copy
        SCOPED_TRACE(testing::Message() << "in " << std::string(current.begin(), current.end()));
        ASSERT_TRUE(::SetCurrentDirectoryW(c.current));
        CString path = c.relative;
        EXPECT_TRUE(CreateDirectoryPath(path));
        EXPECT_EQ(W(c.made) + L"\\", W(path));
        EXPECT_TRUE(TempDir::Exists(c.made));
    }
    ::SetCurrentDirectoryW(before);
    ::RemoveDirectoryW(dir.Path(L"rel\\sub"));
    ::RemoveDirectoryW(root + own);
}

TEST(FileUtil, FolderThatCannotBeMadeIsReported)
{
    TempDir dir;
    dir.Write(L"file", "x");
    BoxAnswerer answerer(AfxGetAppName());
    CString path = dir.Path(L"file\\sub\\");
    BOOL made = CreateDirectoryPath(path);
    answerer.Finish();
    EXPECT_FALSE(made);
    EXPECT_EQ(L"Create Directory (" + W(dir.Path(L"file\\")) + L") : Failed !", answerer.Text());
}

TEST(FileUtil, NumberTexts)
{
    const struct {
        LPCWSTR text;
        BOOL isNumber;
        BOOL parses;
        int value;
    } cases[] = {
        {L"0x1234_5678", TRUE, TRUE, 0x12345678},
        {L"0X", TRUE, TRUE, 0},
        {L"0xff", TRUE, TRUE, 255},
        {L"0x12_34", FALSE, FALSE, 0},
        {L"0x1234_", TRUE, TRUE, 0x1234},
        {L"0xFFFFFFFF", TRUE, TRUE, -1},
        {L"123", TRUE, TRUE, 123},
        {L" 42 ", FALSE, TRUE, 42},
        {L"12a", FALSE, FALSE, 0},
        {L"-5", FALSE, FALSE, 0},
        {L"", FALSE, FALSE, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << std::string(c.text, c.text + wcslen(c.text)));
        EXPECT_EQ(c.isNumber, IsNumberText(c.text));
        int value = -99;
        EXPECT_EQ(c.parses, ParseNumberText(c.text, &value));
        EXPECT_EQ(c.parses ? c.value : -99, value);
    }
    EXPECT_EQ(0x1A2Bu, HexTextToWord(L"1a2b99"));
    EXPECT_EQ(0x102u, HexTextToWord(L"1x2"));
}

TEST(FileUtil, DigitsBitsAndBytes)
{
    EXPECT_TRUE(IsHexDigit(L'f') && IsHexDigit(L'F') && !IsHexDigit(L'g'));
    EXPECT_TRUE(IsDecDigit(L'9') && !IsDecDigit(L'a'));
    EXPECT_EQ(7, DecCharToValue(L'7'));
    EXPECT_EQ(0, DecCharToValue(L'x'));
    EXPECT_EQ(12, HexCharToValue(L'c'));
    EXPECT_EQ(0xA5, HexPairToByte(L'A', L'5'));
    EXPECT_EQ('9', DecDigitToChar(9));
    EXPECT_EQ('0', DecDigitToChar(10));
    EXPECT_EQ(L'3', DecDigitToWChar(3));
    EXPECT_EQ('F', HexDigitToChar(15));
    EXPECT_EQ('0', HexDigitToChar(16));
    EXPECT_EQ(L'B', HexDigitToWChar(11));

    EXPECT_EQ(4u, CountSetBits(0xF0));
    EXPECT_EQ(4u, LowestSetBit(0xF0));
    EXPECT_EQ(8u, LowestSetBit(0));
    EXPECT_EQ(0x80, ReverseBits(0x01));
    EXPECT_EQ(0x1E, ReverseBits(0x78));
    EXPECT_EQ(0x78563412u, ByteSwap32(0x12345678));
    EXPECT_EQ(0x3412, ByteSwap16(0x1234));

    BYTE data[] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(1u, SwapBufferDwords(data, 7));
    EXPECT_EQ((std::string{4, 3, 2, 1, 5, 6, 7}), std::string(data, data + 7));
    EXPECT_EQ(3u, SwapBufferWords(data, 7));
    EXPECT_EQ((std::string{3, 4, 1, 2, 6, 5, 7}), std::string(data, data + 7));

    WCHAR text[] = {L'a', 0, L'b', 0, 0};
    EXPECT_EQ(3, ReplaceNulWithSpace(text, 10, 8));
    EXPECT_EQ(std::wstring(L"a b\0\0", 5), std::wstring(text, 5));
    EXPECT_EQ(-1, ReplaceNulWithSpace(text, 1, 8));

    srand(7);
    for (int i = 0; i < 200; ++i) {
        UINT r = RandomInRange(10);
        EXPECT_TRUE(r >= 1 && r <= 10) << r;
    }
    EXPECT_EQ(1u, RandomInRange(1));
}

TEST(FileUtil, ConversionsStayWithinTheirBuffers)
{
    std::string narrow = WideToNarrowString(L"Drive C:");
    EXPECT_EQ("Drive C:", narrow);
    EXPECT_STREQ("Drive C:", g_narrowBuf);
    EXPECT_EQ(1023u, WideToNarrowString(CString(L'x', 3000)).size());
    EXPECT_EQ(L"Zarvo", W(NarrowStringToWide("Zarvo")));
    EXPECT_EQ(1023, NarrowStringToWide(std::string(2000, 'y')).GetLength());

    BYTE out = 0;
    EXPECT_EQ('Q', WideCharToNarrowChar(L"QR", &out));
    EXPECT_EQ('Q', out);
    WCHAR wide[8];
    EXPECT_EQ(4, NarrowToWide("abc", wide));
    EXPECT_STREQ(L"abc", wide);

    ClearConvertBuffers();
    EXPECT_EQ(0, g_narrowBuf[0]);
    EXPECT_EQ(0, g_wideBuf[0]);
}

// The worker and the window convert at the same time: each thread's result
// is its own text, never the other thread's.
TEST(FileUtil, ConversionsOnTwoThreadsKeepTheirOwnTexts)
{
    struct Run {
        const wchar_t* text;
        std::string expected;
        int mismatches;
    };
    auto convert = [](Run& run) {
        for (int i = 0; i < 20000; ++i)
            if (WideToNarrowString(run.text) != run.expected || NarrowStringToWide(run.expected) != run.text)
                ++run.mismatches;
    };
    Run a{L"Worker status text", "Worker status text", 0};
    Run b{L"Window page", "Window page", 0};
    {
        TestThread first("converting a worker's text", [&a, convert] { convert(a); });
        TestThread second("converting a window's text", [&b, convert] { convert(b); });
    }
    EXPECT_EQ(0, a.mismatches);
    EXPECT_EQ(0, b.mismatches);
}

TEST(FileUtil, CommandLineSplitsLikeTheRuntime)
{
    const struct {
        const char* line;
        std::vector<std::string> args;
    } cases[] = {
        {"prog.exe a  b\tc", {"prog.exe", "a", "b", "c"}},
        {"\"C:\\Program Files\\k.exe\" \"a b\" \"\"", {"C:\\Program Files\\k.exe", "a b", ""}},
        {"p a\\\\\\\"b c\\\\\\\\\"d e\"", {"p", "a\\\"b", "c\\\\d e"}},
        {"p \"say \"\"hi\"\"\" x\\y", {"p", "say \"hi\"", "x\\y"}},
        {"  p  ", {"p"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        int count = -1;
        char** args = nullptr;
        SplitCommandLineText(c.line, &count, &args);
        ASSERT_NE(nullptr, args);
        std::vector<std::string> got;
        for (int i = 0; i < count; ++i)
            got.push_back(args[i]);
        EXPECT_EQ(c.args, got);
        EXPECT_EQ(nullptr, args[count]);
        ::LocalFree(args);
    }

    int count = 0;
    char** args = nullptr;
    SplitCommandLine(&count, &args);
    ASSERT_GE(count, 1);
    EXPECT_NE(std::string::npos, std::string(args[0]).find("support_tests"));
    ::LocalFree(args);
}

TEST(FileUtil, VersionTextAndQuietConsole)
{
    char text[8];
    memset(text, '#', sizeof(text));
    GetFileVersionText(text, sizeof(text));
    EXPECT_STREQ("1.05", text);
    char small[3] = {'#', '#', '#'};
    GetFileVersionText(small, sizeof(small));
    EXPECT_EQ('#', small[0]);

    EXPECT_EQ(0, ConsoleWrite(L"nothing", FALSE, 1));
    EXPECT_EQ(0, DiscardText(L"x"));
}

} // namespace
