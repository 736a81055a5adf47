#include "StyleStatic.h"

#include "ControlFont.h"

#include <shellapi.h>

IMPLEMENT_DYNAMIC(CStyleStatic, CStatic)

BEGIN_MESSAGE_MAP(CStyleStatic, CStatic)
ON_WM_PAINT()
ON_WM_TIMER()
ON_WM_SYSCOLORCHANGE()
ON_WM_SETCURSOR()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CStyleStatic::CStyleStatic()
    : m_crTextColor(GetSysColor(COLOR_WINDOWTEXT)), m_crShadowColor(0xFFFFFF), m_crGradientEnd(0), m_crBackColor(0),
      m_hCursor(NULL), m_hDefaultBrush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))), m_hBackBrush(NULL),
      m_bBlinkPhase(FALSE), m_bTimerRunning(FALSE), m_bTransparent(TRUE), m_b3DText(FALSE), m_bNotifyParent(FALSE),
      m_bRotate(FALSE), m_blinkKind(STYLESTATIC_BLINK_NONE), m_linkKind(STYLESTATIC_LINK_NONE),
      m_b3DOffsetPositive(FALSE), m_bGradient(FALSE)
{
    ZeroMemory(&m_lf, sizeof(m_lf));
    RecreateFont();
}

CStyleStatic::~CStyleStatic()
{
    m_font.DeleteObject();
    DeleteObject(m_hDefaultBrush);
    if (m_hBackBrush)
        DeleteObject(m_hBackBrush);
}

BOOL CStyleStatic::PreCreateWindow(CREATESTRUCT& cs)
{
    return CStatic::PreCreateWindow(cs);
}

void CStyleStatic::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    // Start in the font the dialog gave the control.
    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0));
    if (font == NULL)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    GetObject(font, sizeof(m_lf), &m_lf);
    RecreateFont();
}

// ---- font and colours ----------------------------------------------------------

void CStyleStatic::RecreateFont()
{
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&m_lf);
}

void CStyleStatic::SetFontStyle(int height, int, int weight, BYTE italic)
{
    m_lf = MakeControlLogFont(height, weight, italic);
    RecreateFont();
    RedrawInParent();
}

void CStyleStatic::SetTextColor(COLORREF color)
{
    m_crTextColor = color;
    RedrawInParent();
}

void CStyleStatic::SetLogFont(const LOGFONT& lf)
{
    m_lf = lf;
    RecreateFont();
    RedrawInParent();
}

void CStyleStatic::SetFaceName(const CString& face, BYTE charset)
{
    m_lf.lfCharSet = charset;
    // A longer name is cut to what the field holds, terminator included.
    lstrcpynW(m_lf.lfFaceName, face.GetString(), LF_FACESIZE);
    RecreateFont();
    RedrawInParent();
}

void CStyleStatic::SetRotation(int degrees, BOOL rotate)
{
    m_lf.lfEscapement = m_lf.lfOrientation = degrees * 10;
    m_bRotate = rotate;
    RecreateFont();
    RedrawInParent();
}

void CStyleStatic::SetBackColor(COLORREF back, COLORREF gradientEnd, BOOL gradient)
{
    m_crBackColor = back;
    m_crGradientEnd = gradientEnd;
    m_bGradient = gradient;
    if (m_hBackBrush)
        DeleteObject(m_hBackBrush);
    m_hBackBrush = gradient ? NULL : CreateSolidBrush(back);
    RedrawInParent();
}

void CStyleStatic::Set3DText(BOOL on, BOOL offsetPositive)
{
    m_b3DText = on;
    m_b3DOffsetPositive = offsetPositive;
    RedrawInParent();
}

void CStyleStatic::SetShadowColor(COLORREF color)
{
    m_crShadowColor = color;
    RedrawInParent();
}

void CStyleStatic::SetText(const CString& text)
{
    if (!GetSafeHwnd())
        return;
    SetWindowText(text);
    RedrawInParent();
}

void CStyleStatic::SetTransparentMode(BOOL transparent)
{
    m_bTransparent = transparent;
    ModifyStyleEx(0, WS_EX_TRANSPARENT);
    RedrawInParent();
}

void CStyleStatic::ShowBorder(BOOL show)
{
    if (show)
        ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED);
    else
        ModifyStyle(WS_BORDER, 0, SWP_FRAMECHANGED);
}

void CStyleStatic::ShowSunken(BOOL show)
{
    if (show)
        ModifyStyleEx(0, WS_EX_STATICEDGE, SWP_FRAMECHANGED);
    else
        ModifyStyleEx(WS_EX_STATICEDGE, 0, SWP_FRAMECHANGED);
}

