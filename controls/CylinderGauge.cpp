#include "CylinderGauge.h"

#include "WideFormat.h"

#include <algorithm>

using namespace Gdiplus;

namespace {

ARGB WithAlpha(ARGB color, BYTE alpha)
{
    return (color & 0x00FFFFFF) | (static_cast<ARGB>(alpha) << 24);
}

// The face to write the percentage in: the parent font's own, or, for a
// substitute name such as "MS Shell Dlg" that GDI+ knows no family of, the
// face that the font mapper picks for the description.
BOOL ResolveFaceName(const LOGFONT& lf, WCHAR face[LF_FACESIZE])
{
    FontFamily named(lf.lfFaceName);
    if (named.IsAvailable()) {
        lstrcpynW(face, lf.lfFaceName, LF_FACESIZE);
        return TRUE;
    }
    HDC screen = ::GetDC(NULL);
    Font mapped(screen, &lf);
    ::ReleaseDC(NULL, screen);
    FontFamily family;
    if (mapped.GetLastStatus() == Ok && mapped.GetFamily(&family) == Ok && family.GetFamilyName(face) == Ok)
        return TRUE;
    const FontFamily* generic = FontFamily::GenericSansSerif();
    return generic && generic->IsAvailable() && generic->GetFamilyName(face) == Ok;
}

} // namespace

BEGIN_MESSAGE_MAP(CCylinderGauge, CProgressCtrl)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR_REFLECT()
ON_WM_NCPAINT()
END_MESSAGE_MAP()

CCylinderGauge::CCylinderGauge()
    : m_bTransparent(FALSE), m_bShowText(TRUE), m_bShowOutline(TRUE), m_crFill(0xFFFFD700), m_crEmpty(0xFFD3D3D3),
      m_crOutline(0xFF808080), m_crBackground(ArgbFromColorRef(GetSysColor(COLOR_BTNFACE))),
      m_crText(ArgbFromColorRef(GetSysColor(COLOR_BTNTEXT))), m_nLower(0), m_nUpper(100), m_nRangeSize(100),
      m_nStep(10), m_nPos(0), m_nCapWidth(10), m_chUnit(L'%'), m_pOldBitmap(NULL)
{
}

CCylinderGauge::~CCylinderGauge()
{
    DropBackgroundCopy();
    m_tooltip.DestroyWindow();
}

ARGB CCylinderGauge::ArgbFromColorRef(COLORREF color)
{
    return Color::MakeARGB(255, GetRValue(color), GetGValue(color), GetBValue(color));
}

ARGB CCylinderGauge::ShadeColor(ARGB color, int index)
{
    static const float factors[] = {0.7f, 0.5f, 0.8f, 0.4f};
    float factor = (index >= 0 && index < 4) ? factors[index] : 1.0f;
    auto shade = [factor](BYTE c) {
        return static_cast<BYTE>(static_cast<int>(static_cast<float>(c / 2) + static_cast<float>(c) * factor / 2));
    };
    Color in(color);
    return Color::MakeARGB(in.GetA(), shade(in.GetR()), shade(in.GetG()), shade(in.GetB()));
}

// ---- range and position ----------------------------------------------------

void CCylinderGauge::UpdateRangeSize()
{
    long long size = static_cast<long long>(m_nUpper) - m_nLower;
    if (size < 0)
        size = -size;
    m_nRangeSize = size == 0 ? 1 : static_cast<int>(std::min<long long>(size, INT_MAX));
}

void CCylinderGauge::SetRange32(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
    UpdateRangeSize();
    CProgressCtrl::SetRange32(lower, upper);
}

void CCylinderGauge::SetRange(short lower, short upper)
{
    m_nLower = lower;
    m_nUpper = upper;
    UpdateRangeSize();
    CProgressCtrl::SetRange(lower, upper);
}

int CCylinderGauge::SetPos(int pos)
{
    // The nearest end of the range; a reversed range still bounds the position.
    int low = std::min(m_nLower, m_nUpper);
    int high = std::max(m_nLower, m_nUpper);
    m_nPos = std::clamp(pos, low, high);
    return CProgressCtrl::SetPos(m_nPos);
}

int CCylinderGauge::SetStep(int step)
{
    m_nStep = step;
    return CProgressCtrl::SetStep(step);
}

int CCylinderGauge::StepIt()
{
    m_nPos += m_nStep;
    if (m_nPos > m_nUpper)
        m_nPos = m_nPos - m_nUpper + m_nLower;
    return CProgressCtrl::StepIt();
}

