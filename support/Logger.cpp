#include "Logger.h"

#include <cstdarg>

#include "FileUtil.h"
#include "Trace.h"
#include "WideFormat.h"

namespace {

const size_t kLineUnits = 4096;

HANDLE s_file = nullptr;
CRITICAL_SECTION s_lock;
// Set once the lock exists. The lock is never deleted again: a worker thread
// may still log while or after the log closes, and it must find a lock.
volatile LONG s_lockReady = 0;
int s_trace = 0;
int s_fileOn = 0;
unsigned s_levelMask = 255;
// The file is opened write-through, so a write needs no flush of its own.
int s_noFlush = 1;
wchar_t s_line[kLineUnits];

void EnsureLock()
{
    if (s_lockReady == 0) {
        ::InitializeCriticalSection(&s_lock);
        ::InterlockedExchange(&s_lockReady, 1);
    }
}

void CloseHeldFile(bool flush)
{
    if (s_file == nullptr)
        return;
    if (flush)
        ::FlushFileBuffers(s_file);
    ::CloseHandle(s_file);
    s_file = nullptr;
}

// Widens a final "\n" to "\r\n" within a line buffer of kLineUnits. A line
// that already fills the buffer gives up its last character before the "\n"
// instead, so that the widened end and the terminator stay inside it.
size_t WidenLineEnd(wchar_t* line, size_t length)
{
    if (length == 0 || line[length - 1] != L'\n')
        return length;
    if (length + 1 >= kLineUnits) {
        line[length - 2] = L'\r';
        return length;
    }
    line[length - 1] = L'\r';
    line[length] = L'\n';
    line[length + 1] = L'\0';
    return length + 1;
}

} // namespace

Logger::Logger() : m_value64(0), m_value32(0), m_levelMask(0xFFFFFFFFu) {}

Logger::Logger(unsigned levelMask, ULONGLONG value64, int value32)
    : m_value64(value64), m_value32(value32), m_levelMask(levelMask)
{
}

void Logger::Start(const wchar_t* path)
{
    // A read-only log left by an earlier start is overwritten like any other.
    ClearReadOnlyAttribute(path);
    Init(0, 1, path);
    SetLevel(255);
}

void Logger::Init(int trace, int file, const wchar_t* path)
{
    EnsureLock();
    s_trace = trace;
    s_fileOn = file;
    if (file != 0 && path != nullptr)
        OpenFile(path);
}

void Logger::OpenFile(const wchar_t* path)
{
    EnsureLock();
    ::EnterCriticalSection(&s_lock);
    CloseHeldFile(false);
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    // A failed create gives INVALID_HANDLE_VALUE: the log then holds no file.
    if (file != INVALID_HANDLE_VALUE) {
        static const BYTE byteOrderMark[2] = {0xFF, 0xFE};
        DWORD written = 0;
        ::WriteFile(file, byteOrderMark, sizeof(byteOrderMark), &written, nullptr);
        ::FlushFileBuffers(file);
        s_file = file;
    }
    ::LeaveCriticalSection(&s_lock);
}

void Logger::SetLevel(unsigned mask)
{
    s_levelMask = mask;
}

void Logger::Close()
{
    if (s_lockReady == 0)
        return; // never started: no file and nothing to guard
    ::EnterCriticalSection(&s_lock);
    CloseHeldFile(true);
    ::LeaveCriticalSection(&s_lock);
}

void Logger::Log(const wchar_t* format, ...)
{
    if ((m_levelMask & s_levelMask) == 0 || s_lockReady == 0)
        return;
    ::EnterCriticalSection(&s_lock);

    ZeroMemory(s_line, sizeof(s_line));
    va_list args;
    va_start(args, format);
    // A longer text is cut to kLineUnits - 1 units and stays terminated.
    int formatted = FormatWideV(s_line, kLineUnits, format, args);
    va_end(args);
    size_t length = formatted >= 0 ? static_cast<size_t>(formatted) : wcslen(s_line);
    length = WidenLineEnd(s_line, length);

    if (s_trace != 0) {
        AfxTraceText(s_line);
        AfxTraceText(L"\n");
    }
    if (s_fileOn != 0 && s_file != nullptr && length > 0) {
        DWORD written = 0;
        ::WriteFile(s_file, s_line, static_cast<DWORD>(length * sizeof(wchar_t)), &written, nullptr);
        if (s_noFlush == 0)
            ::FlushFileBuffers(s_file);
    }

    ::LeaveCriticalSection(&s_lock);
}
