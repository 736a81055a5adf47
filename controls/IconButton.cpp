#include "IconButton.h"

#include "ControlFont.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CIconButton, CButton)
ON_WM_SETCURSOR()
ON_WM_KILLFOCUS()
ON_WM_MOUSEMOVE()
ON_WM_SYSCOLORCHANGE()
ON_CONTROL_REFLECT_EX(BN_CLICKED, OnBnClicked)
ON_WM_ACTIVATE()
ON_WM_ENABLE()
ON_WM_CANCELMODE()
ON_WM_GETDLGCODE()
ON_WM_CTLCOLOR_REFLECT()
ON_MESSAGE(BM_SETSTYLE, OnBmSetStyle)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
ON_MESSAGE(BM_SETCHECK, OnBmSetCheck)
ON_MESSAGE(BM_GETCHECK, OnBmGetCheck)
END_MESSAGE_MAP()

CIconButton::CIconButton()
{
    FreeImages(FALSE);
    SetPressShift(0, FALSE);
    ResetStateColors(FALSE);
    SetLinkUrl(nullptr);
}

CIconButton::~CIconButton()
{
    DropBackgroundCopy();
    if (m_cursor)
        ::DestroyCursor(m_cursor);
    m_cursor = nullptr;
    m_captionFont.DeleteObject();
}

void CIconButton::Repaint(BOOL repaint)
{
    // Without a window, Invalidate would repaint every window of the desktop.
    if (repaint && m_hWnd)
        Invalidate(TRUE);
}

// ---- setters ------------------------------------------------------------------

BOOL CIconButton::ReadIconSize(HICON icon, ButtonIconEntry& entry)
{
    ICONINFO info = {};
    if (!::GetIconInfo(icon, &info))
        return FALSE;
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    entry.width = info.xHotspot * 2;
    entry.height = info.yHotspot * 2;
    return TRUE;
}

DWORD CIconButton::SetIcons(HICON active, HICON normal)
{
    if (!m_hWnd)
        return BTNRESULT_OK;
    m_icons[0].handle = active;
    if (!ReadIconSize(active, m_icons[0]))
        return BTNRESULT_BAD_RESOURCE;
    if (normal) {
        INT_PTR special = reinterpret_cast<INT_PTR>(normal);
        if (special == BTNICON_AUTO_DARK)
            normal = MakeDarkIcon(active);
        else if (special == BTNICON_AUTO_GRAY)
            normal = MakeGrayIcon(active);
        m_icons[1].handle = normal;
        if (!ReadIconSize(normal, m_icons[1]))
            return BTNRESULT_BAD_RESOURCE;
    }
    Repaint(TRUE);
    return BTNRESULT_OK;
}

void CIconButton::SetFontStyle(int height, int, int weight, BYTE italic)
{
    if (!m_hWnd)
        return;
    LOGFONTW logFont = MakeControlLogFont(height, weight, italic);
    m_captionFont.DeleteObject();
    m_captionFont.CreateFontIndirect(&logFont);
    SetFont(&m_captionFont, TRUE);
}

DWORD CIconButton::SetCaptionPlacement(BYTE placement, BOOL repaint)
{
    if (!m_hWnd)
        return 0;
    m_captionPlacement = placement;
    Repaint(repaint);
    return 4;
}

DWORD CIconButton::SetStateColor(BYTE index, COLORREF color, BOOL repaint)
{
    if (!m_hWnd)
        return BTNRESULT_OK;
    if (index >= BTNCOLOR_COUNT)
        return BTNRESULT_BAD_INDEX;
    m_stateColors[index] = color;
    Repaint(repaint);
    return BTNRESULT_OK;
}

CSize CIconButton::ActiveImageSize() const
{
    if (m_icons[0].handle)
        return CSize(static_cast<int>(m_icons[0].width), static_cast<int>(m_icons[0].height));
    return CSize(static_cast<int>(m_bitmaps[0].width), static_cast<int>(m_bitmaps[0].height));
}

