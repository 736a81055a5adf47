#pragma once
// Drives the real program from outside, as a person would: lays out its
// folder, starts Kestrova.exe on a simulated machine, finds its windows,
// clicks by messages and reads back what the windows show. Texts that the
// platform does not carry between processes (status-bar panes, list rows)
// are read through a buffer in the program's own memory.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "CString.h"
#include "Screenshot.h"
#include "TempDir.h"
#include "Win32Failure.h"
#include "WindowTest.h"

// Control ids of the program's windows (kept here: the driver is an outsider).
namespace ids {
const int kDiskInfo = 1001, kSmartInfo = 1002, kGamingMode = 1003, kUtilities = 1004, kSystemInfo = 1000;
const int kLogExport = 1045, kDiskList = 1018, kRescan = 1024, kSwitchMode = 1056, kGamingLabel = 1058;
const int kMarkDiskInfo = 1020, kMarkSmartInfo = 1021;
const int kSerial = 1041, kFirmware = 1042, kInterface = 1043, kSpeed = 1044, kLife = 1045, kCapacity = 1046;
const int kDriveLetter = 1047, kHmb = 1050, kModel = 1051, kOperationTime = 1053, kClockMode = 1057;
const int kSmartList = 1044;
const int kLifeButton = 1006, kFlashIdButton = 1012;
const int kSecurityErase = 1049, kWriteCache = 1046, kDump = 1048;
const int kBrowseFw = 1015, kBrowseLlf = 1018, kBrowseDump = 1020;
const int kFwPath = 1014, kLlfPath = 1016, kDumpPath = 1019;
} // namespace ids

class ProgramDriver {
public:
    ProgramDriver() = default;
    ~ProgramDriver() { Kill(); }
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    // The program's folder: the program, the stand-in libraries, the
    // simulated machine, "config.ini", "SMART.ini" and ".\res\".
    const CString& Folder() const { return m_dir.Path(); }

    // TRUE when every file is in place; otherwise the test fails with the
    // call, the path and the error of each file that is not.
    bool LayOut(int debugMode = 0)
    {
        CString source = ProgramSourceFolder();
        bool laidOut = true;
        for (LPCWSTR name : {L"Kestrova.exe", L"VntNvmed.dll", L"VntAtad.dll", L"KestrovaSim.dll", L"SMART.ini"})
            laidOut = Copy(source + name, m_dir.Path(name)) && laidOut;
        laidOut =
            !m_dir.Write(L"config.ini", "[AP_SECTION]\r\nDEBUG_MODE=" + std::to_string(debugMode) + "\r\n").IsEmpty() &&
            laidOut;
        if (!::CreateDirectoryW(m_dir.Path(L"res"), nullptr)) {
            DWORD error = ::GetLastError();
            ADD_FAILURE() << CallFailed("CreateDirectoryW", m_dir.Path(L"res"), error);
            return false;
        }
        FileSearch search(source + L"res\\*");
        if (!search.Found()) {
            ADD_FAILURE() << CallFailed("FindFirstFileW", source + L"res\\*", search.Error());
            return false;
        }
        do {
            const WIN32_FIND_DATAW& data = search.Data();
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                laidOut = Copy(source + L"res\\" + data.cFileName, m_dir.Path(L"res\\") + data.cFileName) && laidOut;
        } while (search.Next());
        return laidOut;
    }

