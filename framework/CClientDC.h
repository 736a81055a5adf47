#pragma once
// The client-area DC of a window (NULL: the screen), released on destruction.

#include "CDC.h"

class CWnd;

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    void ReleaseHeldDC() override;

    HWND m_hWnd;

private:
    // The DC GetDC gave: it goes back to the window; a DC attached later is
    // deleted as a plain CDC's.
    HDC m_hWindowDC = nullptr;
};
