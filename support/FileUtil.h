#pragma once
// File, path, text and number helpers of the program, used without an object.

#include <windows.h>

#include <string>

#include "CString.h"

// The helpers are free functions; the class only names the unit.
class FileUtil {
public:
    FileUtil() {}
    ~FileUtil() {}
};

// Output buffers of the text conversions below, one pair per thread: the
// worker and the window convert texts at the same time.
extern thread_local char g_narrowBuf[1024];
extern thread_local WCHAR g_wideBuf[1024];
// Console of ConsoleWrite; the program never sets it, so nothing is written.
extern HANDLE g_hConsole;
extern COORD g_consoleCursor;

// The executable's folder with its trailing backslash (empty if unknown).
void GetModuleDir(CString& folder);
// Replaces the wildcard path by the full path of its first match; FALSE when
// there is none or the first match is a folder. "/" becomes "\" in place.
BOOL FindFileByPattern(CString& pattern);
// Creates (or empties) the file and writes the block; FALSE on any failure.
BOOL SaveBufferToFile(CString path, const void* data, UINT length);

// Clears the read-only attribute of an existing file through the file-status
// calls, keeping its other attributes and times; a missing file is left alone.
void ClearReadOnlyAttribute(LPCWSTR path);

BOOL MakeAbsolutePath(CString& path);
BOOL CreateDirectoryPath(CString& path);
BOOL IsBinFile(CString path);
BOOL IsIniFile(CString path);
BOOL GetFileModifyTime(CString path, ULONGLONG* time);
UINT GetFileSizeByPath(CString path);
BOOL ReadFileToBuffer(CString path, void* buffer, UINT length);
BOOL SaveBufferAsHexText(CString path, const BYTE* data, UINT count);
void GetFileVersionText(char* text, UINT size);
CString HexDumpToText(const BYTE* data, UINT length);

BOOL IsNumberText(CString text);
BOOL ParseNumberText(CString text, int* value);
WORD HexTextToWord(CString text);
BOOL IsDecDigit(WCHAR ch);
BOOL IsHexDigit(WCHAR ch);
BYTE DecCharToValue(WCHAR ch);
BYTE HexCharToValue(WCHAR ch);
BYTE HexPairToByte(WCHAR high, WCHAR low);
char DecDigitToChar(UINT value);
WCHAR DecDigitToWChar(UINT value);
char HexDigitToChar(UINT value);
WCHAR HexDigitToWChar(UINT value);

UINT CountSetBits(BYTE value);
UINT LowestSetBit(BYTE value);
BYTE ReverseBits(BYTE value);
DWORD ByteSwap32(DWORD value);
WORD ByteSwap16(WORD value);
UINT SwapBufferDwords(BYTE* data, UINT length);
UINT SwapBufferWords(BYTE* data, UINT length);
int ReplaceNulWithSpace(WCHAR* text, UINT size, UINT size2);
UINT RandomInRange(UINT n);

std::string WideToNarrowString(CString text);
CString NarrowStringToWide(const std::string& text);
BYTE WideCharToNarrowChar(const WCHAR* text, BYTE* out);
int NarrowToWide(const char* text, WCHAR* out);
void ClearConvertBuffers();
void ClearNarrowBuffer();
void ClearWideBuffer();

// Splits the process's narrow command line; the caller frees *args with LocalFree.
void SplitCommandLine(int* count, char*** args);
// The same split over a given line.
void SplitCommandLineText(const char* line, int* count, char*** args);
int ConsoleWrite(CString text, BOOL sameLine, int colour);
// Accepts a text and does nothing with it.
int DiscardText(CString text);
