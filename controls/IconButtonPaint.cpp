#include "IconButton.h"

// How the button paints itself: the owner-draw routine and its drawing steps,
// the copy of the parent's background under a transparent button, and the
// darker, grey and mask images derived once when an image is set. The
// button's state, setters and messages are in IconButton.cpp.

void CIconButton::DrawItem(LPDRAWITEMSTRUCT drawItem)
{
    CDC* dc = CDC::FromHandle(drawItem->hDC);
    CRect rect(drawItem->rcItem);
    m_pressed = (drawItem->itemState & ODS_SELECTED) || (m_checkboxMode && m_checkState);
    m_focused = (drawItem->itemState & ODS_FOCUS) != 0;
    // The disabled state is not looked at: a disabled button keeps its colours.
    dc->SetBkMode(TRANSPARENT);

    if (m_transparent)
        PaintParentBackground(dc);
    else
        DrawBackground(dc, &rect);
    DrawBorder(dc, &rect);

    CString caption;
    GetWindowText(caption);
    CRect captionRect(drawItem->rcItem);
    if (m_icons[0].handle)
        DrawIcon(dc, !caption.IsEmpty(), &drawItem->rcItem, &captionRect, m_pressed, FALSE);
    if (m_bitmaps[0].handle) {
        dc->SetBkColor(RGB(255, 255, 255));
        DrawBitmap(dc, !caption.IsEmpty(), &drawItem->rcItem, &captionRect, m_pressed, FALSE);
    }
    if (!caption.IsEmpty())
        DrawCaption(dc, caption, &drawItem->rcItem, &captionRect, m_pressed, FALSE);

    if (m_focused && (!m_flat || m_flatFocus)) {
        CRect focus(rect);
        focus.DeflateRect(3, 3);
        dc->DrawFocusRect(&focus);
    }
}

DWORD CIconButton::DrawBackground(CDC* dc, CRect* rect)
{
    if (!m_flat && (m_focused || m_defaultButton)) {
        CBrush black(RGB(0, 0, 0));
        dc->FrameRect(rect, &black);
        rect->DeflateRect(1, 1);
    }
    COLORREF fill = m_stateColors[BTNCOLOR_BK_NORMAL];
    if (m_hover || m_pressed)
        fill = m_stateColors[BTNCOLOR_BK_ACTIVE];
    else if (m_focused)
        fill = m_stateColors[BTNCOLOR_BK_FOCUS];
    CBrush brush(fill);
    dc->FillRect(rect, &brush);
    return 0;
}

