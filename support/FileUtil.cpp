#include "FileUtil.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "AfxMessageBox.h"
#include "CFile.h"
#include "CFileFind.h"
#include "define.h"

thread_local char g_narrowBuf[1024] = {};
thread_local WCHAR g_wideBuf[1024] = {};
HANDLE g_hConsole = INVALID_HANDLE_VALUE;
COORD g_consoleCursor = {0, 0};

namespace {

// Long enough for the longest path Windows accepts with the \\?\ prefix.
const DWORD kLongestModulePath = 32768;

bool ModuleFileName(CString& path)
{
    for (DWORD size = MAX_PATH; size <= kLongestModulePath * 2; size *= 2) {
        std::vector<WCHAR> buffer(size, L'\0');
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0)
            return false;
        // A path that fills the whole buffer may have been cut: try a bigger one.
        if (length < size) {
            path = CString(buffer.data(), static_cast<int>(length));
            return true;
        }
    }
    return false;
}

bool FolderExists(const CString& path)
{
    CFileFind finder;
    if (!finder.FindFile(path))
        return false;
    BOOL more;
    do {
        more = finder.FindNextFile();
        if (finder.IsDirectory() && !finder.IsDots())
            return true;
    } while (more);
    return false;
}

// The block writers' common road: nothing touches the disk for an empty path,
// no data or no length; the file is created (or emptied) and handed to write,
// and a file exception from writing or closing makes the result FALSE.
template <typename Writer> BOOL WriteNewFile(const CString& path, const void* data, UINT length, Writer write)
{
    if (path.IsEmpty() || data == nullptr || length == 0)
        return FALSE;
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite))
        return FALSE;
    try {
        write(file);
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

// A relative path made absolute under the current folder, however long that
// is, joined with exactly one backslash (a drive's root already ends in one).
CString InCurrentFolder(const CString& relative)
{
    CString folder;
    DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed > 0) {
        ::GetCurrentDirectoryW(needed, folder.GetBuffer(static_cast<int>(needed)));
        folder.ReleaseBuffer();
    }
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != L'\\')
        folder += L'\\';
    return folder + relative;
}

} // namespace

void GetModuleDir(CString& folder)
{
    folder.Empty();
    CString path;
    if (!ModuleFileName(path))
        return;
    int slash = path.ReverseFind(L'\\');
    folder = slash >= 0 ? path.Left(slash + 1) : path;
}

BOOL FindFileByPattern(CString& pattern)
{
    pattern.Replace(L'/', L'\\');
    CFileFind finder;
    if (!finder.FindFile(pattern))
        return FALSE;
    finder.FindNextFile();
    // Only the first match counts: a folder there means no file.
    if (finder.IsDots() || finder.IsDirectory())
        return FALSE;
    pattern = finder.GetFilePath();
    return TRUE;
}

BOOL SaveBufferToFile(CString path, const void* data, UINT length)
{
    return WriteNewFile(path, data, length, [&](CFile& file) { file.Write(data, length); });
}

void ClearReadOnlyAttribute(LPCWSTR path)
{
    CFileStatus status;
    if (!CFile::GetStatus(path, status) || (status.m_attribute & CFile::readOnly) == 0)
        return;
    status.m_attribute &= static_cast<BYTE>(~CFile::readOnly);
    try {
        CFile::SetStatus(path, status);
    } catch (CFileException* e) {
        // The file stays read-only; whoever opens it next fails on its own.
        e->Delete();
    }
}

BOOL MakeAbsolutePath(CString& path)
{
    path.Replace(L'/', L'\\');
    if (path.Find(L':') < 0 && path.Find(L"\\\\") < 0) {
        CString folder;
        GetModuleDir(folder);
        path = folder + path;
    }
    return TRUE;
}

BOOL CreateDirectoryPath(CString& path)
{
    if (path.Find(L':') < 0)
        path = InCurrentFolder(path);
    // The drive part (letter, colon, first backslash) always exists.
    const int firstAfterDrive = 3;
    for (int slash = path.Find(L'\\', firstAfterDrive); slash >= 0; slash = path.Find(L'\\', slash + 1)) {
        CString prefix = path.Left(slash);
        if (FolderExists(prefix))
            continue;
        if (!::CreateDirectoryW(prefix, nullptr)) {
            CString message;
            message.Format(L"Create Directory (%s) : Failed !", (prefix + L"\\").GetString());
            AfxMessageBox(message, MB_OK);
            return FALSE;
        }
    }
    return TRUE;
}

namespace {
BOOL HasExtension(const CString& path, LPCWSTR extension)
{
    int dot = path.ReverseFind(L'.');
    if (dot < 0)
        return FALSE;
    CString tail = path.Mid(dot);
    tail.MakeUpper();
    return tail == extension;
}
} // namespace