int CCylinderGauge::GetPercent() const
{
    // Measured from the lower end, so that any lower bound, negative or not,
    // maps the range onto 0..100.
    double covered = static_cast<double>(m_nPos) - m_nLower;
    int percent = static_cast<int>(covered * 100.0 / m_nRangeSize);
    return std::clamp(percent, 0, 100);
}

// ---- look --------------------------------------------------------------------

void CCylinderGauge::Repaint(BOOL repaint)
{
    if (repaint && GetSafeHwnd())
        Invalidate(TRUE);
}

void CCylinderGauge::SetFillColor(ARGB color, BOOL repaint)
{
    m_crFill = color;
    Repaint(repaint);
}

void CCylinderGauge::SetEmptyColor(ARGB color, BOOL repaint)
{
    m_crEmpty = color;
    Repaint(repaint);
}

void CCylinderGauge::SetOutlineColor(ARGB color, BOOL repaint)
{
    m_crOutline = color;
    Repaint(repaint);
}

void CCylinderGauge::SetTextColor(ARGB color, BOOL repaint)
{
    m_crText = color;
    Repaint(repaint);
}

void CCylinderGauge::SetBackgroundColor(ARGB color, BOOL repaint)
{
    m_crBackground = color;
    Repaint(repaint);
}

void CCylinderGauge::SetColors(ARGB fill, ARGB empty, ARGB outline, ARGB text, ARGB background, BOOL repaint)
{
    SetFillColor(fill, FALSE);
    SetEmptyColor(empty, FALSE);
    SetOutlineColor(outline, FALSE);
    SetTextColor(text, FALSE);
    SetBackgroundColor(background, repaint);
}

void CCylinderGauge::SetAlpha(BYTE alpha, BOOL repaint)
{
    m_crFill = WithAlpha(m_crFill, alpha);
    m_crEmpty = WithAlpha(m_crEmpty, alpha);
    m_crOutline = WithAlpha(m_crOutline, alpha);
    m_crText = WithAlpha(m_crText, alpha);
    Repaint(repaint);
}

BYTE CCylinderGauge::GetAlpha() const
{
    return static_cast<BYTE>(m_crFill >> 24);
}

void CCylinderGauge::ShowText(BOOL show, BOOL repaint)
{
    m_bShowText = show;
    Repaint(repaint);
}

void CCylinderGauge::ShowOutline(BOOL show, BOOL repaint)
{
    m_bShowOutline = show;
    Repaint(repaint);
}

// ---- transparency --------------------------------------------------------------

void CCylinderGauge::DropBackgroundCopy()
{
    if (m_dcBackground.GetSafeHdc() && m_pOldBitmap)
        m_dcBackground.SelectObject(m_pOldBitmap);
    m_pOldBitmap = NULL;
    m_bmpBackground.DeleteObject();
    m_dcBackground.DeleteDC();
}

int CCylinderGauge::EnableTransparency(BOOL repaint)
{
    m_bTransparent = TRUE;
    DropBackgroundCopy();
    Repaint(repaint);
    return 0;
}

int CCylinderGauge::SetBackgroundCopy(CDC* pParentDC)
{
    if (!m_bTransparent || pParentDC == NULL)
        return 1;
    DropBackgroundCopy();

    CRect client;
    GetClientRect(&client);
    CRect window;
    GetWindowRect(&window);
    GetParent()->ScreenToClient(&window);

    m_dcBackground.CreateCompatibleDC(pParentDC);
    m_bmpBackground.CreateCompatibleBitmap(pParentDC, client.Width(), client.Height());
    m_pOldBitmap = static_cast<HBITMAP>(m_dcBackground.SelectObject(m_bmpBackground.GetSafeHandle()));
    m_dcBackground.BitBlt(0, 0, client.Width(), client.Height(), pParentDC, window.left, window.top, SRCCOPY);
    return 0;
}

// ---- tooltip -------------------------------------------------------------------

void CCylinderGauge::EnsureTooltip()
{
    if (m_tooltip.GetSafeHwnd())
        return;
    m_tooltip.Create(this, 0);
    m_tooltip.Activate(FALSE);
    m_tooltip.SetMaxTipWidth(400);
}

