#include "CButton.h"

IMPLEMENT_DYNAMIC(CButton, CWnd)

BEGIN_MESSAGE_MAP(CButton, CWnd)
END_MESSAGE_MAP()

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_DRAWITEM)
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (result)
        *result = TRUE;
    return TRUE;
}
