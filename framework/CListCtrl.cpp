#include "CListCtrl.h"

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BEGIN_MESSAGE_MAP(CListCtrl, CWnd)
END_MESSAGE_MAP()

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width, int subItem)
{
    LVCOLUMNW info = {};
    info.mask = LVCF_FMT | LVCF_TEXT;
    info.fmt = format;
    info.pszText = const_cast<LPWSTR>(heading);
    if (width != -1) {
        info.mask |= LVCF_WIDTH;
        info.cx = width;
    }
    if (subItem != -1) {
        info.mask |= LVCF_SUBITEM;
        info.iSubItem = subItem;
    }
    return static_cast<int>(
        SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::InsertItem(int index, LPCWSTR text, int image)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<LPWSTR>(text);
    if (image != -1) {
        item.mask |= LVIF_IMAGE;
        item.iImage = image;
    }
    return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int index, int subItem, LPCWSTR text)
{
    LVITEMW item = {};
    item.iSubItem = subItem;
    item.pszText = const_cast<LPWSTR>(text);
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

CString CListCtrl::GetItemText(int index, int subItem) const
{
    // The control copies at most the buffer's size; grow until the text fits.
    for (int size = 256;; size *= 2) {
        CString text;
        LVITEMW item = {};
        item.iSubItem = subItem;
        item.cchTextMax = size;
        item.pszText = text.GetBuffer(size);
        int length = static_cast<int>(
            SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
        text.ReleaseBuffer(length);
        if (length < size - 1)
            return text;
    }
}

BOOL CListCtrl::SetItemData(int index, DWORD_PTR data)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

DWORD_PTR CListCtrl::GetItemData(int index) const
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<DWORD_PTR>(item.lParam);
}

BOOL CListCtrl::SetItemState(int index, UINT state, UINT mask)
{
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}
