// Measures a program's start: the time from process creation until its
// window shows what it is for (Kestrova: the drive page's serial number; the
// bare dialog: its window), and its private memory at that moment.
//   StartupBench.exe kestrova|bare PROGRAM RUNS
// Prints "milliseconds private_bytes" of the median run.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Found {
    DWORD pid;
    const wchar_t* prefix;
    HWND window;
};

HWND FindWindowOf(DWORD pid, const wchar_t* prefix)
{
    Found found = {pid, prefix, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            Found* f = reinterpret_cast<Found*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != f->pid || !::IsWindowVisible(window))
                return TRUE;
            wchar_t title[64] = {};
            ::GetWindowTextW(window, title, 64);
            if (owner == f->pid && ::IsWindowVisible(window) && wcsncmp(title, f->prefix, wcslen(f->prefix)) == 0) {
                f->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.window;
}

bool DrivePageFilled(HWND main)
{
    for (HWND child = ::GetWindow(main, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::GetDlgItem(child, 1057) || !::GetDlgItem(child, 1041))
            continue;
        wchar_t serial[64] = {};
        ::SendMessageTimeoutW(::GetDlgItem(child, 1041), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(serial),
                              SMTO_ABORTIFHUNG, 2000, nullptr);
        return serial[0] != 0;
    }
    return false;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    bool kestrova = wcscmp(argv[1], L"kestrova") == 0;
    std::wstring program = argv[2];
    std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
    int runs = _wtoi(argv[3]);
    std::vector<std::pair<double, SIZE_T>> results;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (int run = 0; run < runs; ++run) {
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        LARGE_INTEGER start, now;
        ::QueryPerformanceCounter(&start);
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                              &process))
            return 1;
        HWND window = nullptr;
        bool ready = false;
        for (int i = 0; i < 60000 && !ready; ++i) {
            window = FindWindowOf(process.dwProcessId, kestrova ? L"Zarvo" : L"Bare dialog");
            ready = window && (!kestrova || DrivePageFilled(window));
            if (!ready)
                ::Sleep(1);
        }
        ::QueryPerformanceCounter(&now);
        PROCESS_MEMORY_COUNTERS_EX memory = {};
        memory.cb = sizeof(memory);
        ::GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
        double ms =
            1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        // Wine fills the commit charge of another process as PagefileUsage only.
        results.emplace_back(ms, memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
        if (window)
            ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
            ::TerminateProcess(process.hProcess, 1);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
        if (!ready)
            return 1;
    }
    std::sort(results.begin(), results.end());
    const auto& median = results[results.size() / 2];
    std::printf("%.1f %llu\n", median.first, static_cast<unsigned long long>(median.second));
    return 0;
}
