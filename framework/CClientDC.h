#pragma once
// The client-area DC of a window (NULL: the screen), released on destruction.

#include "CDC.h"

class CWnd;

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};