BOOL IsBinFile(CString path)
{
    return HasExtension(path, L".BIN");
}

BOOL IsIniFile(CString path)
{
    return HasExtension(path, L".INI");
}

BOOL GetFileModifyTime(CString path, ULONGLONG* time)
{
    *time = 0;
    if (path.IsEmpty())
        return FALSE;
    CFileStatus status;
    if (!CFile::GetStatus(path, status))
        return FALSE;
    *time = static_cast<ULONGLONG>(status.m_mtime.GetTime());
    return TRUE;
}

UINT GetFileSizeByPath(CString path)
{
    if (path.IsEmpty())
        return 0;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone))
        return 0;
    return static_cast<UINT>(file.GetLength());
}

BOOL ReadFileToBuffer(CString path, void* buffer, UINT length)
{
    if (path.IsEmpty() || buffer == nullptr || length == 0)
        return FALSE;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone))
        return FALSE;
    if (file.GetLength() < length)
        return FALSE;
    file.Read(buffer, length);
    return TRUE;
}

BOOL SaveBufferAsHexText(CString path, const BYTE* data, UINT count)
{
    return WriteNewFile(path, data, count, [&](CFile& file) {
        for (UINT i = 0; i < count; ++i) {
            const char cell[3] = {HexDigitToChar(data[i] >> 4), HexDigitToChar(data[i] & 0x0F), ' '};
            file.Write(cell, sizeof(cell));
            if ((i + 1) % 16 == 0 && i + 1 < count)
                file.Write("\r\n", 2);
        }
    });
}

void GetFileVersionText(char* text, UINT size)
{
    if (text == nullptr || size < 4)
        return;
    ZeroMemory(text, size);
    CString module;
    if (!ModuleFileName(module))
        return;
    DWORD handle = 0;
    DWORD infoSize = ::GetFileVersionInfoSizeW(module, &handle);
    if (infoSize == 0)
        return;
    std::vector<BYTE> info(infoSize);
    if (!::GetFileVersionInfoW(module, 0, infoSize, info.data()))
        return;
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < sizeof(Translation))
        return;
    CString query;
    query.Format(L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language, translation->codePage);
    WCHAR* version = nullptr;
    if (!::VerQueryValueW(info.data(), query, reinterpret_cast<void**>(&version), &length) || version == nullptr)
        return;
    // "1.05" stays "1.05"; only the first digits of a longer version are kept.
    size_t available = wcsnlen(version, length);
    text[0] = available > 0 ? static_cast<char>(version[0]) : '\0';
    text[1] = '.';
    text[2] = available > 2 ? static_cast<char>(version[2]) : '\0';
    text[3] = available > 3 ? static_cast<char>(version[3]) : '\0';
}

CString HexDumpToText(const BYTE* data, UINT length)
{
    CString text = L"         00  01  02  03  04  05  06  07   08  09  0A  0B  0C  0D  0E  0F\r\n";
    text += L"         ";
    text += CString(L'-', 74);
    text += L"\r\n";
    for (UINT i = 0; i < length; ++i) {
        if (i % 16 == 0)
            text.AppendFormat(L"%03X   ", i);
        text.AppendFormat(L"%02X  ", data[i]);
        if ((i + 1) % 8 == 0)
            text += L" ";
        if ((i + 1) % 16 == 0)
            text += L"\r\n";
    }
    text += L"\r\n\r\n";
    return text;
}

BOOL IsNumberText(CString text)
{
    if (text.IsEmpty())
        return FALSE;
    text.MakeUpper();
    if (text.Left(2) == L"0X") {
        for (int i = 2; i < text.GetLength(); ++i) {
            WCHAR ch = text[i];
            // Long hexadecimal numbers may group their digits by four: 0x1234_5678.
            bool groupMark = ch == L'_' && i >= 6 && i % 4 == 2;
            if (!IsHexDigit(ch) && !groupMark)
                return FALSE;
        }
        return TRUE;
    }
    for (int i = 0; i < text.GetLength(); ++i) {
        if (!IsDecDigit(text[i]))
            return FALSE;
    }
    return TRUE;
}

BOOL ParseNumberText(CString text, int* value)
{
    if (text.IsEmpty())
        return FALSE;
    text.Trim();
    if (!IsNumberText(text))
        return FALSE;
    text.MakeUpper();
    if (text.Left(2) == L"0X") {
        UINT number = 0;
        for (int i = 2; i < text.GetLength(); ++i) {
            if (text[i] != L'_')
                number = number * 16 + HexCharToValue(text[i]);
        }
        *value = static_cast<int>(number);
    } else {
        *value = static_cast<int>(wcstol(text, nullptr, 10));
    }
    return TRUE;
}

WORD HexTextToWord(CString text)
{
    WORD value = 0;
    for (int i = 0; i < text.GetLength() && i < 4; ++i)
        value = static_cast<WORD>(value * 16 + HexCharToValue(text[i]));
    return value;
}

