#pragma once
// The DC of a WM_PAINT: BeginPaint on construction, EndPaint on destruction.

#include "CDC.h"

class CWnd;

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps = {};

protected:
    HWND m_hWnd;
};
