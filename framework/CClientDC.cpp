#include "CClientDC.h"

#include "CWnd.h"

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr), m_hWindowDC(::GetDC(m_hWnd))
{
    Attach(m_hWindowDC);
}

CClientDC::~CClientDC()
{
    ReleaseHeldDC();
}

void CClientDC::ReleaseHeldDC()
{
    if (m_hDC && m_hDC == m_hWindowDC) {
        ::ReleaseDC(m_hWnd, Detach());
        m_hWindowDC = nullptr;
    } else {
        CDC::ReleaseHeldDC();
    }
}
