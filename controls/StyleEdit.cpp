#include "StyleEdit.h"

#include "ControlFont.h"

IMPLEMENT_DYNAMIC(CStyleEdit, CEdit)

BEGIN_MESSAGE_MAP(CStyleEdit, CEdit)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

CStyleEdit::CStyleEdit() : m_crBackColor(0xFFFFFF), m_crTextColor(0x000000), m_bTransparent(TRUE)
{
    m_brush.CreateSolidBrush(m_crBackColor);
}

CStyleEdit::~CStyleEdit()
{
    m_brush.DeleteObject();
    m_font.DeleteObject();
}

void CStyleEdit::SetFontStyle(int height, int, int weight, BYTE italic)
{
    SetControlFont(*this, m_font, height, weight, italic);
}

void CStyleEdit::SetBackColor(COLORREF color)
{
    m_crBackColor = color;
    m_brush.DeleteObject();
    m_brush.CreateSolidBrush(color);
    RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
}

void CStyleEdit::SetTextColor(COLORREF color)
{
    m_crTextColor = color;
    RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
}

HBRUSH CStyleEdit::CtlColor(CDC* pDC, UINT)
{
    m_brush.DeleteObject();
    if (m_bTransparent) {
        // A stock brush: deleting it on the next call is harmless.
        m_brush.Attach(GetStockObject(WHITE_BRUSH));
        pDC->SetBkMode(TRANSPARENT);
    } else {
        m_brush.CreateSolidBrush(m_crBackColor);
        pDC->SetBkColor(m_crBackColor);
    }
    pDC->SetTextColor(m_crTextColor);
    return static_cast<HBRUSH>(m_brush.GetSafeHandle());
}
