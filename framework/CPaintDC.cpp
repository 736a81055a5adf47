#include "CPaintDC.h"

#include "CWnd.h"

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}
