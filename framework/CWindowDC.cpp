#include "CWindowDC.h"

#include "CWnd.h"

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr), m_hWindowDC(::GetWindowDC(m_hWnd))
{
    Attach(m_hWindowDC);
}

CWindowDC::~CWindowDC()
{
    ReleaseHeldDC();
}

void CWindowDC::ReleaseHeldDC()
{
    if (m_hDC && m_hDC == m_hWindowDC) {
        ::ReleaseDC(m_hWnd, Detach());
        m_hWindowDC = nullptr;
    } else {
        CDC::ReleaseHeldDC();
    }
}
