#pragma once
// The whole-window DC of a window (NULL: the screen), released on destruction.

#include "CDC.h"

class CWnd;

class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};
