#pragma once
// A list-view control (report lists).

#include "CImageList.h"
#include "CWnd.h"

#include <commctrl.h>

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)

public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_LISTVIEWW, nullptr, style, rect, parent, id);
    }

    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    DWORD SetExtendedStyle(DWORD exStyle)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(exStyle)));
    }
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    int GetColumnCount() const { return static_cast<int>(::SendMessageW(GetHeaderCtrl(), HDM_GETITEMCOUNT, 0, 0)); }
    int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column)
    {
        return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(column)));
    }
    int GetColumnWidth(int column) const
    {
        return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    }
    BOOL SetColumnWidth(int column, int width)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
    }

    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int InsertItem(const LVITEMW* item)
    {
        return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(item)));
    }
    int InsertItem(int index, LPCWSTR text, int image = -1);
    BOOL SetItemText(int index, int subItem, LPCWSTR text);
    CString GetItemText(int index, int subItem) const;
    BOOL DeleteItem(int index) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(index))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    BOOL SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    BOOL SetItemState(int index, UINT state, UINT mask);
    UINT GetItemState(int index, UINT mask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
    }
    int GetNextItem(int start, int flags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
    }
    int GetSelectionMark() const { return static_cast<int>(SendMessage(LVM_GETSELECTIONMARK)); }
    BOOL GetItemRect(int index, LPRECT rect, UINT code) const
    {
        rect->left = static_cast<LONG>(code);
        return static_cast<BOOL>(
            SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
    }
    BOOL EnsureVisible(int index, BOOL partialOk)
    {
        return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk));
    }
    BOOL SetBkColor(COLORREF color)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(color)));
    }
    BOOL SetTextColor(COLORREF color)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(color)));
    }
    BOOL SetTextBkColor(COLORREF color)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(color)));
    }
    HIMAGELIST SetImageList(CImageList* images, int kind)
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(kind),
                                                        reinterpret_cast<LPARAM>(images->GetSafeHandle())));
    }

protected:
    DECLARE_MESSAGE_MAP()
};
