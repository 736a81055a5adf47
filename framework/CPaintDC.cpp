#include "CPaintDC.h"

#include "CWnd.h"

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    ReleaseHeldDC();
    ::EndPaint(m_hWnd, &m_ps);
}

void CPaintDC::ReleaseHeldDC()
{
    if (m_hDC == m_ps.hdc)
        Detach();
    else
        CDC::ReleaseHeldDC();
}