    // Starts the program in its folder on the given machine description
    // (empty: the simulated default machine). TRUE once its main window
    // shows; otherwise the test fails with what went wrong.
    bool Start(const std::string& machine = std::string(), int debugMode = 0)
    {
        if (!LayOut(debugMode))
            return false;
        CString machinePath;
        if (!machine.empty() && (machinePath = m_dir.Write(L"machine.txt", machine)).IsEmpty())
            return false;
        ::SetEnvironmentVariableW(L"KESTROVA_MACHINE", machine.empty() ? nullptr : (LPCWSTR)machinePath);
        ::SetEnvironmentVariableW(L"KESTROVA_SIM_JOURNAL", m_dir.Path(L"journal.txt"));
        CString commandLine = L"\"" + m_dir.Path(L"Kestrova.exe") + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        BOOL started = ::CreateProcessW(nullptr, commandLine.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr,
                                        m_dir.Path(), &startup, &m_process);
        DWORD error = ::GetLastError();
        commandLine.ReleaseBuffer();
        ::SetEnvironmentVariableW(L"KESTROVA_MACHINE", nullptr);
        ::SetEnvironmentVariableW(L"KESTROVA_SIM_JOURNAL", nullptr);
        if (!started) {
            m_process = PROCESS_INFORMATION();
            ADD_FAILURE() << CallFailed("CreateProcessW", m_dir.Path(L"Kestrova.exe"), error);
            return false;
        }
        const DWORD limit = 30000;
        PumpUntil([this] { return (m_main = FindProcessWindow(L"Zarvo")) != nullptr || Ended(); }, limit);
        if (m_main)
            return true;
        ADD_FAILURE() << "no visible main window (title \"Zarvo...\") within " << limit << " ms; the program "
                      << ProcessState(m_process.hProcess);
        return false;
    }

