// Measures two programs' starts side by side: the time from process creation
// until the window shows what it is for (Kestrova: the drive page's serial
// number; the bare dialog: its window) and the private memory of the process
// at that moment.
//   StartupBench.exe RUNS BARE_PROGRAM KESTROVA_PROGRAM
// Each program is started once first and not counted (the first start of a
// program pays for the files and libraries the system has not cached yet);
// then the two take turns RUNS times, so a change in the machine's load falls
// on both alike. Prints one line per program:
//   name median_ms fastest_ms slowest_ms median_private_bytes

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Control ids of the drive page: the clock-mode value names the page, the
// serial number is the value the page is filled with.
const int kClockModeValueId = 1057;
const int kSerialValueId = 1041;

struct Sample {
    double ms;
    SIZE_T privateBytes;
};

struct Program {
    const wchar_t* name;
    std::wstring path;
    bool drivePage;
    std::vector<Sample> samples;
};

struct Search {
    DWORD pid;
    HWND window;
};

// The process's visible top-level window. Reads only what the window system
// keeps about the window: no message goes to the program under measurement,
// whose one thread is busy starting up.
HWND VisibleWindowOf(DWORD pid)
{
    Search search = {pid, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            Search* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s->pid || !(::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE))
                return TRUE;
            s->window = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.window;
}

HWND SerialValueOf(HWND main)
{
    for (HWND page = ::GetWindow(main, GW_CHILD); page; page = ::GetWindow(page, GW_HWNDNEXT)) {
        if (::GetDlgItem(page, kClockModeValueId))
            return ::GetDlgItem(page, kSerialValueId);
    }
    return nullptr;
}

bool HasText(HWND control)
{
    wchar_t text[64] = {};
    return control && ::InternalGetWindowText(control, text, 64) > 0;
}

// One start of the program, measured; false when it never got ready.
bool MeasureStart(Program& program, Sample& sample)
{
    std::wstring folder = program.path.substr(0, program.path.find_last_of(L'\\') + 1);
    std::wstring commandLine = L"\"" + program.path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &process))
        return false;

    HWND window = nullptr;
    HWND serial = nullptr;
    bool ready = false;
    // A millisecond's nap between looks: fine enough for starts of a tenth
    // of a second and more, light enough not to slow the program down.
    for (int i = 0; i < 60000 && !ready; ++i) {
        if (!window)
            window = VisibleWindowOf(process.dwProcessId);
        if (window && program.drivePage && !serial) {
            serial = SerialValueOf(window);
            // Some other window of the program (a message box): look again.
            if (!serial)
                window = nullptr;
        }
        ready = window && (!program.drivePage || HasText(serial));
        if (!ready) {
            if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
                break;
        }
    }
    ::QueryPerformanceCounter(&now);

    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    sample.ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    // Wine fills the commit charge of another process as PagefileUsage only.
    sample.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;

    if (window)
        ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    if (!ready)
        std::fwprintf(stderr, L"%ls did not get ready\n", program.name);
    return ready;
}

template <typename T, typename Field> T Median(const std::vector<Sample>& samples, Field field)
{
    std::vector<T> values;
    for (const Sample& sample : samples)
        values.push_back(sample.*field);
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    int runs = _wtoi(argv[1]);
    if (runs < 1)
        return 2;
    Program programs[] = {{L"bare", argv[2], false, {}}, {L"kestrova", argv[3], true, {}}};

    Sample sample;
    for (Program& program : programs) {
        if (!MeasureStart(program, sample))
            return 1;
    }
    for (int run = 0; run < runs; ++run) {
        for (Program& program : programs) {
            if (!MeasureStart(program, sample))
                return 1;
            program.samples.push_back(sample);
            std::fwprintf(stderr, L"%ls run %d: %.1f ms, %llu bytes private\n", program.name, run + 1, sample.ms,
                          static_cast<unsigned long long>(sample.privateBytes));
        }
    }
    for (Program& program : programs) {
        auto byTime = [](const Sample& a, const Sample& b) { return a.ms < b.ms; };
        auto fastest = std::min_element(program.samples.begin(), program.samples.end(), byTime);
        auto slowest = std::max_element(program.samples.begin(), program.samples.end(), byTime);
        std::wprintf(L"%ls %.1f %.1f %.1f %llu\n", program.name, Median<double>(program.samples, &Sample::ms),
                     fastest->ms, slowest->ms,
                     static_cast<unsigned long long>(Median<SIZE_T>(program.samples, &Sample::privateBytes)));
    }
    return 0;
}
