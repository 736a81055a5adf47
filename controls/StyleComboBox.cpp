#include "StyleComboBox.h"

#include "ControlFont.h"

IMPLEMENT_DYNAMIC(CStyleComboBox, CComboBox)

BEGIN_MESSAGE_MAP(CStyleComboBox, CComboBox)
END_MESSAGE_MAP()

CStyleComboBox::CStyleComboBox() : m_crBackColor(0xFFFFFF), m_crTextColor(0x7F0000), m_bTransparent(FALSE)
{
    m_brush.CreateSolidBrush(m_crBackColor);
}

CStyleComboBox::~CStyleComboBox()
{
    m_brush.DeleteObject();
    m_font.DeleteObject();
}

void CStyleComboBox::SetFontStyle(int height, int, int weight, BYTE italic)
{
    SetControlFont(*this, m_font, height, weight, italic);
}

void CStyleComboBox::SetBackColor(COLORREF color)
{
    m_crBackColor = color;
    RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
}

void CStyleComboBox::SetTextColor(COLORREF color)
{
    m_crTextColor = color;
    RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
}
