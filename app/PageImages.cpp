#include "PageImages.h"

#include "define.h"

HICON LoadPageIcon(LPCWSTR path, LPCWSTR failure)
{
    HICON icon = static_cast<HICON>(::LoadImageW(AfxGetInstanceHandle(), path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    if (!icon)
        DebugPrint(failure, ::GetLastError());
    return icon;
}

HBITMAP LoadPageBackground(LPCWSTR path, CBitmap& bitmap, BITMAP& info)
{
    HBITMAP loaded =
        static_cast<HBITMAP>(::LoadImageW(AfxGetInstanceHandle(), path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (loaded) {
        bitmap.Attach(loaded);
        bitmap.GetBitmap(&info);
    }
    return loaded;
}

void FreePageIcons(std::initializer_list<HICON*> icons)
{
    for (HICON* icon : icons) {
        if (*icon)
            ::DestroyIcon(*icon);
        *icon = nullptr;
    }
}

void FreePageBackground(CBitmap& bitmap, HBITMAP& handle)
{
    bitmap.DeleteObject();
    handle = nullptr;
}

void PaintPageBackground(CWnd& page, CDC& dc, CBitmap& bitmap, const BITMAP& info)
{
    CDC memDC;
    memDC.CreateCompatibleDC(&dc);
    CBitmap* old = memDC.SelectObject(&bitmap);
    CRect client;
    page.GetClientRect(&client);
    dc.StretchBlt(0, 0, client.Width(), client.Height(), &memDC, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    memDC.SelectObject(old);
}
