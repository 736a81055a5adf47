#include "CStatic.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)

BEGIN_MESSAGE_MAP(CStatic, CWnd)
END_MESSAGE_MAP()

void CStatic::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_DRAWITEM)
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (result)
        *result = TRUE;
    return TRUE;
}