// ---- links -----------------------------------------------------------------------

void CStyleStatic::SetLinkKind(int kind, BOOL link, BOOL notifyParent)
{
    m_bNotifyParent = notifyParent;
    m_linkKind = link ? kind : STYLESTATIC_LINK_NONE;
    // A static control sees mouse clicks only with SS_NOTIFY.
    if (m_linkKind != STYLESTATIC_LINK_NONE)
        ModifyStyle(0, SS_NOTIFY);
    else
        ModifyStyle(SS_NOTIFY, 0);
}

void CStyleStatic::SetUrlLink(BOOL link, BOOL notifyParent)
{
    SetLinkKind(STYLESTATIC_LINK_URL, link, notifyParent);
}

void CStyleStatic::SetMailtoLink(BOOL link, BOOL notifyParent)
{
    SetLinkKind(STYLESTATIC_LINK_MAIL, link, notifyParent);
}

void CStyleStatic::OpenLink(LPCWSTR verb, LPCWSTR address)
{
    ShellExecuteW(NULL, verb, address, NULL, NULL, SW_SHOWNORMAL);
}

void CStyleStatic::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_bNotifyParent) {
        NMHDR header;
        header.hwndFrom = GetSafeHwnd();
        header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        header.code = NM_STYLESTATIC_CLICK;
        GetParent()->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    } else if (m_linkKind == STYLESTATIC_LINK_URL) {
        CString text;
        GetWindowText(text);
        OpenLink(L"open", m_strUrl.IsEmpty() ? text.GetString() : m_strUrl.GetString());
    } else if (m_linkKind == STYLESTATIC_LINK_MAIL) {
        CString text;
        GetWindowText(text);
        CString address = CString(L"mailto:") + text;
        OpenLink(NULL, address.GetString());
    }
    CStatic::OnLButtonDown(nFlags, point);
}

BOOL CStyleStatic::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_hCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CStatic::OnSetCursor(pWnd, nHitTest, message);
}

// ---- blinking ------------------------------------------------------------------

void CStyleStatic::StopBlinkTimer()
{
    if (m_bTimerRunning) {
        KillTimer(IDT_STYLESTATIC_BLINK);
        m_bTimerRunning = FALSE;
    }
}

void CStyleStatic::StartBlink(int kind)
{
    m_bBlinkPhase = FALSE;
    m_bTimerRunning = TRUE;
    SetTimer(IDT_STYLESTATIC_BLINK, STYLESTATIC_BLINK_PERIOD_MS, NULL);
    m_blinkKind = kind;
}

void CStyleStatic::BlinkText(BOOL on)
{
    StopBlinkTimer();
    if (on)
        StartBlink(STYLESTATIC_BLINK_TEXT);
    else
        m_blinkKind = STYLESTATIC_BLINK_NONE;
}

void CStyleStatic::BlinkBackground(BOOL on)
{
    StopBlinkTimer();
    if (on)
        StartBlink(STYLESTATIC_BLINK_BACKGROUND);
}

void CStyleStatic::OnTimer(UINT_PTR nIDEvent)
{
    m_bBlinkPhase = !m_bBlinkPhase;
    RedrawInParent();
    CStatic::OnTimer(nIDEvent);
}

// ---- painting ------------------------------------------------------------------

void CStyleStatic::RedrawInParent()
{
    if (!GetSafeHwnd())
        return;
    CRect rect;
    GetWindowRect(&rect);
    RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    CWnd* parent = GetParent();
    if (parent == NULL)
        return;
    // The parent repaints its background under a transparent label.
    parent->ScreenToClient(&rect);
    parent->InvalidateRect(&rect, TRUE);
    parent->UpdateWindow();
}

void CStyleStatic::OnSysColorChange()
{
    DeleteObject(m_hDefaultBrush);
    m_hDefaultBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
}

