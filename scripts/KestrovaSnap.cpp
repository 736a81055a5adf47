// Starts Kestrova.exe from its folder, waits until its drive page shows a
// drive, saves a PNG of the main window and closes the program again: what
// the run script does on a screen nobody looks at.
//   KestrovaSnap.exe PROGRAM_FOLDER PNG_PATH
// Exit code 0 when the picture was saved and the program ended by itself.

#include <windows.h>

#include <gdiplus.h>

#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

HWND FindMainWindow(DWORD pid)
{
    Search search = {pid, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            Search* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s->pid || !::IsWindowVisible(window))
                return TRUE;
            wchar_t title[64] = {};
            ::GetWindowTextW(window, title, 64);
            if (owner == s->pid && ::IsWindowVisible(window) && wcsncmp(title, L"Zarvo", 5) == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The drive page is the child dialog with the large clock-mode label (1057);
// it is filled once its serial-number value (1041) has a text.
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

// The screen's pixels of a rectangle, saved as a PNG through GDI+.
bool SavePng(const RECT& rect, const wchar_t* path)
{
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    bool saved = false;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<BYTE> buffer(size);
        auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        if (size && Gdiplus::GetImageEncoders(count, size, encoders) == Gdiplus::Ok) {
            for (UINT i = 0; i < count && !saved; ++i) {
                if (wcscmp(encoders[i].MimeType, L"image/png") == 0) {
                    Gdiplus::Bitmap image(bitmap, nullptr);
                    saved = image.Save(path, &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
                }
            }
        }
        Gdiplus::GdiplusShutdown(token);
    }
    ::DeleteObject(bitmap);
    return saved;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        fwprintf(stderr, L"usage: KestrovaSnap.exe PROGRAM_FOLDER PNG_PATH\n");
        return 2;
    }
    std::wstring folder = argv[1];
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    std::wstring commandLine = L"\"" + folder + L"Kestrova.exe\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &process)) {
        fwprintf(stderr, L"KestrovaSnap: cannot start %ls (error %lu)\n", commandLine.c_str(), ::GetLastError());
        return 1;
    }
    HWND main = nullptr;
    bool filled = false;
    for (int i = 0; i < 600 && !filled; ++i) { // up to a minute
        ::Sleep(100);
        if (!main)
            main = FindMainWindow(process.dwProcessId);
        filled = main && DrivePageFilled(main);
    }
    if (!main) {
        fwprintf(stderr, L"KestrovaSnap: the program showed no window\n");
        ::TerminateProcess(process.hProcess, 1);
        return 1;
    }
    if (!filled)
        fwprintf(stderr, L"KestrovaSnap: the drive page stayed empty (no drive kept?)\n");
    ::Sleep(500); // let the page finish painting
    RECT rect;
    ::GetWindowRect(main, &rect);
    bool saved = SavePng(rect, argv[2]);
    ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    bool ended = ::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended)
        ::TerminateProcess(process.hProcess, 1);
    return saved && ended ? 0 : 1;
}