void CCylinderGauge::SetTooltip(LPCWSTR text, BOOL activate)
{
    if (text == NULL)
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

void CCylinderGauge::SetTooltip(UINT stringId, BOOL activate)
{
    // Length 0 asks for a pointer to the resource's own text.
    LPCWSTR resource = NULL;
    int length = LoadStringW(AfxGetResourceHandle(), stringId, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length > 0) {
        CString text(resource, length);
        SetTooltip(text.GetString(), activate);
    }
}

void CCylinderGauge::ActivateTip(BOOL activate)
{
    if (m_tooltip.GetSafeHwnd() && m_tooltip.GetToolCount() > 0)
        m_tooltip.Activate(activate);
}

BOOL CCylinderGauge::PreTranslateMessage(MSG* pMsg)
{
    EnsureTooltip();
    m_tooltip.RelayEvent(pMsg);
    return CProgressCtrl::PreTranslateMessage(pMsg);
}

// ---- painting ------------------------------------------------------------------

void CCylinderGauge::OnPaint()
{
    CPaintDC dc(this);
    Graphics graphics(dc.GetSafeHdc());
    DrawControl(&graphics);
}

BOOL CCylinderGauge::OnEraseBkgnd(CDC*)
{
    // The paint covers every pixel from its off-screen picture.
    return FALSE;
}

HBRUSH CCylinderGauge::CtlColor(CDC*, UINT)
{
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CCylinderGauge::OnNcPaint()
{
    // No border: the cylinder is the whole look of the control.
}

CCylinderGauge::Sections CCylinderGauge::SplitSections(const Rect& body, int percent, int capWidth, BOOL horizontal)
{
    Sections s{body, body, Rect()};
    if (horizontal) {
        int length = static_cast<int>(static_cast<float>(body.Width) / 100 * percent);
        s.empty.X += length;
        s.empty.Width -= length;
        s.filled.Width = length;
        s.farCap = Rect(s.empty.X + s.empty.Width, s.empty.Y, capWidth, s.empty.Height);
    } else {
        int length = static_cast<int>(static_cast<float>(body.Height) / 100 * percent);
        s.empty.Height -= length;
        s.filled.Y = s.empty.Y + s.empty.Height;
        s.filled.Height = body.Height - s.empty.Height;
        s.farCap = Rect(s.empty.X, s.empty.Y - capWidth, s.empty.Width, capWidth);
    }
    return s;
}

void CCylinderGauge::DrawControl(Graphics* target)
{
    CRect client;
    GetClientRect(&client);
    BOOL horizontal = (GetStyle() & PBS_VERTICAL) == 0;

    Bitmap bitmap(client.Width(), client.Height(), PixelFormat32bppARGB);
    Graphics graphics(&bitmap);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);

    Rect full(client.left, client.top, client.Width() - 1, client.Height() - 1);
    Rect back = full;
    // Room for the far end cap, which juts out beyond the body.
    if (horizontal) {
        full.Width -= m_nCapWidth;
    } else {
        full.Y += m_nCapWidth;
        full.Height -= m_nCapWidth;
    }

    if (m_bTransparent)
        DrawParentBackground(&graphics);
    else
        DrawBackground(&graphics, back);

    int percent = GetPercent();
    Sections s = SplitSections(full, percent, m_nCapWidth, horizontal);
    DrawCylinderSegment(&graphics, horizontal, s.empty, m_crEmpty, m_crOutline, percent == 0, m_bShowOutline, FALSE,
                        m_bShowOutline);
    if (percent != 0)
        DrawCylinderSegment(&graphics, horizontal, s.filled, m_crFill, m_crOutline, FALSE, m_bShowOutline,
                            m_bShowOutline, FALSE);
    if (m_bShowOutline) {
        Pen pen(Color(m_crOutline), 1.0f);
        graphics.DrawEllipse(&pen, s.farCap);
    }
    DrawPercentText(&graphics, percent, back, s.empty, s.filled, horizontal);

    target->DrawImage(&bitmap, 0, 0);
}

void CCylinderGauge::DrawCylinderSegment(Graphics* graphics, BOOL horizontal, const Rect& r, ARGB color, ARGB outline,
                                         BOOL nearCap, BOOL bodyOutline, BOOL farCapOutline, BOOL nearCapOutline)
{
    GraphicsPath path(FillModeAlternate);
    SolidBrush brush{Color(color)};
    Pen pen(Color(outline), 1.0f);

    Rect farBox, nearBox;
    if (horizontal) {
        farBox = Rect(r.X + r.Width, r.Y, m_nCapWidth, r.Height);
        nearBox = Rect(r.X, r.Y, m_nCapWidth, r.Height);
        path.AddArc(farBox, 90, 180);
        path.AddArc(nearBox, 270, -180);
    } else {
        farBox = Rect(r.X, r.Y - m_nCapWidth, r.Width, m_nCapWidth);
        nearBox = Rect(r.X, r.Y + r.Height - m_nCapWidth, r.Width, m_nCapWidth);
        path.AddArc(farBox, 0, 180);
        path.AddArc(nearBox, 180, -180);
    }
    path.CloseFigure();

    graphics->FillPath(&brush, &path);
    DrawGlossOverlay(graphics, r, &path, horizontal);
    if (bodyOutline)
        graphics->DrawPath(&pen, &path);

    if (nearCap) {
        path.Reset();
        path.AddEllipse(nearBox);
        SolidBrush nearBrush{Color(ShadeColor(color, 3))};
        graphics->FillPath(&nearBrush, &path);
        if (nearCapOutline)
            graphics->DrawPath(&pen, &path);
    }

    path.Reset();
    path.AddEllipse(farBox);
    SolidBrush farBrush{Color(ShadeColor(color, 2))};
    graphics->FillPath(&farBrush, &path);
    if (farCapOutline)
        graphics->DrawPath(&pen, &path);
}

void CCylinderGauge::DrawGlossOverlay(Graphics* graphics, const Rect& r, GraphicsPath* path, BOOL horizontal)
{
    LinearGradientBrush gloss(r, Color(100, 128, 128, 128), Color(100, 255, 255, 255), horizontal ? -90.0f : -180.0f,
                              FALSE);
    gloss.SetBlendBellShape(0.7f, 1.0f);
    graphics->FillPath(&gloss, path);
}

int CCylinderGauge::DrawBackground(Graphics* graphics, const Rect&)
{
    graphics->Clear(Color(m_crBackground));
    return 0;
}

void CCylinderGauge::DrawParentBackground(Graphics* graphics)
{
    HBITMAP handle = static_cast<HBITMAP>(m_bmpBackground.GetSafeHandle());
    if (handle == NULL)
        return; // no copy taken: the screen's own pixels show through
    // GDI+ must not read a bitmap that a device context holds: the copy leaves
    // its device context while GDI+ makes its own bitmap of it.
    BOOL held = m_dcBackground.GetSafeHdc() && m_pOldBitmap;
    if (held)
        m_dcBackground.SelectObject(m_pOldBitmap);
    Bitmap* parent = Bitmap::FromHBITMAP(handle, NULL);
    if (parent) {
        graphics->DrawImage(parent, 0, 0);
        delete parent;
    }
    if (held)
        m_dcBackground.SelectObject(m_bmpBackground.GetSafeHandle());
}

int CCylinderGauge::DrawPercentText(Graphics* graphics, int percent, const Rect& back, const Rect&, const Rect&, BOOL)
{
    CWnd* parent = GetParent();
    CFont* parentFont = parent ? parent->GetFont() : NULL;
    if (!m_bShowText || parentFont == NULL)
        return 0;

    LOGFONT lf;
    if (!parentFont->GetLogFont(&lf))
        return 0;
    // A positive height is the font's cell height rather than its character
    // height; either way its magnitude gives the size, so that a parent font
    // described either way writes the text instead of asking for a negative size.
    LONG height = lf.lfHeight > 0 ? -lf.lfHeight : lf.lfHeight;
    REAL points = static_cast<REAL>(-MulDiv(static_cast<int>(height * 1.5), 72, static_cast<int>(graphics->GetDpiY())));

    WCHAR face[LF_FACESIZE];
    if (!ResolveFaceName(lf, face))
        return 0;
    Font font(face, points, FontStyleRegular, UnitPoint);

    StringFormat format;
    format.SetAlignment(StringAlignmentCenter);
    format.SetLineAlignment(StringAlignmentCenter);
    SolidBrush brush{Color(m_crText)};

    wchar_t text[256];
    FormatWide(text, 256, L"%d %c", percent, m_chUnit);
    graphics->SetTextRenderingHint(TextRenderingHintAntiAlias);
    RectF layout(static_cast<REAL>(back.X), static_cast<REAL>(back.Y), static_cast<REAL>(back.Width),
                 static_cast<REAL>(back.Height));
    graphics->DrawString(text, -1, &font, layout, &format, &brush);
    return 0;
}
