// The styled label: font recipe, gradient strips, text layout, links, blink,
// and what it paints.

#include "ControlsTestDlg.h"
#include "GdiObjectCount.h"
#include "Screenshot.h"

#include <algorithm>

namespace {

// A memory surface to draw gradients on and read back.
class Surface {
public:
    Surface(int width, int height) : m_width(width), m_height(height)
    {
        HDC screen = ::GetDC(nullptr);
        m_dc.Attach(::CreateCompatibleDC(screen));
        m_bitmap = ::CreateCompatibleBitmap(screen, width, height);
        ::ReleaseDC(nullptr, screen);
        m_old = ::SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, width, height};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
    ~Surface()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
    }
    CDC* dc() { return &m_dc; }
    COLORREF at(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    CDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    int m_width, m_height;
};

// Widths of the runs of one colour along a row.
std::vector<int> StripWidths(const Surface& s, int y)
{
    std::vector<int> widths;
    COLORREF current = s.at(0, y);
    int start = 0;
    for (int x = 1; x <= s.width(); x++) {
        if (x == s.width() || s.at(x, y) != current) {
            widths.push_back(x - start);
            if (x < s.width())
                current = s.at(x, y);
            start = x;
        }
    }
    return widths;
}

TEST(StyleStaticGradient, DrawsOneStripPerStepAndGivesTheLastStripTheRest)
{
    // Black to white: every strip differs from its neighbour.
    {
        Surface s(50, 8);
        CStyleStatic::DrawGradient(s.dc(), CRect(0, 0, 50, 8), RGB(0, 0, 0), RGB(255, 255, 255), 100);
        std::vector<int> widths = StripWidths(s, 4);
        EXPECT_EQ(50u, widths.size()); // steps lowered to the width
        EXPECT_EQ(RGB(0, 0, 0), s.at(0, 4));
    }
    {
        Surface s(250, 8);
        CStyleStatic::DrawGradient(s.dc(), CRect(0, 0, 250, 8), RGB(0, 0, 0), RGB(255, 255, 255), 100);
        std::vector<int> widths = StripWidths(s, 4);
        ASSERT_EQ(100u, widths.size());
        for (int i = 0; i < 99; i++)
            EXPECT_EQ(2, widths[i]) << "strip " << i;
        EXPECT_EQ(52, widths[99]);
        EXPECT_GE(GetRValue(s.at(249, 4)), 250); // nearly the end colour
        // Every row is covered, the bottom one too.
        for (int y = 0; y < 8; y++)
            EXPECT_NE(RGB(255, 255, 255), s.at(0, y)) << "row " << y;
    }
    {
        Surface s(10, 4); // a zero-width rectangle draws nothing
        CStyleStatic::DrawGradient(s.dc(), CRect(3, 0, 3, 4), RGB(0, 0, 0), RGB(0, 0, 0), 100);
        EXPECT_EQ(RGB(255, 255, 255), s.at(3, 2));
    }
}

TEST(StyleStaticGradient, RestoresTheSurfacePenAndBrushAndKeepsNoBrush)
{
    Surface s(250, 8);
    HGDIOBJ pen = ::GetCurrentObject(*s.dc(), OBJ_PEN);
    HGDIOBJ brush = ::GetCurrentObject(*s.dc(), OBJ_BRUSH);
    DWORD before = GdiObjectCount();
    for (int i = 0; i < 50; i++)
        CStyleStatic::DrawGradient(s.dc(), CRect(0, 0, 250, 8), RGB(0, 0, 128), RGB(200, 220, 255), 100);
    EXPECT_EQ(before, GdiObjectCount());
    EXPECT_EQ(pen, ::GetCurrentObject(*s.dc(), OBJ_PEN));
    EXPECT_EQ(brush, ::GetCurrentObject(*s.dc(), OBJ_BRUSH));
}

class LabelWindow : public ::testing::Test {
protected:
    void SetUp() override { dlg.Open(); }
    void TearDown() override { dlg.DestroyWindow(); }
    ControlsTestDlg dlg;
};

TEST_F(LabelWindow, StartsInTheDialogFontUntilSetFontStyle)
{
    LOGFONT dialogFont = LogFontOf(reinterpret_cast<HGDIOBJ>(dlg.SendMessage(WM_GETFONT)));
    LOGFONT attached = LogFontOf(dlg.captionLabel.m_font.GetSafeHandle());
    EXPECT_EQ(dialogFont.lfHeight, attached.lfHeight);
    EXPECT_STREQ(dialogFont.lfFaceName, attached.lfFaceName);
}

TEST_F(LabelWindow, FaceNamesAreCutToTheFieldAndFontsAreReplacedNotPiledUp)
{
    TestStatic& label = dlg.captionLabel;
    label.SetFontStyle(15, 7, 700, 0);
    HGDIOBJ first = label.m_font.GetSafeHandle();
    label.SetFontStyle(13, 7, 400, 0);
    EXPECT_EQ(0u, ::GetObjectType(first)) << "the first font is deleted";

    label.SetFaceName(L"Tahoma", SYMBOL_CHARSET);
    LOGFONT lf = LogFontOf(label.m_font.GetSafeHandle());
    EXPECT_STREQ(L"Tahoma", lf.lfFaceName);
    EXPECT_EQ(SYMBOL_CHARSET, lf.lfCharSet);

    CString longName(L'x', 40);
    label.m_lf.lfWeight = 400;
    label.SetFaceName(longName, ANSI_CHARSET);
    EXPECT_EQ(31, lstrlenW(label.m_lf.lfFaceName));
    EXPECT_EQ(400, label.m_lf.lfWeight); // the neighbouring fields are untouched
    EXPECT_NE(nullptr, label.m_font.GetSafeHandle());
}

TEST_F(LabelWindow, RotationIsDroppedBySetFontStyleButTheFlagStays)
{
    TestStatic& label = dlg.rotatedLabel;
    label.SetRotation(90, TRUE);
    EXPECT_EQ(900, LogFontOf(label.m_font.GetSafeHandle()).lfEscapement);
    label.SetFontStyle(15, 7, 700, 0);
    EXPECT_EQ(0, LogFontOf(label.m_font.GetSafeHandle()).lfEscapement);
    EXPECT_TRUE(label.m_bRotate);
}

TEST_F(LabelWindow, TextFormatFollowsTheStaticStyle)
{
    struct Case {
        DWORD type;
        const wchar_t* text;
        UINT format;
    } cases[] = {
        {SS_LEFT, L"plain", DT_WORDBREAK},
        {SS_LEFT, L"a\tb", DT_WORDBREAK | DT_EXPANDTABS},
        {SS_CENTER, L"plain", DT_CENTER | DT_WORDBREAK},
        {SS_RIGHT, L"plain", DT_RIGHT | DT_WORDBREAK},
        {SS_LEFTNOWORDWRAP, L"plain", DT_LEFT},
        {SS_SIMPLE, L"plain", 0},
        {SS_LEFT | SS_CENTERIMAGE, L"one\tline", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        {SS_LEFT | SS_CENTERIMAGE, L"two\r\nlines", DT_CENTER},
    };
    TestStatic& label = dlg.centredLabel;
    for (const Case& c : cases) {
        label.ModifyStyle(SS_TYPEMASK | SS_CENTERIMAGE, c.type);
        EXPECT_EQ(c.format, label.TextFormat(c.text)) << "style " << c.type;
    }
}

TEST_F(LabelWindow, LinksOpenTheirAddressOrNotifyTheParent)
{
    TestStatic& label = dlg.linkLabel;
    CRect client;
    label.GetClientRect(&client);
    auto click = [&]() { ClickAt(label.GetSafeHwnd(), 5, client.Height() / 2); };

    auto clicksFromLabel = [&]() {
        std::vector<NMHDR> fromLabel;
        for (const NMHDR& n : dlg.notifications) {
            if (n.hwndFrom == label.GetSafeHwnd())
                fromLabel.push_back(n);
        }
        return fromLabel;
    };

    // Without a link kind a static control does not even see the click.
    label.SetUrlLink(FALSE, TRUE);
    EXPECT_EQ(0u, label.GetStyle() & SS_NOTIFY);
    click();
    EXPECT_TRUE(label.opened.empty());
    EXPECT_TRUE(clicksFromLabel().empty());

    label.SetUrlLink(TRUE, FALSE);
    click();
    label.SetLinkUrl(L"https://kestrova.example/help");
    click();
    label.SetWindowText(L"support@kestrova.example");
    label.SetMailtoLink(TRUE, FALSE);
    click();
    ASSERT_EQ(3u, label.opened.size());
    EXPECT_EQ(CString(L"open"), label.opened[0].verb);
    EXPECT_EQ(CString(L"www.example.com"), label.opened[0].address);
    EXPECT_EQ(CString(L"https://kestrova.example/help"), label.opened[1].address);
    EXPECT_EQ(CString(L"(none)"), label.opened[2].verb);
    EXPECT_EQ(CString(L"mailto:support@kestrova.example"), label.opened[2].address);

    label.SetUrlLink(TRUE, TRUE);
    click();
    EXPECT_EQ(3u, label.opened.size()) << "a notifying link opens nothing";
    std::vector<NMHDR> clicks = clicksFromLabel();
    ASSERT_EQ(1u, clicks.size());
    EXPECT_EQ(NM_STYLESTATIC_CLICK, clicks[0].code);
    EXPECT_EQ(static_cast<UINT_PTR>(IDC_LABEL_LINK), clicks[0].idFrom);
}

TEST_F(LabelWindow, BlinkTogglesOnItsTimerFromTheHiddenHalf)
{
    TestStatic& label = dlg.captionLabel;
    label.BlinkText(TRUE);
    EXPECT_EQ(STYLESTATIC_BLINK_TEXT, label.m_blinkKind);
    EXPECT_FALSE(label.m_bBlinkPhase);
    EXPECT_TRUE(PumpUntil([&] { return label.m_bBlinkPhase == TRUE; }, 2000));
    label.BlinkText(FALSE);
    EXPECT_EQ(STYLESTATIC_BLINK_NONE, label.m_blinkKind);
    EXPECT_FALSE(label.m_bTimerRunning);
    BOOL phase = label.m_bBlinkPhase;
    PumpMessages(700);
    EXPECT_EQ(phase, label.m_bBlinkPhase) << "the timer has stopped";

    label.BlinkBackground(TRUE);
    EXPECT_EQ(STYLESTATIC_BLINK_BACKGROUND, label.m_blinkKind);
    label.BlinkBackground(FALSE);
    EXPECT_EQ(STYLESTATIC_BLINK_BACKGROUND, label.m_blinkKind);
}

// Sets one system colour for the scope of a test and puts it back after.
class SysColorScope {
public:
    SysColorScope(int index, COLORREF color) : m_index(index), m_old(::GetSysColor(index))
    {
        ::SetSysColors(1, &m_index, &color);
    }
    ~SysColorScope() { ::SetSysColors(1, &m_index, &m_old); }

private:
    INT m_index;
    COLORREF m_old;
};

TEST_F(LabelWindow, OpaqueLabelWithoutBackBrushFollowsTheButtonFaceColour)
{
    TestStatic& label = dlg.centredLabel;
    COLORREF textColor = ::GetSysColor(COLOR_WINDOWTEXT);
    label.SetWindowText(L"");
    label.SetTransparentMode(FALSE);
    EXPECT_TRUE(label.GetExStyle() & WS_EX_TRANSPARENT);
    PumpMessages(50);
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), ScreenPixel(label.GetSafeHwnd(), 3, 3));

