#pragma once
// How a test helper says that a platform call it relies on failed: the call,
// the path or name it was given, and the error code with the system's words
// for it. A failure that shows up only on a loaded machine then names its
// cause instead of a bare "false".

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

// A wide text as UTF-8, for a failure message.
inline std::string Utf8(LPCWSTR text)
{
    if (!text || !*text)
        return std::string();
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

// "error 32 (The process cannot access the file ...)": the code and, when the
// system has them, its words.
inline std::string ErrorText(DWORD error)
{
    struct LocalText {
        void operator()(wchar_t* text) const { ::LocalFree(text); }
    };
    wchar_t* raw = nullptr;
    DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<LPWSTR>(&raw), 0, nullptr);
    std::unique_ptr<wchar_t, LocalText> text(raw);
    std::string said = "error " + std::to_string(error);
    if (length == 0 || !text)
        return said;
    std::string words = Utf8(text.get());
    while (!words.empty() &&
           (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' || words.back() == '.'))
        words.pop_back();
    return words.empty() ? said : said + " (" + words + ")";
}

// "CopyFileW C:\...\Kestrova.exe: error 32 (...)". The caller reads the
// error right after the call, before anything else can change it.
inline std::string CallFailed(const char* call, LPCWSTR path, DWORD error)
{
    std::string said = call;
    if (path)
        said += " " + Utf8(path);
    return said + ": " + ErrorText(error);
}

// What became of a process: "still runs" or "ended with exit code 0xC0000005".
inline std::string ProcessState(HANDLE process)
{
    if (!process)
        return "was never started";
    if (::WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
        return "still runs";
    DWORD code = 0;
    if (!::GetExitCodeProcess(process, &code))
        return "ended; its exit code is unknown (" + ErrorText(::GetLastError()) + ")";
    char text[32];
    std::snprintf(text, sizeof(text), "%lu (0x%08lX)", static_cast<unsigned long>(code),
                  static_cast<unsigned long>(code));
    return std::string("ended with exit code ") + text;
}