BOOL CStyleStatic::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CStyleStatic::DrawGradient(CDC* pDC, const CRect& rect, COLORREF from, COLORREF to, int steps)
{
    int width = rect.Width();
    if (steps > width)
        steps = width;
    if (steps <= 0)
        return;
    int divisor = steps > 1 ? steps : 1;

    int red = GetRValue(from) * 256, green = GetGValue(from) * 256, blue = GetBValue(from) * 256;
    int redStep = (GetRValue(to) - GetRValue(from)) * 256 / divisor;
    int greenStep = (GetGValue(to) - GetGValue(from)) * 256 / divisor;
    int blueStep = (GetBValue(to) - GetBValue(from)) * 256 / divisor;
    int stripWidth = width / divisor;

    HDC dc = pDC->GetSafeHdc();
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
    int left = rect.left;
    for (int i = 0; i < steps; i++) {
        int right = (i == steps - 1) ? rect.right : left + stripWidth;
        HBRUSH strip = CreateSolidBrush(RGB(red / 256, green / 256, blue / 256));
        SelectObject(dc, strip);
        // Without a pen a rectangle leaves out its right and bottom edge.
        Rectangle(dc, left, rect.top, right + 1, rect.bottom + 1);
        SelectObject(dc, oldBrush);
        DeleteObject(strip);
        left = right;
        red += redStep;
        green += greenStep;
        blue += blueStep;
    }
    SelectObject(dc, oldPen);
}

UINT CStyleStatic::TextFormat(const CString& text) const
{
    DWORD style = GetStyle();
    UINT format;
    switch (style & SS_TYPEMASK) {
    case SS_LEFT:
        format = DT_WORDBREAK;
        break;
    case SS_CENTER:
        format = DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format = DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        format = DT_LEFT;
        break;
    default:
        format = 0;
        break;
    }
    if (text.Find(L'\t') >= 0)
        format |= DT_EXPANDTABS;
    if (style & SS_CENTERIMAGE) {
        format = DT_CENTER;
        if (text.Find(L"\r\n") < 0)
            format |= DT_VCENTER | DT_SINGLELINE;
    }
    return format;
}

void CStyleStatic::OnPaint()
{
    CPaintDC paintDC(this);
    CRect client;
    GetClientRect(&client);
    CString text;
    GetWindowText(text);

    HDC target = paintDC.GetSafeHdc();
    HDC surface = target;
    HBITMAP offscreen = NULL;
    HGDIOBJ oldBitmap = NULL;
    if (!m_bTransparent) {
        surface = CreateCompatibleDC(target);
        offscreen = CreateCompatibleBitmap(target, client.Width(), client.Height());
        oldBitmap = SelectObject(surface, offscreen);
    }

    int oldMode = SetBkMode(surface, TRANSPARENT);
    COLORREF oldColor = ::SetTextColor(surface, m_crTextColor);
    HGDIOBJ oldFont = SelectObject(surface, m_font.GetSafeHandle());

    if (!m_bTransparent) {
        if (m_bGradient) {
            CDC* surfaceDC = CDC::FromHandle(surface);
            DrawGradient(surfaceDC, client, m_crBackColor, m_crGradientEnd, STYLESTATIC_GRADIENT_STEPS);
        } else {
            FillRect(surface, &client, m_hBackBrush ? m_hBackBrush : m_hDefaultBrush);
        }
    }

    if (m_blinkKind == STYLESTATIC_BLINK_TEXT && !m_bBlinkPhase) {
        // The hidden half: the text takes the colour of the background.
        LOGBRUSH lb = {BS_SOLID, RGB(0, 0, 0), 0};
        if (m_hBackBrush)
            GetObject(m_hBackBrush, sizeof(lb), &lb);
        ::SetTextColor(surface, lb.lbColor);
    }

    if (m_bRotate) {
        UINT oldAlign = SetTextAlign(surface, TA_LEFT | TA_BASELINE);
        POINT oldOrigin;
        SetViewportOrgEx(surface, client.Width() / 2, client.Height() / 2, &oldOrigin);
        TextOutW(surface, 0, 0, text.GetString(), text.GetLength());
        SetViewportOrgEx(surface, oldOrigin.x, oldOrigin.y, NULL);
        SetTextAlign(surface, oldAlign);
    } else {
        UINT format = TextFormat(text);
        RECT rect = client;
        DrawTextW(surface, text.GetString(), -1, &rect, format);
        if (m_b3DText) {
            int offset = m_b3DOffsetPositive ? 1 : -1;
            OffsetRect(&rect, offset, offset);
            ::SetTextColor(surface, m_crShadowColor);
            DrawTextW(surface, text.GetString(), -1, &rect, format);
        }
    }

    SetBkMode(surface, oldMode);
    SelectObject(surface, oldFont);
    ::SetTextColor(surface, oldColor);

    if (!m_bTransparent) {
        BitBlt(target, 0, 0, client.Width(), client.Height(), surface, 0, 0, SRCCOPY);
        SelectObject(surface, oldBitmap);
        DeleteDC(surface);
        DeleteObject(offscreen);
    }
}