DWORD CIconButton::DrawBorder(CDC* dc, CRect* rect)
{
    COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    if (m_pressed) {
        if (!m_flat) {
            CBrush brush(shadow);
            dc->FrameRect(rect, &brush);
        } else if (m_showBorder) {
            dc->Draw3dRect(rect, shadow, shadow);
        }
        return 0;
    }
    if (m_flat) {
        if (m_hover && m_showBorder)
            dc->Draw3dRect(rect, shadow, shadow);
        return 0;
    }
    const int l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    CPen highlight(PS_SOLID, 0, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    CPen light(PS_SOLID, 0, ::GetSysColor(COLOR_3DLIGHT));
    CPen darkShadow(PS_SOLID, 0, ::GetSysColor(COLOR_3DDKSHADOW));
    CPen shadowPen(PS_SOLID, 0, shadow);
    HGDIOBJ old = dc->SelectObject(highlight.m_hObject);
    dc->MoveTo(l, b - 1);
    dc->LineTo(l, t);
    dc->LineTo(r, t);
    dc->SelectObject(light.m_hObject);
    dc->MoveTo(l + 1, b - 1);
    dc->LineTo(l + 1, t + 1);
    dc->LineTo(r, t + 1);
    dc->SelectObject(darkShadow.m_hObject);
    dc->MoveTo(l, b - 1);
    dc->LineTo(r - 1, b - 1);
    dc->LineTo(r - 1, t - 1);
    dc->SelectObject(shadowPen.m_hObject);
    dc->MoveTo(l + 1, b - 2);
    dc->LineTo(r - 2, b - 2);
    dc->LineTo(r - 2, t);
    dc->SelectObject(old);
    return 0;
}

void CIconButton::PlaceImage(BOOL hasCaption, const RECT* item, CRect* caption, BOOL pressed, DWORD width, DWORD height,
                             CRect* image)
{
    image->CopyRect(item);
    const int w = image->Width(), h = image->Height();
    const int iw = static_cast<int>(width), ih = static_cast<int>(height);
    switch (m_imageAlign) {
    case BTNALIGN_HORZ:
        if (hasCaption) {
            image->left += m_imageOrigin.x;
            caption->left += iw + m_imageOrigin.x;
        } else {
            image->left += (w - iw) / 2;
        }
        image->top += (h - ih) / 2;
        break;
    case BTNALIGN_VERT:
        image->left += (w - iw) / 2;
        if (hasCaption) {
            image->top = m_imageOrigin.y;
            caption->top += ih;
        } else {
            image->top += (h - ih) / 2;
        }
        break;
    case BTNALIGN_HORZ_RIGHT:
        if (hasCaption) {
            CRect client;
            GetClientRect(&client);
            caption->right = caption->Width() - iw - m_imageOrigin.x;
            caption->left = m_imageOrigin.x;
            image->left = client.right - iw - m_imageOrigin.x;
            image->top += (h - ih) / 2;
        } else {
            image->left += (w - iw) / 2;
        }
        break;
    default:
        break;
    }
    if (pressed && !m_checkboxMode)
        image->OffsetRect(m_pressedOffset);
}

void CIconButton::DrawIcon(CDC* dc, BOOL hasCaption, const RECT* item, CRect* caption, BOOL pressed, BOOL disabled)
{
    BOOL useActive = m_checkboxMode ? pressed : (pressed || m_hover);
    const ButtonIconEntry& entry = (useActive || !m_icons[1].handle) ? m_icons[0] : m_icons[1];
    CRect image;
    PlaceImage(hasCaption, item, caption, pressed, entry.width, entry.height, &image);
    dc->DrawState(image.TopLeft(), image.Size(), entry.handle, disabled ? DSS_DISABLED : DSS_NORMAL);
}

void CIconButton::DrawBitmap(CDC* dc, BOOL hasCaption, const RECT* item, CRect* caption, BOOL pressed, BOOL disabled)
{
    (void)disabled;
    BOOL useActive = m_checkboxMode ? pressed : (pressed || m_hover);
    const ButtonBitmapEntry& entry = (useActive || !m_bitmaps[1].handle) ? m_bitmaps[0] : m_bitmaps[1];
    CRect image;
    PlaceImage(hasCaption, item, caption, pressed, entry.width, entry.height, &image);
    const int w = static_cast<int>(entry.width), h = static_cast<int>(entry.height);
    // The mask clears the image's opaque pixels, the bitmap is ORed over it.
    HDC maskDC = ::CreateCompatibleDC(dc->m_hDC);
    HGDIOBJ oldMask = ::SelectObject(maskDC, entry.mask);
    ::BitBlt(dc->m_hDC, image.left, image.top, w, h, maskDC, 0, 0, SRCAND);
    ::SelectObject(maskDC, oldMask);
    ::DeleteDC(maskDC);
    HDC imageDC = ::CreateCompatibleDC(dc->m_hDC);
    HGDIOBJ oldImage = ::SelectObject(imageDC, entry.handle);
    ::BitBlt(dc->m_hDC, image.left, image.top, w, h, imageDC, 0, 0, SRCPAINT);
    ::SelectObject(imageDC, oldImage);
    ::DeleteDC(imageDC);
}

void CIconButton::DrawCaption(CDC* dc, LPCWSTR caption, const RECT*, CRect* captionRect, BOOL pressed, BOOL)
{
    if (pressed && !m_checkboxMode)
        captionRect->OffsetRect(m_pressedOffset);
    HGDIOBJ oldFont = m_captionFont.m_hObject ? dc->SelectObject(m_captionFont.m_hObject) : nullptr;
    TEXTMETRICW metrics = {};
    dc->GetTextMetrics(&metrics);
    const int h = captionRect->Height();
    if (m_captionPlacement == BTNCAPTION_ONE_LINE)
        captionRect->OffsetRect(0, (h - metrics.tmHeight) / 2);
    else if (m_captionPlacement == BTNCAPTION_TWO_LINES)
        captionRect->OffsetRect(0, (h - 2 * metrics.tmHeight) / 2);
    dc->SetBkMode(TRANSPARENT);
    if (m_hover || pressed) {
        dc->SetTextColor(m_stateColors[BTNCOLOR_FG_ACTIVE]);
        dc->SetBkColor(m_stateColors[BTNCOLOR_BK_ACTIVE]);
    } else if (m_focused) {
        dc->SetTextColor(m_stateColors[BTNCOLOR_FG_FOCUS]);
        dc->SetBkColor(m_stateColors[BTNCOLOR_BK_FOCUS]);
    } else {
        dc->SetTextColor(m_stateColors[BTNCOLOR_FG_NORMAL]);
        dc->SetBkColor(m_stateColors[BTNCOLOR_BK_NORMAL]);
    }
    dc->DrawText(caption, -1, captionRect, DT_WORDBREAK | DT_CENTER);
    if (oldFont)
        dc->SelectObject(oldFont);
}

// ---- the copy of the parent's background ---------------------------------------

void CIconButton::CaptureBackground(CDC* parentDC)
{
    CRect client;
    GetClientRect(&client);
    CRect window;
    GetWindowRect(&window);
    GetParent()->ScreenToClient(&window);
    m_bkCopyDC.CreateCompatibleDC(parentDC);
    m_bkCopyBitmap.CreateCompatibleBitmap(parentDC, client.Width(), client.Height());
    m_hOldBkBitmap = m_bkCopyDC.SelectObject(m_bkCopyBitmap.m_hObject);
    m_bkCopyDC.BitBlt(0, 0, client.Width(), client.Height(), parentDC, window.left, window.top, SRCCOPY);
}

void CIconButton::PaintParentBackground(CDC* dc)
{
    CClientDC parentDC(GetParent());
    CRect client;
    GetClientRect(&client);
    if (!m_bkCopyDC.m_hDC)
        CaptureBackground(&parentDC);
    dc->BitBlt(0, 0, client.Width(), client.Height(), &m_bkCopyDC, 0, 0, SRCCOPY);
}

void CIconButton::DropBackgroundCopy()
{
    if (m_bkCopyDC.m_hDC && m_hOldBkBitmap)
        m_bkCopyDC.SelectObject(m_hOldBkBitmap);
    m_hOldBkBitmap = nullptr;
    m_bkCopyBitmap.DeleteObject();
    m_bkCopyDC.DeleteDC();
}

// ---- derived images ---------------------------------------------------------------

COLORREF CIconButton::ScaleColorDown(COLORREF color, double factor)
{
    if (factor <= 0.0 || factor > 1.0)
        return color;
    auto scale = [factor](int c) { return static_cast<int>(c - factor * c); };
    return RGB(scale(GetRValue(color)), scale(GetGValue(color)), scale(GetBValue(color)));
}

static COLORREF GrayOf(COLORREF color)
{
    int g = static_cast<int>(0.299 * GetRValue(color) + 0.587 * GetGValue(color) + 0.114 * GetBValue(color));
    return RGB(g, g, g);
}

static COLORREF DarkOf(COLORREF color)
{
    return CIconButton::ScaleColorDown(color, 0.25);
}

// A new screen-compatible bitmap: each pixel of the source converted, the
// transparent colour kept.
static HBITMAP ConvertBitmap(HBITMAP source, DWORD width, DWORD height, COLORREF transparent,
                             COLORREF (*convert)(COLORREF))
{
    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return nullptr;
    HDC sourceDC = ::CreateCompatibleDC(screen);
    HDC targetDC = ::CreateCompatibleDC(screen);
    HBITMAP result = ::CreateCompatibleBitmap(screen, static_cast<int>(width), static_cast<int>(height));
    if (sourceDC && targetDC && result) {
        HGDIOBJ oldSource = ::SelectObject(sourceDC, source);
        HGDIOBJ oldTarget = ::SelectObject(targetDC, result);
        for (int y = 0; y < static_cast<int>(height); ++y) {
            for (int x = 0; x < static_cast<int>(width); ++x) {
                COLORREF pixel = ::GetPixel(sourceDC, x, y);
                ::SetPixel(targetDC, x, y, pixel == transparent ? pixel : convert(pixel));
            }
        }
        ::SelectObject(sourceDC, oldSource);
        ::SelectObject(targetDC, oldTarget);
    } else if (result) {
        ::DeleteObject(result);
        result = nullptr;
    }
    if (sourceDC)
        ::DeleteDC(sourceDC);
    if (targetDC)
        ::DeleteDC(targetDC);
    ::ReleaseDC(nullptr, screen);
    return result;
}

HBITMAP CIconButton::MakeDarkBitmap(HBITMAP source, DWORD width, DWORD height, COLORREF transparent)
{
    return ConvertBitmap(source, width, height, transparent, &DarkOf);
}

HBITMAP CIconButton::MakeGrayBitmap(HBITMAP source, DWORD width, DWORD height, COLORREF transparent)
{
    return ConvertBitmap(source, width, height, transparent, &GrayOf);
}

// A new icon of the source's mask and a converted copy of its colour
// bitmap; black pixels stay black.
static HICON ConvertIcon(HICON source, COLORREF (*convert)(COLORREF))
{
    ICONINFO info = {};
    if (!::GetIconInfo(source, &info))
        return nullptr;
    HICON result = nullptr;
    BITMAP colorInfo = {};
    const int width = static_cast<int>(info.xHotspot * 2), height = static_cast<int>(info.yHotspot * 2);
    if (info.hbmColor && ::GetObjectW(info.hbmColor, sizeof(colorInfo), &colorInfo)) {
        HBITMAP converted = ::CreateBitmap(width, height, colorInfo.bmPlanes, colorInfo.bmBitsPixel, nullptr);
        HDC screen = ::GetDC(nullptr);
        HDC sourceDC = ::CreateCompatibleDC(screen);
        HDC targetDC = ::CreateCompatibleDC(screen);
        if (converted && sourceDC && targetDC) {
            HGDIOBJ oldSource = ::SelectObject(sourceDC, info.hbmColor);
            HGDIOBJ oldTarget = ::SelectObject(targetDC, converted);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    COLORREF pixel = ::GetPixel(sourceDC, x, y);
                    ::SetPixel(targetDC, x, y, pixel == RGB(0, 0, 0) ? pixel : convert(pixel));
                }
            }
            ::SelectObject(sourceDC, oldSource);
            ::SelectObject(targetDC, oldTarget);
            ICONINFO made = {TRUE, info.xHotspot, info.yHotspot, info.hbmMask, converted};
            result = ::CreateIconIndirect(&made);
        }
        if (sourceDC)
            ::DeleteDC(sourceDC);
        if (targetDC)
            ::DeleteDC(targetDC);
        ::ReleaseDC(nullptr, screen);
        if (converted)
            ::DeleteObject(converted);
    }
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    return result;
}

