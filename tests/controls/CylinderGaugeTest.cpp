// The cylinder gauge: its range arithmetic, its shading, and what it paints.

#include "ControlsTestDlg.h"
#include "GdiObjectCount.h"
#include "Screenshot.h"

#include <algorithm>

using Gdiplus::ARGB;
using Gdiplus::Rect;

namespace {

TEST(CylinderGauge, ShadeColorMovesEachChannelTowardsHalf)
{
    struct Case {
        ARGB color;
        int index;
        ARGB expected;
    } cases[] = {
        {0xFFFFD700, 2, 0xFFE5C100}, // gold far cap: (229, 193, 0)
        {0xFFFFD700, 3, 0xFFB29600}, // gold near cap: (178, 150, 0)
        {0xFFFFFFFF, 2, 0xFFE5E5E5}, {0xFFFFFFFF, 3, 0xFFB2B2B2},
        {0xFFFFFFFF, 4, 0xFFFEFEFE}, // no factor: 255 / 2 + 127.5 = 254
        {0x40FFFFFF, 2, 0x40E5E5E5}, // alpha untouched
    };
    for (const Case& c : cases) {
        ARGB shaded = CCylinderGauge::ShadeColor(c.color, c.index);
        EXPECT_EQ(c.expected, shaded) << std::hex << c.color << " index " << std::dec << c.index;
    }
}

TEST(CylinderGauge, SectionsSplitTheBodyAtThePercentage)
{
    Rect body(0, 0, 200, 30);
    CCylinderGauge::Sections h = CCylinderGauge::SplitSections(body, 37, 10, TRUE);
    EXPECT_EQ(74, h.filled.Width); // 37 % of 200
    EXPECT_EQ(0, h.filled.X);
    EXPECT_EQ(74, h.empty.X);
    EXPECT_EQ(126, h.empty.Width);
    EXPECT_EQ(200, h.farCap.X); // the right end
    EXPECT_EQ(10, h.farCap.Width);

    CCylinderGauge::Sections full = CCylinderGauge::SplitSections(body, 100, 10, TRUE);
    EXPECT_EQ(0, full.empty.Width);
    EXPECT_EQ(200, full.filled.Width);

    // Standing: filled from the bottom, far cap above the body.
    Rect column(0, 10, 30, 100);
    CCylinderGauge::Sections v = CCylinderGauge::SplitSections(column, 25, 10, FALSE);
    EXPECT_EQ(75, v.empty.Height);
    EXPECT_EQ(10, v.empty.Y);
    EXPECT_EQ(85, v.filled.Y);
    EXPECT_EQ(25, v.filled.Height);
    EXPECT_EQ(0, v.farCap.Y);
    EXPECT_EQ(10, v.farCap.Height);
}

class GaugeWindow : public ::testing::Test {
protected:
    void SetUp() override { dlg.Open(); }
    void TearDown() override { dlg.DestroyWindow(); }
    ControlsTestDlg dlg;
};

TEST_F(GaugeWindow, PercentCountsFromTheLowerEndAndPositionsClampToTheRange)
{
    struct Case {
        int lower, upper, pos;
        int storedPos, percent;
    } cases[] = {
        {0, 100, 37, 37, 37},  {0, 3, 2, 2, 66},   {-50, 50, 0, 0, 50},          {10, 20, 15, 15, 50},
        {10, 20, 25, 20, 100}, {10, 20, 3, 10, 0}, {-200, -100, -150, -150, 50}, {0, 100, 150, 100, 100},
        {0, 100, -5, 0, 0},    {5, 5, 5, 5, 0},
    };
    TestGauge& gauge = dlg.lifeGauge;
    for (const Case& c : cases) {
        gauge.SetRange32(c.lower, c.upper);
        gauge.SetPos(c.pos);
        SCOPED_TRACE(testing::Message() << c.lower << ".." << c.upper << " at " << c.pos);
        EXPECT_EQ(c.storedPos, gauge.m_nPos);
        EXPECT_EQ(c.storedPos, gauge.GetPos()); // the base control agrees
        EXPECT_EQ(c.percent, gauge.GetPercent());
    }
    gauge.SetRange32(5, 5);
    EXPECT_EQ(1, gauge.m_nRangeSize);
}

TEST_F(GaugeWindow, StepItWrapsPastTheUpperEnd)
{
    TestGauge& gauge = dlg.lifeGauge;
    gauge.SetRange32(0, 100);
    gauge.SetStep(10);
    gauge.SetPos(95);
    gauge.StepIt();
    EXPECT_EQ(5, gauge.m_nPos);
}

TEST_F(GaugeWindow, TooltipHoldsOneToolWithTheLatestText)
{
    TestGauge& gauge = dlg.lifeGauge;
    gauge.SetTooltip(static_cast<LPCWSTR>(nullptr), TRUE);
    EXPECT_EQ(nullptr, gauge.m_tooltip.GetSafeHwnd());

    gauge.SetTooltip(L"Life Remaining", TRUE);
    gauge.SetTooltip(L"Temperature", TRUE);
    ASSERT_NE(nullptr, gauge.m_tooltip.GetSafeHwnd());
    EXPECT_EQ(1, gauge.m_tooltip.GetToolCount());
    CString text;
    gauge.m_tooltip.GetText(text, &gauge, 1);
    EXPECT_EQ(CString(L"Temperature"), text);

    gauge.SetTooltip(IDS_GAUGE_TIP, TRUE);
    gauge.m_tooltip.GetText(text, &gauge, 1);
    EXPECT_EQ(CString(L"Gauge from the string table"), text);
}

// The gauges as the health page sets them up.
void StyleLikeHealthPage(CCylinderGauge& gauge, ARGB fill, WCHAR unit, int capWidth)
{
    gauge.SetUnitChar(unit);
    gauge.SetCapWidth(capWidth);
    gauge.SetRange32(0, 100);
    gauge.SetStep(1);
    gauge.SetPos(0);
    gauge.SetFillColor(fill, TRUE);
    gauge.SetEmptyColor(0xFFFFFFFF, TRUE);
    gauge.SetBackgroundColor(0xFFFFFFFF, TRUE);
    gauge.SetTooltip(L"Life Remaining", TRUE);
    gauge.ShowOutline(FALSE, TRUE);
}

bool IsGoldish(COLORREF c)
{
    return GetRValue(c) > 150 && GetGValue(c) > 100 && GetBValue(c) < 90;
}

// Pixels of one row of the gauge's client area, left to right.
std::vector<COLORREF> RowOf(const CWnd& gauge, int y)
{
    CRect client;
    gauge.GetClientRect(&client);
    std::vector<COLORREF> row;
    for (int x = 0; x < client.Width(); x++)
        row.push_back(ScreenPixel(gauge.GetSafeHwnd(), x, y));
    return row;
}

TEST_F(GaugeWindow, FilledSectionCoversThePercentageOfTheBody)
{
    TestGauge& gauge = dlg.lifeGauge;
    gauge.ShowText(FALSE, FALSE); // keep the row free of digits
    CRect client;
    gauge.GetClientRect(&client);
    int bodyWidth = client.Width() - 1 - 10; // default cap width 10
    int y = client.Height() / 4;

    for (int pos : {0, 37, 100}) {
        gauge.SetPos(pos);
        gauge.Invalidate();
        gauge.UpdateWindow();
        PumpMessages(20);
        std::vector<COLORREF> row = RowOf(gauge, y);
        int lastGold = -1;
        for (int x = 0; x < static_cast<int>(row.size()); x++) {
            if (IsGoldish(row[x]))
                lastGold = x;
        }
        SCOPED_TRACE(testing::Message() << "position " << pos);
        if (pos == 0) {
            EXPECT_EQ(-1, lastGold);
        } else {
            // The filled body ends at pos % of the body; its far cap juts out by at most the cap width.
            int end = bodyWidth * pos / 100;
            EXPECT_GE(lastGold, end - 2);
            EXPECT_LE(lastGold, end + 10);
        }
    }
}

bool IsGreenish(COLORREF c)
{
    return GetGValue(c) > GetRValue(c) + 50 && GetGValue(c) > GetBValue(c) + 40;
}

bool IsOrangeish(COLORREF c)
{
    return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 100;
}

// How far a gauge's fill reaches from its near end (the left, or the bottom
// of a standing gauge), read along the lines a quarter of the way in from
// either side: the dark percentage text can hide the fill on one of them
// but never looks like the fill.
int FillReach(const WindowPicture& picture, const CWnd& gauge, bool (*isFill)(COLORREF))
{
    CRect client;
    gauge.GetClientRect(&client);
    HWND window = gauge.GetSafeHwnd();
    int reach = 0;
    if ((gauge.GetStyle() & PBS_VERTICAL) == 0) {
        for (int y : {client.Height() / 4, client.Height() * 3 / 4}) {
            for (int x = 0; x < client.Width(); x++) {
                if (isFill(picture.At(window, x, y)))
                    reach = std::max(reach, x + 1);
            }
        }
    } else {
        for (int x : {client.Width() / 4, client.Width() * 3 / 4}) {
            for (int y = client.Height() - 1; y >= 0; y--) {
                if (isFill(picture.At(window, x, y)))
                    reach = std::max(reach, client.Height() - y);
            }
        }
    }
    return reach;
}

TEST_F(GaugeWindow, ScreenshotsAtSeveralPositions)
{
    StyleLikeHealthPage(dlg.lifeGauge, CCylinderGauge::ArgbFromColorRef(RGB(0, 176, 80)), L'%', 15);
    StyleLikeHealthPage(dlg.temperatureGauge, CCylinderGauge::ArgbFromColorRef(RGB(255, 96, 0)), 0x2103, 1);

    struct Gauge {
        TestGauge& gauge;
        bool (*isFill)(COLORREF);
        int capWidth;
    } gauges[] = {
        {dlg.lifeGauge, IsGreenish, 15}, {dlg.temperatureGauge, IsOrangeish, 1}, {dlg.verticalGauge, IsGoldish, 10}};
    struct Shot {
        int positions[3]; // life, temperature, standing
        const wchar_t* name;
    } shots[] = {{{0, 0, 0}, L"gauge_0"}, {{37, 45, 60}, L"gauge_37"}, {{100, 100, 100}, L"gauge_100"}};
    for (const Shot& s : shots) {
        for (int i = 0; i < 3; i++)
            gauges[i].gauge.SetPos(s.positions[i]);
        dlg.Repaint();
        WindowPicture picture(dlg.GetSafeHwnd());
        EXPECT_TRUE(picture.Save(s.name));

        for (int i = 0; i < 3; i++) {
            const Gauge& g = gauges[i];
            CRect client;
            g.gauge.GetClientRect(&client);
            bool standing = (g.gauge.GetStyle() & PBS_VERTICAL) != 0;
            // The body leaves room for the far cap, which juts out beyond the fill's end.
            int body = (standing ? client.Height() : client.Width()) - 1 - g.capWidth;
            int filled = body * s.positions[i] / 100;
            int reach = FillReach(picture, g.gauge, g.isFill);
            SCOPED_TRACE(testing::Message() << "gauge " << i << " at " << s.positions[i] << " reaches " << reach);
            if (filled == 0) {
                EXPECT_EQ(0, reach);
            } else {
                EXPECT_GE(reach, filled - 2);
                EXPECT_LE(reach, filled + g.capWidth + 2);
            }
        }
    }
}

// A plain white gauge with black text, so that only the text is dark.
void ShowTextOnly(CCylinderGauge& gauge)
{
    gauge.SetPos(0);
    gauge.SetEmptyColor(0xFFFFFFFF, FALSE);
    gauge.SetBackgroundColor(0xFFFFFFFF, FALSE);
    gauge.ShowOutline(FALSE, FALSE);
    gauge.SetTextColor(0xFF000000, FALSE);
}

// Dark pixels in the middle of the gauge, where the percentage is written.
int DarkPixelsInTheMiddle(CCylinderGauge& gauge)
{
    gauge.Invalidate();
    gauge.UpdateWindow();
    PumpMessages(20);
    CRect client;
    gauge.GetClientRect(&client);
    int count = 0;
    for (int y = client.Height() / 4; y < client.Height() * 3 / 4; y++) {
        for (int x = client.Width() / 3; x < client.Width() * 2 / 3; x++) {
            if (GetRValue(ScreenPixel(gauge.GetSafeHwnd(), x, y)) < 80)
                count++;
        }
    }
    return count;
}

TEST_F(GaugeWindow, TextShowsUnlessHidden)
{
    ShowTextOnly(dlg.lifeGauge);
    EXPECT_GT(DarkPixelsInTheMiddle(dlg.lifeGauge), 10) << "the percentage is written";
    dlg.lifeGauge.ShowText(FALSE, FALSE);
    EXPECT_EQ(0, DarkPixelsInTheMiddle(dlg.lifeGauge));
}

TEST(GaugeInPlainWindow, ParentWithoutFontShowsNoText)
{
    CWnd parent; // a plain window answers WM_GETFONT with no font
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, ::GetSysColorBrush(COLOR_BTNFACE)), L"",
                                WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 80), ControlsTestDlg::TestHost(), 1));
    TestGauge gauge;
    ASSERT_TRUE(gauge.Create(WS_CHILD | WS_VISIBLE | PBS_SMOOTH, CRect(10, 10, 330, 60), &parent, 2));
    ShowTextOnly(gauge);
    EXPECT_EQ(0, DarkPixelsInTheMiddle(gauge));
    gauge.DestroyWindow();
    parent.DestroyWindow();
}