void CIconButton::ResizeWindowTo(CSize size)
{
    m_imageOrigin = CPoint(0, 0);
    SetWindowPos(nullptr, -1, -1, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

void CIconButton::ResizeToImage()
{
    if (m_hWnd && (m_icons[0].handle || m_bitmaps[0].handle))
        ResizeWindowTo(ActiveImageSize());
}

DWORD CIconButton::SetFlatLook(BOOL flat, BOOL repaint)
{
    if (m_hWnd) {
        m_flat = flat;
        Repaint(repaint);
    }
    return 0;
}

DWORD CIconButton::ResetStateColors(BOOL repaint)
{
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    m_stateColors[BTNCOLOR_BK_ACTIVE] = m_stateColors[BTNCOLOR_BK_NORMAL] = m_stateColors[BTNCOLOR_BK_FOCUS] = face;
    m_stateColors[BTNCOLOR_FG_ACTIVE] = m_stateColors[BTNCOLOR_FG_NORMAL] = m_stateColors[BTNCOLOR_FG_FOCUS] = text;
    Repaint(repaint);
    return 0;
}

BOOL CIconButton::StoreBitmap(int index, HBITMAP bitmap, COLORREF transparent)
{
    ButtonBitmapEntry& entry = m_bitmaps[index];
    entry.handle = bitmap;
    entry.transparent = transparent;
    BITMAP info = {};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return FALSE;
    entry.width = static_cast<DWORD>(info.bmWidth);
    entry.height = static_cast<DWORD>(info.bmHeight);
    return TRUE;
}

BOOL CIconButton::MaskBitmap(int index)
{
    ButtonBitmapEntry& entry = m_bitmaps[index];
    entry.mask = MakeMaskBitmap(entry.handle, entry.width, entry.height, entry.transparent);
    return entry.mask != nullptr;
}

DWORD CIconButton::SetImageBitmaps(HBITMAP active, COLORREF transparentActive, HBITMAP normal,
                                   COLORREF transparentNormal)
{
    if (!m_hWnd)
        return BTNRESULT_OK;
    if (active) {
        if (!StoreBitmap(0, active, transparentActive))
            return BTNRESULT_BAD_RESOURCE;
        // The derived twin is made before the mask, which blackens the
        // transparent pixels of the active bitmap itself.
        INT_PTR special = reinterpret_cast<INT_PTR>(normal);
        BOOL derived = special == BTNICON_AUTO_DARK || special == BTNICON_AUTO_GRAY;
        if (derived) {
            const ButtonBitmapEntry& entry = m_bitmaps[0];
            normal = special == BTNICON_AUTO_DARK
                         ? MakeDarkBitmap(active, entry.width, entry.height, transparentActive)
                         : MakeGrayBitmap(active, entry.width, entry.height, transparentActive);
            transparentNormal = transparentActive;
        }
        if (!MaskBitmap(0))
            return BTNRESULT_MASK_FAILED;
        // A derived twin that could not be made counts as a bad normal bitmap.
        if (normal || derived) {
            if (!StoreBitmap(1, normal, transparentNormal))
                return BTNRESULT_BAD_RESOURCE;
            if (!MaskBitmap(1))
                return BTNRESULT_MASK_FAILED;
        }
    }
    Repaint(TRUE);
    return BTNRESULT_OK;
}

DWORD CIconButton::SetImageAlign(BYTE align, BOOL repaint)
{
    if (!m_hWnd)
        return BTNRESULT_OK;
    if (align > 3)
        return BTNRESULT_BAD_ALIGN;
    m_imageAlign = align;
    Repaint(repaint);
    return BTNRESULT_OK;
}

DWORD CIconButton::SetPressShift(BYTE style, BOOL repaint)
{
    if (style == 0)
        m_pressedOffset = CPoint(1, 1);
    else if (style == 1)
        m_pressedOffset = CPoint(0, 2);
    else
        return BTNRESULT_BAD_PRESSED_STYLE;
    Repaint(repaint);
    return BTNRESULT_OK;
}

DWORD CIconButton::ShowBorder(BOOL show, BOOL repaint)
{
    if (m_hWnd) {
        m_showBorder = show;
        Repaint(repaint);
    }
    return 0;
}

DWORD CIconButton::ShowFlatFocus(BOOL show, BOOL repaint)
{
    if (m_hWnd) {
        m_flatFocus = show;
        Repaint(repaint);
    }
    return 0;
}

DWORD CIconButton::SetTrackWhenInactive(BOOL track)
{
    m_trackWhenInactive = track;
    return 0;
}

DWORD CIconButton::SetCheckState(int check, BOOL repaint)
{
    if (m_hWnd && m_checkboxMode) {
        m_checkState = check != 0;
        Repaint(repaint);
    }
    return 0;
}

DWORD CIconButton::GetStateColor(BYTE index, COLORREF* color) const
{
    if (index >= BTNCOLOR_COUNT)
        return BTNRESULT_BAD_INDEX;
    *color = m_stateColors[index];
    return BTNRESULT_OK;
}

DWORD CIconButton::OffsetStateColor(BYTE index, short offset, BOOL repaint)
{
    if (index >= BTNCOLOR_COUNT)
        return BTNRESULT_BAD_INDEX;
    if (offset < -255 || offset > 255)
        return BTNRESULT_BAD_PARAM;
    COLORREF color = m_stateColors[index];
    int channels[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
    // One shift for all three channels, as large as the brightest (or darkest)
    // channel allows, so the hue stays.
    int shift = offset;
    for (int c : channels) {
        if (offset > 0 && c + offset > 255)
            shift = std::min(shift, 255 - c);
        else if (offset <= 0 && c + offset < 0)
            shift = std::max(shift, -c);
    }
    m_stateColors[index] = RGB(channels[0] + shift, channels[1] + shift, channels[2] + shift);
    Repaint(repaint);
    return BTNRESULT_OK;
}

DWORD CIconButton::SetButtonCursor(int cursorId, BOOL repaint)
{
    if (!m_hWnd)
        return 0;
    if (m_cursor) {
        ::DestroyCursor(m_cursor);
        m_cursor = nullptr;
    }
    if (cursorId == 0)
        return 0;
    m_cursor = static_cast<HCURSOR>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(cursorId), IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR));
    Repaint(repaint);
    return m_cursor ? 0 : BTNRESULT_BAD_RESOURCE;
}

void CIconButton::SetBalloonStyle()
{
    m_tooltipStyle |= TTS_BALLOON;
}

void CIconButton::EnsureTooltip()
{
    if (m_tooltip.m_hWnd)
        return;
    SetBalloonStyle();
    m_tooltip.Create(this, m_tooltipStyle);
    m_tooltip.Activate(FALSE);
    m_tooltip.SetMaxTipWidth(400);
}

void CIconButton::SetTooltip(LPCWSTR text, BOOL activate)
{
    if (!m_hWnd || !text)
        return;
    EnsureTooltip();
    if (m_tooltip.GetToolCount() == 0) {
        CRect client;
        GetClientRect(&client);
        m_tooltip.AddTool(this, text, &client, 1);
    }
    m_tooltip.UpdateTipText(text, this, 1);
    m_tooltip.Activate(activate);
}

void CIconButton::SetTooltipById(int stringId, BOOL activate)
{
    if (!m_hWnd)
        return;
    wchar_t text[1024] = {};
    ::LoadStringW(AfxGetResourceHandle(), static_cast<UINT>(stringId), text, 1024);
    if (text[0])
        SetTooltip(text, activate);
}

void CIconButton::ActivateTip(BOOL activate)
{
    if (m_hWnd && m_tooltip.m_hWnd && m_tooltip.GetToolCount() > 0)
        m_tooltip.Activate(activate);
}

void CIconButton::EnableTransparency(BOOL repaint)
{
    if (!m_hWnd)
        return;
    m_transparent = TRUE;
    DropBackgroundCopy();
    Repaint(repaint);
}

DWORD CIconButton::SetBackgroundCopy(CDC* parentDC)
{
    if (!m_hWnd)
        return BTNRESULT_OK;
    if (!m_transparent || !parentDC)
        return BTNRESULT_BAD_PARAM;
    DropBackgroundCopy();
    CaptureBackground(parentDC);
    return BTNRESULT_OK;
}

void CIconButton::ResizeToImageWithMargin(int margin)
{
    if (!m_hWnd)
        return;
    if (GetWindowTextLength() == 0) {
        ResizeToImage();
        return;
    }
    // The margin makes room for the caption beside or below the image; an
    // image placed nowhere (alignment 3) gets none.
    CSize size = ActiveImageSize();
    if (m_imageAlign == BTNALIGN_VERT)
        size.cy += margin;
    else if (m_imageAlign == BTNALIGN_HORZ || m_imageAlign == BTNALIGN_HORZ_RIGHT)
        size.cx += margin;
    ResizeWindowTo(size);
}

void CIconButton::EnableIfCreated(BOOL enable)
{
    if (m_hWnd)
        EnableWindow(enable);
}

void CIconButton::SetCreateParams(CString caption, UINT id, const RECT& rect)
{
    m_createCaption = caption;
    m_createId = id;
    m_createRect = rect;
}

void CIconButton::SetCreateParent(CWnd* parent)
{
    m_pCreateParent = parent;
}

BOOL CIconButton::CreateFromParams()
{
    BOOL created = CButton::Create(m_createCaption, WS_CHILD | BS_BITMAP, m_createRect, m_pCreateParent, m_createId);
    ShowWindow(SW_SHOW);
    return created;
}

DWORD CIconButton::SetLinkUrl(LPCWSTR url)
{
    std::fill(std::begin(m_linkUrl), std::end(m_linkUrl), L'\0');
    if (url)
        lstrcpynW(m_linkUrl, url, 260);
    return 0;
}

void CIconButton::FreeImages(BOOL destroy)
{
    if (destroy) {
        for (ButtonIconEntry& icon : m_icons) {
            if (icon.handle)
                ::DestroyIcon(icon.handle);
        }
        for (ButtonBitmapEntry& bitmap : m_bitmaps) {
            if (bitmap.handle)
                ::DeleteObject(bitmap.handle);
            if (bitmap.mask)
                ::DeleteObject(bitmap.mask);
        }
    }
    std::fill(std::begin(m_icons), std::end(m_icons), ButtonIconEntry{});
    std::fill(std::begin(m_bitmaps), std::end(m_bitmaps), ButtonBitmapEntry{});
}

// ---- framework overrides ----------------------------------------------------

void CIconButton::PreSubclassWindow()
{
    UINT type = GetButtonStyle() & 0x1F;
    if (type & 0x2)
        m_checkboxMode = TRUE;
    if (type == BS_DEFPUSHBUTTON)
        m_defaultButton = TRUE;
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

BOOL CIconButton::PreTranslateMessage(MSG* msg)
{
    EnsureTooltip();
    m_tooltip.RelayEvent(msg);
    // A double click counts as a second click.
    if (msg->message == WM_LBUTTONDBLCLK)
        msg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(msg);
}

// ---- message handlers -------------------------------------------------------

BOOL CIconButton::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (m_cursor) {
        ::SetCursor(m_cursor);
        return TRUE;
    }
    return CButton::OnSetCursor(wnd, hitTest, message);
}

void CIconButton::OnKillFocus(CWnd* newWnd)
{
    CButton::OnKillFocus(newWnd);
    EndHover();
}

void CIconButton::OnMouseMove(UINT flags, CPoint point)
{
    CButton::OnMouseMove(flags, point);
    ClientToScreen(&point);
    HWND under = ::WindowFromPoint(point);
    if ((flags & MK_LBUTTON) && !m_hover)
        return;
    if (!m_flat)
        return;
    HWND reference = m_trackWhenInactive ? m_hWnd : ::GetActiveWindow();
    if (under == m_hWnd && reference) {
        if (!m_hover) {
            m_hover = TRUE;
            Invalidate(TRUE);
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
            ::_TrackMouseEvent(&track);
        }
    } else {
        EndHover();
    }
}

void CIconButton::EndHover()
{
    if (m_flat && m_hover) {
        m_hover = FALSE;
        Invalidate(TRUE);
    }
}

void CIconButton::OnSysColorChange()
{
    CButton::OnSysColorChange();
    DropBackgroundCopy();
    ResetStateColors(TRUE);
}

BOOL CIconButton::OnBnClicked()
{
    SetFocus();
    if (m_checkboxMode) {
        m_checkState = !m_checkState;
        Invalidate(TRUE);
    }
    return FALSE; // the parent's own click handler runs as well
}

void CIconButton::OnActivate(UINT state, CWnd* other, BOOL minimized)
{
    CButton::OnActivate(state, other, minimized);
    if (state == WA_INACTIVE)
        EndHover();
}

void CIconButton::OnEnable(BOOL enable)
{
    CButton::OnEnable(enable);
    if (enable)
        return;
    if (CWnd* parent = GetParent()) {
        HWND next = ::GetNextDlgTabItem(parent->m_hWnd, m_hWnd, FALSE);
        if (next && next != m_hWnd)
            ::SetFocus(next);
        else
            parent->SetFocus();
    }
    EndHover();
}

void CIconButton::OnCancelMode()
{
    CButton::OnCancelMode();
    EndHover();
}

UINT CIconButton::OnGetDlgCode()
{
    UINT code = CButton::OnGetDlgCode();
    return code | (m_defaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

HBRUSH CIconButton::CtlColor(CDC*, UINT)
{
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

LRESULT CIconButton::OnBmSetStyle(WPARAM wParam, LPARAM lParam)
{
    UINT type = static_cast<UINT>(wParam) & 0x1F;
    if (type == BS_DEFPUSHBUTTON)
        m_defaultButton = TRUE;
    else if (type == BS_PUSHBUTTON)
        m_defaultButton = FALSE;
    // The platform would make the button a plain push button again.
    return DefWindowProc(BM_SETSTYLE, (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lParam);
}

LRESULT CIconButton::OnMouseLeave(WPARAM, LPARAM)
{
    EndHover();
    return 0;
}

LRESULT CIconButton::OnBmSetCheck(WPARAM wParam, LPARAM)
{
    if (m_checkboxMode)
        SetCheckState(wParam == BST_CHECKED || wParam == BST_INDETERMINATE, TRUE);
    return 0;
}

LRESULT CIconButton::OnBmGetCheck(WPARAM, LPARAM)
{
    return m_checkboxMode ? m_checkState : 0;
}

// ---- painting -----------------------------------------------------------------

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