HICON CIconButton::MakeDarkIcon(HICON source)
{
    return ConvertIcon(source, &DarkOf);
}

HICON CIconButton::MakeGrayIcon(HICON source)
{
    return ConvertIcon(source, &GrayOf);
}

HBITMAP CIconButton::MakeMaskBitmap(HBITMAP source, DWORD width, DWORD height, COLORREF transparent)
{
    HBITMAP mask = ::CreateBitmap(static_cast<int>(width), static_cast<int>(height), 1, 1, nullptr);
    if (!mask)
        return nullptr;
    HDC sourceDC = ::CreateCompatibleDC(nullptr);
    HDC maskDC = ::CreateCompatibleDC(nullptr);
    HGDIOBJ oldSource = ::SelectObject(sourceDC, source);
    HGDIOBJ oldMask = ::SelectObject(maskDC, mask);
    // Colour to monochrome: pixels of the background colour become white.
    COLORREF oldBk = ::SetBkColor(sourceDC, transparent);
    ::BitBlt(maskDC, 0, 0, static_cast<int>(width), static_cast<int>(height), sourceDC, 0, 0, SRCCOPY);
    // Monochrome to colour: white bits take the background colour (black),
    // black bits the text colour (white), so ANDing blackens only the
    // transparent pixels of the source.
    COLORREF oldText = ::SetTextColor(sourceDC, RGB(255, 255, 255));
    ::SetBkColor(sourceDC, RGB(0, 0, 0));
    ::BitBlt(sourceDC, 0, 0, static_cast<int>(width), static_cast<int>(height), maskDC, 0, 0, SRCAND);
    ::SetTextColor(sourceDC, oldText);
    ::SetBkColor(sourceDC, oldBk);
    ::SelectObject(sourceDC, oldSource);
    ::SelectObject(maskDC, oldMask);
    ::DeleteDC(sourceDC);
    ::DeleteDC(maskDC);
    return mask;
}