BOOL IsDecDigit(WCHAR ch)
{
    return ch >= L'0' && ch <= L'9';
}

BOOL IsHexDigit(WCHAR ch)
{
    return IsDecDigit(ch) || (ch >= L'a' && ch <= L'f') || (ch >= L'A' && ch <= L'F');
}

BYTE DecCharToValue(WCHAR ch)
{
    return IsDecDigit(ch) ? static_cast<BYTE>(ch - L'0') : 0;
}

BYTE HexCharToValue(WCHAR ch)
{
    if (IsDecDigit(ch))
        return static_cast<BYTE>(ch - L'0');
    if (ch >= L'a' && ch <= L'f')
        return static_cast<BYTE>(ch - L'a' + 10);
    if (ch >= L'A' && ch <= L'F')
        return static_cast<BYTE>(ch - L'A' + 10);
    return 0;
}

BYTE HexPairToByte(WCHAR high, WCHAR low)
{
    return static_cast<BYTE>(16 * HexCharToValue(high) + HexCharToValue(low));
}

char DecDigitToChar(UINT value)
{
    return value <= 9 ? static_cast<char>('0' + value) : '0';
}

WCHAR DecDigitToWChar(UINT value)
{
    return value <= 9 ? static_cast<WCHAR>(L'0' + value) : L'0';
}

char HexDigitToChar(UINT value)
{
    return value <= 15 ? "0123456789ABCDEF"[value] : '0';
}

WCHAR HexDigitToWChar(UINT value)
{
    return value <= 15 ? L"0123456789ABCDEF"[value] : L'0';
}

UINT CountSetBits(BYTE value)
{
    UINT count = 0;
    for (; value != 0; value = static_cast<BYTE>(value >> 1))
        count += value & 1;
    return count;
}

UINT LowestSetBit(BYTE value)
{
    for (UINT bit = 0; bit < 8; ++bit) {
        if (value & (1u << bit))
            return bit;
    }
    return 8;
}

BYTE ReverseBits(BYTE value)
{
    BYTE reversed = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (value & (1 << bit))
            reversed = static_cast<BYTE>(reversed | (0x80 >> bit));
    }
    return reversed;
}

