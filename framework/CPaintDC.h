#pragma once
// The DC of a WM_PAINT: BeginPaint on construction, EndPaint on destruction.
// A DC attached in its place is deleted as a plain CDC's; the paint DC
// itself goes back only through EndPaint.

#include "CDC.h"

class CWnd;

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps = {};

protected:
    void ReleaseHeldDC() override;

    HWND m_hWnd;
};
