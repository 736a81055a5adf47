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
    SetControlFont(*this, m_captionFont, height, weight, italic);
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