DWORD ByteSwap32(DWORD value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

WORD ByteSwap16(WORD value)
{
    return static_cast<WORD>((value >> 8) | (value << 8));
}

UINT SwapBufferDwords(BYTE* data, UINT length)
{
    UINT groups = length / 4;
    for (UINT i = 0; i < groups; ++i) {
        BYTE* group = data + i * 4;
        std::swap(group[0], group[3]);
        std::swap(group[1], group[2]);
    }
    return groups;
}

UINT SwapBufferWords(BYTE* data, UINT length)
{
    UINT groups = length / 2;
    for (UINT i = 0; i < groups; ++i)
        std::swap(data[i * 2], data[i * 2 + 1]);
    return groups;
}

int ReplaceNulWithSpace(WCHAR* text, UINT size, UINT size2)
{
    UINT smaller = size < size2 ? size : size2;
    if (smaller < 2)
        return -1;
    int count = static_cast<int>(smaller / 2) - 1;
    for (int i = 0; i < count; ++i) {
        if (text[i] == L'\0')
            text[i] = L' ';
    }
    return count;
}

UINT RandomInRange(UINT n)
{
    UINT draw = static_cast<UINT>(rand());
    return 1 + draw * (n - 1) / 32767u;
}

void ClearNarrowBuffer()
{
    ZeroMemory(g_narrowBuf, sizeof(g_narrowBuf));
}

void ClearWideBuffer()
{
    ZeroMemory(g_wideBuf, sizeof(g_wideBuf));
}

void ClearConvertBuffers()
{
    ClearNarrowBuffer();
    ClearWideBuffer();
}

std::string WideToNarrowString(CString text)
{
    ClearNarrowBuffer();
    int needed = ::WideCharToMultiByte(CP_ACP, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    if (needed > 0) {
        // Convert in full, then keep what fits: the buffer stays terminated.
        std::vector<char> full(static_cast<size_t>(needed));
        ::WideCharToMultiByte(CP_ACP, 0, text, text.GetLength(), full.data(), needed, nullptr, nullptr);
        memcpy(g_narrowBuf, full.data(), std::min<size_t>(full.size(), sizeof(g_narrowBuf) - 1));
    }
    return std::string(g_narrowBuf);
}

CString NarrowStringToWide(const std::string& text)
{
    ClearWideBuffer();
    int length = static_cast<int>(text.size());
    int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (needed > 0) {
        std::vector<WCHAR> full(static_cast<size_t>(needed));
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, full.data(), needed);
        size_t kept = std::min<size_t>(full.size(), sizeof(g_wideBuf) / sizeof(g_wideBuf[0]) - 1);
        memcpy(g_wideBuf, full.data(), kept * sizeof(WCHAR));
    }
    return CString(g_wideBuf);
}

BYTE WideCharToNarrowChar(const WCHAR* text, BYTE* out)
{
    ClearNarrowBuffer();
    ::WideCharToMultiByte(CP_ACP, 0, text, 1, g_narrowBuf, sizeof(g_narrowBuf) - 1, nullptr, nullptr);
    *out = static_cast<BYTE>(g_narrowBuf[0]);
    return *out;
}

int NarrowToWide(const char* text, WCHAR* out)
{
    int units = static_cast<int>(strlen(text)) + 1;
    return ::MultiByteToWideChar(CP_ACP, 0, text, -1, out, units);
}

void SplitCommandLine(int* count, char*** args)
{
    SplitCommandLineText(::GetCommandLineA(), count, args);
}

namespace {

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

size_t CountBlankRuns(const char* line)
{
    size_t runs = 0;
    for (const char* p = line; *p != '\0'; ++p) {
        if (IsBlank(*p) && (p == line || !IsBlank(p[-1])))
            ++runs;
    }
    return runs;
}

} // namespace

void SplitCommandLineText(const char* line, int* count, char*** args)
{
    // Every argument but the last ends at a run of blanks: 2 + runs pointers
    // hold all arguments and the closing NULL; the texts need at most the
    // line's length plus one terminator.
    size_t lineLength = strlen(line);
    size_t pointerCount = 2 + CountBlankRuns(line);
    size_t blockSize = pointerCount * sizeof(char*) + lineLength + 1;
    char** table = static_cast<char**>(::LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, blockSize));
    if (table == nullptr) {
        *count = 0;
        *args = nullptr;
        return;
    }
    char* out = reinterpret_cast<char*>(table + pointerCount);
    int found = 0;
    const char* p = line;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            break;
        table[found++] = out;
        bool quoted = false;
        while (*p != '\0' && (quoted || !IsBlank(*p))) {
            if (*p == '\\') {
                size_t slashes = 0;
                while (*p == '\\') {
                    ++slashes;
                    ++p;
                }
                if (*p != '"') {
                    for (size_t i = 0; i < slashes; ++i)
                        *out++ = '\\';
                    continue;
                }
                for (size_t i = 0; i < slashes / 2; ++i)
                    *out++ = '\\';
                if (slashes % 2 == 1) {
                    *out++ = '"';
                    ++p;
                    continue;
                }
            }
            if (*p == '"') {
                if (quoted && p[1] == '"') {
                    *out++ = '"';
                    p += 2;
                } else {
                    quoted = !quoted;
                    ++p;
                }
                continue;
            }
            *out++ = *p++;
        }
        *out++ = '\0';
    }
    table[found] = nullptr;
    *count = found;
    *args = table;
}

int ConsoleWrite(CString text, BOOL sameLine, int colour)
{
    if (g_hConsole == INVALID_HANDLE_VALUE || g_hConsole == nullptr)
        return 0;
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    ::GetConsoleScreenBufferInfo(g_hConsole, &info);
    static const WORD colours[] = {12, 10, 11}; // light red, light green, light cyan
    bool coloured = colour >= 1 && colour <= 3;
    if (coloured)
        ::SetConsoleTextAttribute(g_hConsole, colours[colour - 1]);

    DWORD written = 0;
    if (sameLine) {
        ::SetConsoleCursorPosition(g_hConsole, g_consoleCursor);
        ::WriteConsoleW(g_hConsole, text, static_cast<DWORD>(text.GetLength()), &written, nullptr);
        CONSOLE_SCREEN_BUFFER_INFO after = {};
        ::GetConsoleScreenBufferInfo(g_hConsole, &after);
        DWORD rest = after.dwSize.X > after.dwCursorPosition.X
                         ? static_cast<DWORD>(after.dwSize.X - after.dwCursorPosition.X)
                         : 0;
        DWORD blanked = 0;
        ::FillConsoleOutputCharacterW(g_hConsole, L' ', rest, after.dwCursorPosition, &blanked);
    } else {
        ::WriteConsoleW(g_hConsole, text, static_cast<DWORD>(text.GetLength()), &written, nullptr);
        CONSOLE_SCREEN_BUFFER_INFO after = {};
        ::GetConsoleScreenBufferInfo(g_hConsole, &after);
        g_consoleCursor = after.dwCursorPosition;
    }
    DebugPrint(L"size.x=%d,size.y=%d \r\n", info.dwSize.X, info.dwSize.Y);
    if (coloured)
        ::SetConsoleTextAttribute(g_hConsole, info.wAttributes);
    return static_cast<int>(written);
}

int DiscardText(CString text)
{
    (void)text;
    return 0;
}