// A plain window that carries a font, as a dialog does.
class FontParent : public CWnd {
public:
    HFONT font = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_GETFONT)
            return reinterpret_cast<LRESULT>(font);
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(GaugeInPlainWindow, ParentFontGivenByCellOrCharacterHeightShowsText)
{
    // A negative height is the character height, a positive one the cell height.
    for (int height : {-13, 16}) {
        SCOPED_TRACE(testing::Message() << "parent font height " << height);
        CFont font;
        ASSERT_TRUE(font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma"));
        FontParent parent;
        parent.font = font;
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, ::GetSysColorBrush(COLOR_BTNFACE)), L"",
                                    WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 80), ControlsTestDlg::TestHost(), 1));
        TestGauge gauge;
        ASSERT_TRUE(gauge.Create(WS_CHILD | WS_VISIBLE | PBS_SMOOTH, CRect(10, 10, 330, 60), &parent, 2));
        ShowTextOnly(gauge);
        EXPECT_GT(DarkPixelsInTheMiddle(gauge), 10);
        gauge.DestroyWindow();
        parent.DestroyWindow();
    }
}

TEST_F(GaugeWindow, TransparentGaugeDrawsTheCapturedParentPixels)
{
    // A stand-in for the parent's picture: magenta wherever the gauge sits.
    CRect parentClient;
    dlg.GetClientRect(&parentClient);
    CDC* screen = dlg.GetDC();
    CDC picture;
    picture.CreateCompatibleDC(screen);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(screen, parentClient.Width(), parentClient.Height());
    CBitmap* old = picture.SelectObject(&bitmap);
    picture.FillSolidRect(&parentClient, RGB(255, 0, 255));
    dlg.ReleaseDC(screen);

    TestGauge& gauge = dlg.lifeGauge;
    EXPECT_EQ(1, gauge.SetBackgroundCopy(&picture)) << "not transparent yet";
    gauge.EnableTransparency(FALSE);
    EXPECT_EQ(1, gauge.SetBackgroundCopy(nullptr));
    EXPECT_EQ(0, gauge.SetBackgroundCopy(&picture));
    picture.SelectObject(old);
    gauge.Invalidate();
    gauge.UpdateWindow();
    PumpMessages(20);
    // The corner lies outside the rounded end cap.
    EXPECT_EQ(RGB(255, 0, 255), ScreenPixel(gauge.GetSafeHwnd(), 0, 0));
}

TEST_F(GaugeWindow, RepeatedPaintingHoldsNoFurtherGdiObjects)
{
    dlg.lifeGauge.SetPos(40);
    dlg.captionLabel.SetFontStyle(16, 7, 700, 0);
    dlg.gradientLabel.SetBackColor(RGB(0, 0, 128), RGB(200, 220, 255), TRUE);
    dlg.gradientLabel.SetTransparentMode(FALSE);
    dlg.Repaint(); // first paints create what stays (tooltips, temporary wrappers)
    DWORD before = GdiObjectCount();
    ASSERT_NE(0u, before);
    for (int i = 0; i < 30; i++)
        dlg.Repaint();
    EXPECT_LE(GdiObjectCount(), before + 5);
}

} // namespace