    HWND Main() const { return m_main; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    HANDLE Process() const { return m_process.hProcess; }

    // A visible top-level window of the program whose title starts with the text.
    HWND FindProcessWindow(LPCWSTR titlePrefix) const
    {
        struct Search {
            DWORD pid;
            LPCWSTR prefix;
            HWND found;
        } search = {m_process.dwProcessId, titlePrefix, nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                Search* s = reinterpret_cast<Search*>(param);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(window, &pid);
                if (pid != s->pid || !::IsWindowVisible(window))
                    return TRUE;
                wchar_t title[256] = {};
                ::GetWindowTextW(window, title, 256);
                if (wcsncmp(title, s->prefix, wcslen(s->prefix)) != 0)
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The window once it shows; NULL after the time, and the test fails
    // saying which window did not come and what became of the program.
    HWND WaitForWindow(LPCWSTR titlePrefix, DWORD timeoutMs = 10000) const
    {
        HWND found = nullptr;
        if (!PumpUntil([&] { return (found = FindProcessWindow(titlePrefix)) != nullptr; }, timeoutMs))
            ADD_FAILURE() << "no visible window titled \"" << Utf8(titlePrefix) << "...\" within " << timeoutMs
                          << " ms; the program " << ProcessState(m_process.hProcess);
        return found;
    }

    // The page (child dialog of the main window) that holds a control of the
    // given id and class.
    HWND Page(int controlId, LPCWSTR className) const
    {
        for (HWND child = ::GetWindow(m_main, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[64] = {};
            ::GetClassNameW(child, name, 64);
            if (wcscmp(name, L"#32770") != 0)
                continue;
            HWND control = ::GetDlgItem(child, controlId);
            wchar_t controlClass[64] = {};
            if (control && ::GetClassNameW(control, controlClass, 64) && _wcsicmp(controlClass, className) == 0)
                return child;
        }
        return nullptr;
    }
    HWND DrivePage() const { return Page(ids::kClockMode, L"Static"); }
    HWND SmartPage() const { return Page(ids::kSmartList, WC_LISTVIEWW); }
    HWND HealthPage() const { return Page(ids::kLifeButton, L"Button"); }
    HWND UtilitiesPage() const { return Page(ids::kWriteCache, L"Button"); }

    std::vector<HWND> VisiblePages() const
    {
        std::vector<HWND> pages;
        for (HWND child = ::GetWindow(m_main, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[64] = {};
            ::GetClassNameW(child, name, 64);
            if (wcscmp(name, L"#32770") == 0 && ::IsWindowVisible(child))
                pages.push_back(child);
        }
        return pages;
    }

    static CString Text(HWND window)
    {
        wchar_t text[1024] = {};
        ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                              nullptr);
        return text;
    }
    static CString Text(HWND parent, int id) { return Text(::GetDlgItem(parent, id)); }
    // The message of a message box: its longest static text.
    static CString MessageBoxText(HWND box)
    {
        CString longest;
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[32] = {};
            ::GetClassNameW(child, name, 32);
            CString text = Text(child);
            if (_wcsicmp(name, L"Static") == 0 && text.GetLength() > longest.GetLength())
                longest = text;
        }
        return longest;
    }
    static bool Visible(HWND parent, int id) { return ::IsWindowVisible(::GetDlgItem(parent, id)) != FALSE; }

    // Waits until the drive page shows a serial number.
    bool WaitForDrivePage(DWORD timeoutMs = 15000) const
    {
        if (PumpUntil([this] { return DrivePage() && !Text(DrivePage(), ids::kSerial).IsEmpty(); }, timeoutMs))
            return true;
        ADD_FAILURE() << "the drive page showed no serial number within " << timeoutMs << " ms ("
                      << (DrivePage() ? "the page is there" : "no drive page") << "); the program "
                      << ProcessState(m_process.hProcess);
        return false;
    }

    std::vector<CString> DiskListEntries() const
    {
        std::vector<CString> entries;
        HWND combo = ::GetDlgItem(m_main, ids::kDiskList);
        int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[512] = {};
            ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    int DiskListSelection() const
    {
        return static_cast<int>(::SendMessageW(::GetDlgItem(m_main, ids::kDiskList), CB_GETCURSEL, 0, 0));
    }

    CString StatusPane(int pane) const
    {
        HWND bar = ::GetDlgItem(m_main, 0xE801);
        RemoteBuffer remote(m_process.hProcess, 2048);
        ::SendMessageTimeoutW(bar, SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(remote.address), SMTO_ABORTIFHUNG, 5000,
                              nullptr);
        wchar_t text[1024] = {};
        remote.Read(text, sizeof(text) - sizeof(wchar_t));
        return text;
    }

    // Every row of a list view, each as its column texts.
    std::vector<std::vector<CString>> ListRows(HWND list, int columns) const
    {
        std::vector<std::vector<CString>> rows;
        int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        RemoteBuffer remote(m_process.hProcess, sizeof(LVITEMW) + 1024);
        for (int row = 0; row < count; ++row) {
            std::vector<CString> texts;
            for (int column = 0; column < columns; ++column) {
                LVITEMW item = {};
                item.iSubItem = column;
                item.cchTextMax = 500;
                item.pszText = reinterpret_cast<LPWSTR>(static_cast<char*>(remote.address) + sizeof(LVITEMW));
                remote.Write(&item, sizeof(item));
                ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.address));
                wchar_t text[512] = {};
                remote.Read(text, 1000, sizeof(LVITEMW));
                texts.push_back(text);
            }
            rows.push_back(texts);
        }
        return rows;
    }

    // A click on a control of a window, as the control would tell its parent.
    static void Click(HWND parent, int id)
    {
        ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(parent, id)));
    }
    void Click(int id) const { Click(m_main, id); }
    void SelectDisk(int index) const
    {
        HWND combo = ::GetDlgItem(m_main, ids::kDiskList);
        ::SendMessageW(combo, CB_SETCURSEL, index, 0);
        ::PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(ids::kDiskList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }

    // Closes the main window with its caption button; TRUE when the process
    // then ends by itself with exit code 0.
    bool CloseAndWait(DWORD timeoutMs = 20000)
    {
        ::PostMessageW(m_main, WM_SYSCOMMAND, SC_CLOSE, 0);
        return WaitForExit(timeoutMs);
    }
    // TRUE when the process ends with exit code 0 within the time;
    // otherwise the test fails saying whether it ended and how.
    bool WaitForExit(DWORD timeoutMs = 20000)
    {
        if (!m_process.hProcess) {
            ADD_FAILURE() << "the program was never started";
            return false;
        }
        bool ended = false;
        PumpUntil([&] { return (ended = ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0); }, timeoutMs);
        DWORD code = 1;
        if (ended && ::GetExitCodeProcess(m_process.hProcess, &code) && code == 0)
            return true;
        ADD_FAILURE() << "the program did not end cleanly within " << timeoutMs << " ms: it "
                      << ProcessState(m_process.hProcess);
        return false;
    }

    // The simulated machine's journal, written by the program's process as it ends.
    std::string Journal() const { return TempDir::Read(m_dir.Path(L"journal.txt")); }

    // Shows one page of the main window in place of the others, for a look at it.
    void ShowOnly(HWND page) const
    {
        for (HWND shown : VisiblePages())
            ::ShowWindow(shown, SW_HIDE);
        ::ShowWindow(page, SW_SHOW);
        ::UpdateWindow(page);
    }

    // Ends the program if it still runs and waits until it has gone, so
    // that its windows and files are no longer in the next test's way.
    void Kill()
    {
        if (!m_process.hProcess)
            return;
        if (!Ended()) {
            bool terminated = ::TerminateProcess(m_process.hProcess, 1);
            DWORD error = terminated ? ERROR_SUCCESS : ::GetLastError();
            // A program that ends by itself between the look and the call
            // refuses it (access denied) and is gone all the same.
            bool gone = ::WaitForSingleObject(m_process.hProcess, 30000) == WAIT_OBJECT_0;
            if (!gone && !terminated)
                ADD_FAILURE() << CallFailed("TerminateProcess", m_dir.Path(L"Kestrova.exe"), error);
            else if (!gone)
                ADD_FAILURE() << "the program was ended but has not gone within 30000 ms";
        }
        ::CloseHandle(m_process.hProcess);
        ::CloseHandle(m_process.hThread);
        m_process = PROCESS_INFORMATION();
    }

private:
    bool Ended() const { return ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0; }

    // Copies one file of the program's folder; a copy that fails fails the test.
    static bool Copy(const CString& from, const CString& to)
    {
        if (::CopyFileW(from, to, FALSE))
            return true;
        DWORD error = ::GetLastError();
        ADD_FAILURE() << CallFailed("CopyFileW", from, error) << " (to " << Utf8(to) << ")";
        return false;
    }

    // The files of a folder that match a pattern, one at a time; the search
    // handle is closed with the object.
    class FileSearch {
    public:
        explicit FileSearch(LPCWSTR pattern) : m_find(::FindFirstFileW(pattern, &m_data))
        {
            m_error = Found() ? ERROR_SUCCESS : ::GetLastError();
        }
        ~FileSearch()
        {
            if (Found())
                ::FindClose(m_find);
        }
        FileSearch(const FileSearch&) = delete;
        FileSearch& operator=(const FileSearch&) = delete;
        bool Found() const { return m_find != INVALID_HANDLE_VALUE; }
        DWORD Error() const { return m_error; }
        const WIN32_FIND_DATAW& Data() const { return m_data; }
        bool Next() { return ::FindNextFileW(m_find, &m_data) != FALSE; }

    private:
        WIN32_FIND_DATAW m_data = {};
        HANDLE m_find;
        DWORD m_error;
    };

    // A block of the program's memory that a message may point into.
    struct RemoteBuffer {
        RemoteBuffer(HANDLE process, SIZE_T size) : process(process)
        {
            address = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
        ~RemoteBuffer()
        {
            if (address)
                ::VirtualFreeEx(process, address, 0, MEM_RELEASE);
        }
        void Write(const void* data, SIZE_T size) const { ::WriteProcessMemory(process, address, data, size, nullptr); }
        void Read(void* data, SIZE_T size, SIZE_T offset = 0) const
        {
            ::ReadProcessMemory(process, static_cast<char*>(address) + offset, data, size, nullptr);
        }
        HANDLE process;
        void* address;
    };

    // The build's bin folder, where the tests run and the program is built.
    static CString ProgramSourceFolder()
    {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        CString folder(path);
        return folder.Left(folder.ReverseFind(L'\\') + 1);
    }

    TempDir m_dir;
    PROCESS_INFORMATION m_process = {};
    HWND m_main = nullptr;
};
