#pragma once
// What a person sees of a window, read from the screen: its pixels for the
// test to check, and a PNG under build/screenshots/ to look at after a run.
// A picture that cannot show what the window painted fails the test that
// took it: a window partly off the screen or covered by another one, or an
// image of one or two colours.

#include "ScreenPixels.h"
#include "Win32Failure.h"
#include "WindowTest.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

namespace screenshot_detail {

// Whether another window lies over the window at a point of the screen. A
// point that finds the window itself, one of its children or one of its
// ancestors (a control that lets the mouse through) is the window's own.
inline bool CoveredAt(HWND window, POINT pt)
{
    HWND found = ::WindowFromPoint(pt);
    return !(found == window || ::IsChild(window, found) || ::IsChild(found, window));
}

// build/screenshots/, beside the folder of the test programs: found from the
// program's own path, since a test may have moved the current directory.
inline std::wstring Folder()
{
    wchar_t program[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder(program, length);
    for (int up = 0; up < 2; ++up) { // build\bin\program.exe: up to build
        size_t slash = folder.find_last_of(L"\\/");
        folder.resize(slash == std::wstring::npos ? 0 : slash);
    }
    folder += L"\\screenshots\\";
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
        DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS)
            ADD_FAILURE() << CallFailed("CreateDirectoryW", folder.c_str(), error);
    }
    return folder;
}

} // namespace screenshot_detail

class WindowPicture {
public:
    // Lets the window finish painting, then reads its rectangle from the
    // screen (NULL: the whole screen).
    explicit WindowPicture(HWND window)
    {
        m_rect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        if (window) {
            ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            PumpMessages(50); // the painted pixels reach the screen once the thread is idle
            if (!CanBeSeen(window))
                return;
        }
        Capture();
    }

    int Width() const { return m_rect.right - m_rect.left; }
    int Height() const { return m_rect.bottom - m_rect.top; }
    bool Captured() const { return !m_pixels.empty(); }

    // The pixel at a point of a window's client area (the window pictured or
    // one of its children); CLR_INVALID outside the picture.
    COLORREF At(HWND window, int x, int y) const
    {
        POINT pt = {x, y};
        ::ClientToScreen(window, &pt);
        int px = pt.x - m_rect.left, py = pt.y - m_rect.top;
        if (!Captured() || px < 0 || py < 0 || px >= Width() || py >= Height())
            return CLR_INVALID;
        uint32_t bgrx = m_pixels[static_cast<size_t>(py) * Width() + px];
        return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
    }

    // Every pixel, top-down, as 0x00RRGGBB.
    const std::vector<uint32_t>& Pixels() const { return m_pixels; }

    size_t Colours() const
    {
        std::vector<uint32_t> sorted(m_pixels);
        for (uint32_t& p : sorted)
            p &= 0x00FFFFFF;
        std::sort(sorted.begin(), sorted.end());
        return static_cast<size_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
    }

    // Writes build/screenshots/NAME.png.
    bool Save(const wchar_t* name) const
    {
        if (!Captured())
            return false; // the capture has said why
        size_t colours = Colours();
        if (colours <= 2) {
            ADD_FAILURE() << "screenshot " << Narrow(name) << " shows " << colours
                          << " colour(s): the window did not reach the screen";
            return false;
        }
        std::wstring path = screenshot_detail::Folder() + name + L".png";
        std::string error = SavePixelsAsPng(path, Width(), Height(), m_pixels);
        if (!error.empty()) {
            ADD_FAILURE() << error;
            return false;
        }
        return true;
    }

private:
    static std::string Narrow(const wchar_t* text) { return std::string(text, text + std::wcslen(text)); }

    // The screen shows the whole window, and nothing lies over it.
    bool CanBeSeen(HWND window)
    {
        ::GetWindowRect(window, &m_rect);
        RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        RECT visible;
        if (!::IsWindowVisible(window) || !::IntersectRect(&visible, &m_rect, &screen) ||
            !::EqualRect(&visible, &m_rect)) {
            ADD_FAILURE() << "the window is hidden or lies partly off the screen";
            return false;
        }
        const RECT& r = m_rect;
        POINT probes[] = {{(r.left + r.right) / 2, (r.top + r.bottom) / 2},
                          {r.left + 2, r.top + 2},
                          {r.right - 3, r.top + 2},
                          {r.left + 2, r.bottom - 3},
                          {r.right - 3, r.bottom - 3}};
        for (POINT pt : probes) {
            if (screenshot_detail::CoveredAt(window, pt)) {
                ADD_FAILURE() << "another window lies over the window at " << pt.x << "," << pt.y;
                return false;
            }
        }
        return true;
    }

    void Capture()
    {
        if (Width() <= 0 || Height() <= 0)
            return;
        std::string error = ReadScreenPixels(m_rect, m_pixels);
        if (!error.empty())
            ADD_FAILURE() << error;
    }

    RECT m_rect;
    std::vector<uint32_t> m_pixels; // top-down, 0x00RRGGBB
};

// Saves the window as the screen shows it (NULL: the whole screen).
inline bool SaveScreenshot(HWND window, const wchar_t* name)
{
    return WindowPicture(window).Save(name);
}
