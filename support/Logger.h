#pragma once
// The debug log writer. One log per process: the file, the lock and the line
// buffer are static; a Logger object is a record made on the caller's stack
// for one message.

#include <windows.h>

class Logger {
public:
    // A record that every level mask the program sets lets through.
    Logger();
    Logger(unsigned levelMask, ULONGLONG value64, int value32);
    ~Logger() {}

    // Opens the log on path (file on, trace off) and lets every level through.
    static void Start(const wchar_t* path);
    static void Init(int trace, int file, const wchar_t* path);
    // (Re)creates the log file and writes the UTF-16LE byte-order mark.
    static void OpenFile(const wchar_t* path);
    static void SetLevel(unsigned mask);
    // Flushes and closes the file. Messages logged afterwards are dropped.
    static void Close();

    // Formats one message and writes it; a final "\n" is stored as "\r\n".
    void Log(const wchar_t* format, ...);

private:
    ULONGLONG m_value64;
    int m_value32;
    unsigned m_levelMask;
};
