#pragma once
// Helpers for tests that drive real windows by messages.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

// Dispatches the thread's messages for the given time.
inline void PumpMessages(DWORD milliseconds)
{
    DWORD end = ::GetTickCount() + milliseconds;
    MSG msg;
    for (;;) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        DWORD now = ::GetTickCount();
        if (static_cast<int>(end - now) <= 0)
            return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

// Dispatches messages until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000)
{
    DWORD end = ::GetTickCount() + timeoutMs;
    while (!condition()) {
        if (static_cast<int>(end - ::GetTickCount()) <= 0)
            return false;
        PumpMessages(10);
    }
    return true;
}

// The pixel the screen shows at a point of a window's client area. A point
// off the screen has no colour to read: it fails the test instead of
// handing back CLR_INVALID, which would pass as a light colour.
inline COLORREF ScreenPixel(HWND window, int x, int y)
{
    POINT pt = {x, y};
    ::ClientToScreen(window, &pt);
    HDC screen = ::GetDC(nullptr);
    COLORREF color = ::GetPixel(screen, pt.x, pt.y);
    ::ReleaseDC(nullptr, screen);
    if (color == CLR_INVALID)
        ADD_FAILURE() << "the screen has no pixel at " << pt.x << "," << pt.y;
    return color;
}
