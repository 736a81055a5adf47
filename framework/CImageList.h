#pragma once
// An image list; owns its handle.

#include "CObject.h"

#include <commctrl.h>

class CBitmap;

class CImageList : public CObject {
public:
    HIMAGELIST m_hImageList = nullptr;

    CImageList() = default;
    ~CImageList() override { DeleteImageList(); }

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        DeleteImageList();
        m_hImageList = ::ImageList_Create(cx, cy, flags, initial, grow);
        return m_hImageList != nullptr;
    }
    BOOL DeleteImageList()
    {
        if (!m_hImageList)
            return FALSE;
        BOOL deleted = ::ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
        return deleted;
    }
    int Add(HICON icon) { return ::ImageList_AddIcon(m_hImageList, icon); }
    int Add(HBITMAP bitmap, COLORREF mask) { return ::ImageList_AddMasked(m_hImageList, bitmap, mask); }
    int Add(HBITMAP bitmap, HBITMAP mask) { return ::ImageList_Add(m_hImageList, bitmap, mask); }
    int GetImageCount() const { return ::ImageList_GetImageCount(m_hImageList); }
    BOOL Remove(int index) { return ::ImageList_Remove(m_hImageList, index); }
    HICON ExtractIcon(int index) { return ::ImageList_GetIcon(m_hImageList, index, ILD_NORMAL); }
    BOOL Draw(HDC dc, int index, POINT pt, UINT style)
    {
        return ::ImageList_Draw(m_hImageList, index, dc, pt.x, pt.y, style);
    }
};
