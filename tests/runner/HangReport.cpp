// What the runner shows of a program it is about to stop at its time limit:
// the program's processes (its own and those it started) with their threads,
// their top-level windows with the texts of their children (a message box
// that nobody answers shows its text), and a picture of the whole screen.
//   hang_report.exe PROGRAM_PATH PNG_PATH
// Every line starts with "hang-report:"; a process's threads are on one line,
// "hang-report: threads of 0xPID: 0xTID ...", which the runner reads to
// walk each thread's stack in the debugger. Nothing here sends a message to
// the hung program: its windows' texts are read as the system keeps them.

#include "ScreenPixels.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A handle that is closed on every road out.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~ScopedHandle()
    {
        if (m_handle)
            ::CloseHandle(m_handle);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

void Say(const std::string& line)
{
    std::printf("hang-report: %s\n", line.c_str());
    std::fflush(stdout);
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%lx", static_cast<unsigned long>(value));
    return text;
}

std::string Quoted(const std::wstring& text)
{
    return "\"" + Utf8(text.c_str()) + "\"";
}

std::wstring ImagePath(DWORD pid)
{
    ScopedHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process.Get())
        return std::wstring();
    std::vector<wchar_t> path(32768);
    DWORD length = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process.Get(), 0, path.data(), &length))
        return std::wstring();
    return std::wstring(path.data(), length);
}

struct Process {
    DWORD pid;
    DWORD parent;
    std::wstring path;
    bool child; // started by one of the program's processes
};

std::vector<Process> AllProcesses()
{
    std::vector<Process> all;
    ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    if (!snapshot.Get() || !::Process32FirstW(snapshot.Get(), &entry))
        return all;
    do {
        all.push_back({entry.th32ProcessID, entry.th32ParentProcessID, ImagePath(entry.th32ProcessID), false});
    } while (::Process32NextW(snapshot.Get(), &entry));
    return all;
}

// The processes of the program's image, and every process they started.
std::vector<Process> ProgramProcesses(const std::wstring& program)
{
    std::vector<Process> all = AllProcesses();
    std::vector<Process> found;
    for (const Process& p : all) {
        if (::CompareStringOrdinal(p.path.c_str(), -1, program.c_str(), -1, TRUE) == CSTR_EQUAL)
            found.push_back(p);
    }
    auto listed = [&found](DWORD pid) {
        for (const Process& p : found)
            if (p.pid == pid)
                return true;
        return false;
    };
    for (size_t i = 0; i < found.size(); ++i) {
        for (const Process& p : all) {
            if (p.parent == found[i].pid && !listed(p.pid)) {
                found.push_back(p);
                found.back().child = true;
            }
        }
    }
    return found;
}

void ReportThreads(DWORD pid)
{
    ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    std::string line = "threads of " + Hex(pid) + ":";
    if (snapshot.Get() && ::Thread32First(snapshot.Get(), &entry)) {
        do {
            if (entry.th32OwnerProcessID == pid)
                line += " " + Hex(entry.th32ThreadID);
        } while (::Thread32Next(snapshot.Get(), &entry));
    }
    Say(line);
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

// The text the system keeps for the window, without asking its thread.
std::wstring TextOf(HWND window)
{
    std::vector<wchar_t> text(4096);
    int length = ::InternalGetWindowText(window, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data(), length > 0 ? length : 0);
}

BOOL CALLBACK ReportChild(HWND child, LPARAM)
{
    int id = ::GetDlgCtrlID(child);
    Say("    child " + Quoted(ClassOf(child)) + " id " + std::to_string(id) + " " + Quoted(TextOf(child)) +
        (::IsWindowVisible(child) ? "" : " (hidden)"));
    return TRUE;
}

void ReportWindows(DWORD pid)
{
    struct Search {
        DWORD pid;
        std::vector<HWND> windows;
    } search = {pid, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            Search* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->pid)
                s->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.windows.empty())
        Say("no top-level window of " + Hex(pid));
    for (HWND window : search.windows) {
        DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
        Say("window of " + Hex(pid) + " (thread " + Hex(thread) + ") class " + Quoted(ClassOf(window)) + " title " +
            Quoted(TextOf(window)) + (::IsWindowVisible(window) ? " (visible)" : " (hidden)"));
        ::EnumChildWindows(window, ReportChild, 0);
    }
}

void SaveScreen(const std::wstring& png)
{
    RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    std::vector<uint32_t> pixels;
    std::string error = ReadScreenPixels(screen, pixels);
    if (error.empty())
        error = SavePixelsAsPng(png, screen.right, screen.bottom, pixels);
    Say(error.empty() ? "the screen is in " + Utf8(png.c_str()) : "no picture of the screen: " + error);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: hang_report.exe PROGRAM_PATH PNG_PATH\n");
        return 2;
    }
    std::vector<Process> processes = ProgramProcesses(argv[1]);
    if (processes.empty())
        Say("no process of " + Utf8(argv[1]) + " runs");
    for (const Process& p : processes) {
        Say("process " + Hex(p.pid) + " " + Utf8(p.path.c_str()) +
            (p.child ? " (started by " + Hex(p.parent) + ")" : ""));
        ReportThreads(p.pid);
        ReportWindows(p.pid);
    }
    SaveScreen(argv[2]);
    return 0;
}