    {
        SysColorScope face(COLOR_BTNFACE, RGB(200, 100, 50));
        SysColorScope text(COLOR_WINDOWTEXT, RGB(0, 0, 255));
        label.SendMessage(WM_SYSCOLORCHANGE);
        label.Invalidate();
        PumpMessages(50);
        EXPECT_EQ(RGB(200, 100, 50), ScreenPixel(label.GetSafeHwnd(), 3, 3));
        EXPECT_EQ(textColor, label.m_crTextColor) << "the text colour is the one read at construction";
    }

    label.SetBackColor(RGB(0, 128, 0), 0, FALSE);
    PumpMessages(50);
    EXPECT_EQ(RGB(0, 128, 0), ScreenPixel(label.GetSafeHwnd(), 3, 3));
}

TEST_F(LabelWindow, HoverCursorIsShownOverTheLabel)
{
    TestStatic& label = dlg.linkLabel;
    HCURSOR hand = ::LoadCursor(nullptr, IDC_HAND);
    label.SetHoverCursor(hand);
    LRESULT handled = label.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(label.GetSafeHwnd()),
                                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(handled);
    EXPECT_EQ(hand, ::GetCursor());
}

TEST_F(LabelWindow, ScreenshotOfStyledLabels)
{
    dlg.captionLabel.SetFontStyle(16, 7, 700, 0);
    dlg.captionLabel.SetTextColor(RGB(50, 50, 50));
    dlg.gradientLabel.SetFontStyle(13, 6, 700, 0);
    dlg.gradientLabel.SetTextColor(RGB(255, 255, 255));
    dlg.gradientLabel.SetBackColor(RGB(0, 0, 128), RGB(200, 220, 255), TRUE);
    dlg.gradientLabel.SetTransparentMode(FALSE);
    dlg.centredLabel.SetTransparentMode(FALSE);
    dlg.centredLabel.SetBackColor(RGB(255, 255, 224), 0, FALSE);
    dlg.centredLabel.Set3DText(TRUE, TRUE);
    dlg.centredLabel.SetShadowColor(RGB(160, 160, 160));
    dlg.linkLabel.SetTextColor(RGB(0, 0, 255));
    dlg.rotatedLabel.SetFontStyle(15, 7, 700, 0);
    dlg.rotatedLabel.SetRotation(90, TRUE);
    dlg.Repaint();
    WindowPicture picture(dlg.GetSafeHwnd());
    EXPECT_TRUE(picture.Save(L"style_labels"));

    // The gradient runs from the back colour on the left towards the end
    // colour, along the bottom row where no text is written.
    HWND gradient = dlg.gradientLabel.GetSafeHwnd();
    CRect client;
    dlg.gradientLabel.GetClientRect(&client);
    int bottom = client.Height() - 1;
    EXPECT_EQ(RGB(0, 0, 128), picture.At(gradient, 0, bottom));
    // Its strips take the first two thirds of the width; the last one the rest.
    int third = client.Width() / 3;
    EXPECT_LT(GetRValue(picture.At(gradient, 0, bottom)), GetRValue(picture.At(gradient, third, bottom)));
    EXPECT_LT(GetRValue(picture.At(gradient, third, bottom)), GetRValue(picture.At(gradient, 2 * third - 4, bottom)));
    EXPECT_GT(GetRValue(picture.At(gradient, client.Width() - 1, bottom)), 180);

    // Each label writes in its own colour; the centred one on its back colour.
    struct Ink {
        const CWnd& label;
        COLORREF color;
    } inks[] = {{dlg.captionLabel, RGB(50, 50, 50)},
                {dlg.gradientLabel, RGB(255, 255, 255)},
                {dlg.centredLabel, RGB(160, 160, 160)}, // the shadow of the 3-D text
                {dlg.linkLabel, RGB(0, 0, 255)}};
    for (const Ink& ink : inks) {
        CRect area;
        ink.label.GetClientRect(&area);
        int count = 0;
        for (int y = 0; y < area.Height(); y++) {
            for (int x = 0; x < area.Width(); x++)
                count += picture.At(ink.label.GetSafeHwnd(), x, y) == ink.color ? 1 : 0;
        }
        EXPECT_GT(count, 10) << "label " << ink.label.GetDlgCtrlID();
    }
    EXPECT_EQ(RGB(255, 255, 224), picture.At(dlg.centredLabel.GetSafeHwnd(), 2, 2));

    // The rotated text runs upwards from the label's centre: its dark pixels
    // make a column above the centre.
    HWND rotated = dlg.rotatedLabel.GetSafeHwnd();
    dlg.rotatedLabel.GetClientRect(&client);
    CRect ink(client.right, client.bottom, -1, -1);
    for (int y = 0; y < client.Height(); y++) {
        for (int x = 0; x < client.Width(); x++) {
            if (GetGValue(picture.At(rotated, x, y)) < 80) {
                ink.left = std::min<int>(ink.left, x);
                ink.right = std::max<int>(ink.right, x);
                ink.top = std::min<int>(ink.top, y);
                ink.bottom = std::max<int>(ink.bottom, y);
            }
        }
    }
    ASSERT_GE(ink.right, 0) << "the rotated label shows its text";
    EXPECT_GT(ink.Height(), 2 * ink.Width());
    EXPECT_LE(ink.bottom, client.Height() / 2 + 2);
}

} // namespace
