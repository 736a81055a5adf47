#include "CComboBox.h"

IMPLEMENT_DYNAMIC(CComboBox, CWnd)

BEGIN_MESSAGE_MAP(CComboBox, CWnd)
END_MESSAGE_MAP()

void CComboBox::GetLBText(int index, CString& text) const
{
    int length = GetLBTextLen(index);
    if (length < 0) {
        text.Empty();
        return;
    }
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBuffer(length)));
    text.ReleaseBuffer();
}

void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}

void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}

BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_DRAWITEM)
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    else if (message == WM_MEASUREITEM)
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
    else
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    if (result)
        *result = TRUE;
    return TRUE;
}
