#pragma once
// The whole-window DC of a window (NULL: the screen), released on destruction.

#include "CDC.h"

class CWnd;

class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

protected:
    void ReleaseHeldDC() override;

    HWND m_hWnd;

private:
    // The DC GetWindowDC gave: it goes back to the window; a DC attached later is
    // deleted as a plain CDC's.
    HDC m_hWindowDC = nullptr;
};
