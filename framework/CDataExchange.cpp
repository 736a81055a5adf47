#include "CDataExchange.h"

#include "CWnd.h"

HWND CDataExchange::PrepareCtrl(int id)
{
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    HWND item = dx->PrepareCtrl(id);
    if (item)
        control.SubclassWindow(item);
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    HWND item = dx->PrepareCtrl(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate)
        CWnd::FromHandle(item)->GetWindowText(value);
    else
        ::SetWindowTextW(item, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    HWND parent = dx->m_pDlgWnd->m_hWnd;
    if (dx->m_bSaveAndValidate) {
        BOOL translated = FALSE;
        int read = static_cast<int>(::GetDlgItemInt(parent, id, &translated, TRUE));
        if (translated)
            value = read;
    } else {
        ::SetDlgItemInt(parent, id, static_cast<UINT>(value), TRUE);
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND item = dx->PrepareCtrl(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageW(item, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    HWND item = dx->PrepareCtrl(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(item, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(item, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
