// The icon button on real windows: attachment, state, font, tooltip, clicks,
// derived images, and what it paints in each state.

#include "IconButton.h"
#include "Screenshot.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

namespace {

// Opens the button's protected state to the tests.
class TestButton : public CIconButton {
public:
    using CIconButton::m_bitmaps;
    using CIconButton::m_bkCopyBitmap;
    using CIconButton::m_bkCopyDC;
    using CIconButton::m_checkboxMode;
    using CIconButton::m_hover;
    using CIconButton::m_icons;
    using CIconButton::m_linkUrl;
    using CIconButton::m_stateColors;
    using CIconButton::m_tooltip;
};

const COLORREF kParentColor = RGB(90, 120, 170);

// A parent with a coloured background that counts the clicks it is told of.
class ButtonHost : public CWnd {
public:
    int clicks = 0;
    void OnClicked() { ++clicks; }
    BOOL OnEraseBkgnd(CDC* dc)
    {
        CRect client;
        GetClientRect(&client);
        dc->FillSolidRect(&client, kParentColor);
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ButtonHost, CWnd)
ON_BN_CLICKED(100, OnClicked)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

HICON LoadResIcon(const wchar_t* name)
{
    std::wstring path = std::wstring(L".\\res\\") + name;
    return static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
}

struct IconButtonFixture : ::testing::Test {
    ButtonHost host;
    HICON icon = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(
            host.CreateEx(0, nullptr, L"Icon buttons", WS_OVERLAPPEDWINDOW, CRect(60, 60, 460, 300), nullptr, 0));
        icon = LoadResIcon(L"msg_success.ico");
        ASSERT_NE(icon, nullptr) << "the art files are drawn into bin\\res by the build";
    }
    void TearDown() override
    {
        host.DestroyWindow();
        if (icon)
            ::DestroyIcon(icon);
    }
    // A template-like push button, attached as the control exchange would.
    HWND MakeRawButton(DWORD type, const wchar_t* caption = L"", CRect rect = CRect(20, 20, 120, 90), int id = 100)
    {
        return ::CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | type, rect.left, rect.top,
                                 rect.Width(), rect.Height(), host.m_hWnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    void Show()
    {
        host.ShowWindow(SW_SHOWNORMAL);
        host.SetForegroundWindow();
        host.UpdateWindow();
        PumpMessages(200);
    }
};

// Dispatches like the framework's loop: PreTranslateMessage first.
void PumpThroughFramework(DWORD milliseconds)
{
    DWORD end = ::GetTickCount() + milliseconds;
    MSG msg;
    while (static_cast<int>(end - ::GetTickCount()) > 0) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ::Sleep(5);
    }
}

// How many pixels of a window's client row or area show a colour.
int CountScreenPixels(HWND window, const RECT& area, COLORREF color)
{
    WindowPicture picture(window);
    int count = 0;
    for (int y = area.top; y < area.bottom; y++) {
        for (int x = area.left; x < area.right; x++)
            count += picture.At(window, x, y) == color ? 1 : 0;
    }
    return count;
}

} // namespace

TEST_F(IconButtonFixture, AttachingMakesTheButtonOwnerDrawnAndTakesItsDefaultAndCheckboxState)
{
    struct Case {
        DWORD type;
        BOOL isDefault;
        BOOL checkbox;
    } cases[] = {
        {BS_PUSHBUTTON, FALSE, FALSE},
        {BS_DEFPUSHBUTTON, TRUE, FALSE},
        {BS_AUTOCHECKBOX, FALSE, TRUE},
    };
    for (const Case& c : cases) {
        TestButton button;
        ASSERT_TRUE(button.SubclassWindow(MakeRawButton(c.type)));
        EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW)) << c.type;
        EXPECT_EQ(button.IsDefaultButton(), c.isDefault) << c.type;
        EXPECT_EQ(button.m_checkboxMode, c.checkbox) << c.type;
        UINT code = static_cast<UINT>(button.SendMessage(WM_GETDLGCODE));
        EXPECT_EQ((code & DLGC_DEFPUSHBUTTON) != 0, c.isDefault != FALSE) << c.type;
        button.DestroyWindow();
    }
}

TEST_F(IconButtonFixture, SetStyleMovesTheDefaultStateButTheButtonStaysOwnerDrawn)
{
    TestButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_DEFPUSHBUTTON)));
    button.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(button.IsDefaultButton());
    EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(button.SendMessage(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);
    button.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_TRUE(button.IsDefaultButton());
    EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
}

TEST_F(IconButtonFixture, CheckboxModeKeepsTheCheckAndEachClickTogglesIt)
{
    TestButton box;
    TestButton push;
    ASSERT_TRUE(box.SubclassWindow(MakeRawButton(BS_AUTOCHECKBOX, L"Box", CRect(20, 20, 120, 60), 100)));
    ASSERT_TRUE(push.SubclassWindow(MakeRawButton(BS_PUSHBUTTON, L"Push", CRect(20, 80, 120, 120), 101)));
    Show();
    box.SendMessage(BM_SETCHECK, BST_INDETERMINATE);
    EXPECT_EQ(box.SendMessage(BM_GETCHECK), TRUE);
    box.SendMessage(BM_CLICK);
    PumpMessages(50);
    EXPECT_EQ(box.SendMessage(BM_GETCHECK), FALSE) << "one click, one toggle";
    EXPECT_EQ(host.clicks, 1) << "the parent hears the click too";
    // A push button keeps no check.
    push.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_FALSE(push.GetCheckState());
    EXPECT_EQ(push.SendMessage(BM_GETCHECK), 0);
}

TEST_F(IconButtonFixture, CreatedFromStoredParametersItIsAVisibleOwnerDrawnChild)
{
    TestButton button;
    button.SetCreateParams(L"Made", 104, CRect(10, 10, 90, 50));
    button.SetCreateParent(&host);
    ASSERT_TRUE(button.CreateFromParams());
    EXPECT_EQ(button.GetParent(), &host);
    EXPECT_EQ(button.GetDlgCtrlID(), 104);
    EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(button.GetStyle() & WS_VISIBLE);
    CString caption;
    button.GetWindowText(caption);
    EXPECT_STREQ(caption, L"Made");
}

TEST_F(IconButtonFixture, SettersNeedTheWindowAndCheckTheirArguments)
{
    TestButton button;
    // Before the control exchange: nothing is stored.
    EXPECT_EQ(button.SetIcons(icon, nullptr), static_cast<DWORD>(BTNRESULT_OK));
    EXPECT_EQ(button.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE), 0u);
    EXPECT_EQ(button.SetStateColor(BTNCOLOR_FG_NORMAL, RGB(1, 2, 3), FALSE), static_cast<DWORD>(BTNRESULT_OK));
    ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_PUSHBUTTON)));
    EXPECT_EQ(button.m_icons[0].handle, nullptr);
    EXPECT_EQ(button.m_stateColors[BTNCOLOR_FG_NORMAL], ::GetSysColor(COLOR_BTNTEXT));

    EXPECT_EQ(button.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE), 4u);
    COLORREF before[BTNCOLOR_COUNT];
    std::copy(std::begin(button.m_stateColors), std::end(button.m_stateColors), before);
    EXPECT_EQ(button.SetStateColor(6, RGB(1, 2, 3), TRUE), static_cast<DWORD>(BTNRESULT_BAD_INDEX));
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(button.m_stateColors)));
    EXPECT_EQ(button.SetImageAlign(4, FALSE), static_cast<DWORD>(BTNRESULT_BAD_ALIGN));
    EXPECT_EQ(button.SetPressShift(2, FALSE), static_cast<DWORD>(BTNRESULT_BAD_PRESSED_STYLE));

    // After it: the icon is stored, sized from its hot spot, and the button
    // can take the icon's size.
    EXPECT_EQ(button.SetIcons(icon, nullptr), static_cast<DWORD>(BTNRESULT_OK));
    EXPECT_EQ(button.m_icons[0].handle, icon);
    EXPECT_EQ(button.m_icons[0].width, 32u);
    EXPECT_EQ(button.m_icons[0].height, 32u);
    button.ResizeToImage();
    CRect rect;
    button.GetWindowRect(&rect);
    EXPECT_EQ(rect.Size(), CSize(32, 32));

    // A missing icon file leaves a NULL handle: stored, reported, no image.
    EXPECT_EQ(button.SetIcons(nullptr, nullptr), static_cast<DWORD>(BTNRESULT_BAD_RESOURCE));
    EXPECT_EQ(button.m_icons[0].handle, nullptr);
}

TEST_F(IconButtonFixture, DerivedNormalIconIsTheButtonsOwnAndFreedOnRequest)
{
    TestButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_PUSHBUTTON)));
    HICON active = ::CopyIcon(icon);
    EXPECT_EQ(button.SetIcons(active, reinterpret_cast<HICON>(static_cast<INT_PTR>(BTNICON_AUTO_GRAY))),
              static_cast<DWORD>(BTNRESULT_OK));
    HICON derived = button.m_icons[1].handle;
    ASSERT_NE(derived, nullptr);
    EXPECT_NE(derived, active);
    EXPECT_EQ(button.m_icons[1].width, 32u);
    button.FreeImages(TRUE);
    ICONINFO info = {};
    EXPECT_FALSE(::GetIconInfo(derived, &info));
    EXPECT_EQ(button.m_icons[0].handle, nullptr);
    EXPECT_EQ(button.m_icons[1].handle, nullptr);
}

TEST_F(IconButtonFixture, MarginResizeGrowsTheSideTheCaptionTakes)
{
    struct Case {
        const wchar_t* caption;
        BYTE align;
        CSize size;
    } cases[] = {
        {L"Caption", BTNALIGN_HORZ, CSize(42, 32)}, {L"Caption", BTNALIGN_HORZ_RIGHT, CSize(42, 32)},
        {L"Caption", BTNALIGN_VERT, CSize(32, 42)}, {L"Caption", 3, CSize(32, 32)},
        {L"", BTNALIGN_VERT, CSize(32, 32)},
    };
    for (const Case& c : cases) {
        TestButton button;
        ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_PUSHBUTTON, c.caption)));
        button.SetIcons(icon, nullptr);
        button.SetImageAlign(c.align, FALSE);
        button.ResizeToImageWithMargin(10);
        CRect rect;
        button.GetWindowRect(&rect);
        EXPECT_EQ(rect.Size(), c.size) << static_cast<int>(c.align) << " " << c.caption;
        button.DestroyWindow();
    }
}

TEST_F(IconButtonFixture, DerivedNormalBitmapIsMadeBeforeTheActiveOneIsMasked)
{
    // A 2x1 bitmap: one transparent (magenta) pixel, one pure red.
    const COLORREF magenta = RGB(255, 0, 255);
    HDC screen = ::GetDC(nullptr);
    HBITMAP active = ::CreateCompatibleBitmap(screen, 2, 1);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, active);
    ::SetPixel(dc, 0, 0, magenta);
    ::SetPixel(dc, 1, 0, RGB(255, 0, 0));
    ::SelectObject(dc, old);

    TestButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_PUSHBUTTON)));
    EXPECT_EQ(button.SetImageBitmaps(active, magenta,
                                     reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(BTNICON_AUTO_GRAY)), RGB(0, 0, 0)),
              static_cast<DWORD>(BTNRESULT_OK));
    const ButtonBitmapEntry& derived = button.m_bitmaps[1];
    ASSERT_NE(derived.handle, nullptr);
    EXPECT_NE(button.m_bitmaps[0].mask, nullptr);
    EXPECT_NE(derived.mask, nullptr);
    EXPECT_EQ(derived.transparent, magenta);
    EXPECT_EQ(derived.width, 2u);
    // The grey twin's mask still knows its transparent pixel: the twin was
    // copied before the active bitmap's own transparent pixel was blackened.
    old = ::SelectObject(dc, derived.mask);
    EXPECT_EQ(::GetPixel(dc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(dc, 1, 0), RGB(0, 0, 0));
    ::SelectObject(dc, derived.handle);
    EXPECT_EQ(::GetPixel(dc, 1, 0), RGB(76, 76, 76));
    ::SelectObject(dc, old);

    button.FreeImages(TRUE);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

TEST(IconButtonLink, LongAddressIsCutToTheField)
{
    TestButton button;
    std::wstring longUrl(300, L'x');
    button.SetLinkUrl(longUrl.c_str());
    EXPECT_EQ(lstrlenW(button.m_linkUrl), 259);
    button.SetLinkUrl(nullptr);
    EXPECT_EQ(button.m_linkUrl[0], L'\0');
}

TEST_F(IconButtonFixture, CaptionFontFollowsTheCommonRecipe)
{
    TestButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_PUSHBUTTON, L"Caption")));
    struct Case {
        int height, weight;
    } cases[] = {{13, 700}, {15, 600}, {12, 700}};
    for (const Case& c : cases) {
        button.SetFontStyle(c.height, 0, c.weight, 0);
        LOGFONTW font = {};
        ASSERT_TRUE(button.GetFont()->GetLogFont(&font));
        EXPECT_EQ(font.lfHeight, -c.height);
        EXPECT_EQ(font.lfWidth, 0);
        EXPECT_EQ(font.lfWeight, c.weight);
        EXPECT_EQ(font.lfItalic, 0);
        EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(font.lfOutPrecision, OUT_STROKE_PRECIS);
        EXPECT_EQ(font.lfClipPrecision, CLIP_STROKE_PRECIS);
        EXPECT_EQ(font.lfQuality, CLEARTYPE_QUALITY);
        EXPECT_EQ(font.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
        EXPECT_STREQ(font.lfFaceName, L"");
    }
}

TEST_F(IconButtonFixture, TooltipIsABalloonWithTheGivenText)
{
    TestButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_PUSHBUTTON)));
    button.SetTooltip(L"Read the flash id", TRUE);
    ASSERT_NE(button.m_tooltip.m_hWnd, nullptr);
    EXPECT_TRUE(button.m_tooltip.GetStyle() & TTS_BALLOON);
    EXPECT_EQ(button.m_tooltip.SendMessage(TTM_GETMAXTIPWIDTH), 400);
    CString text;
    button.m_tooltip.GetText(text, &button, 1);
    EXPECT_STREQ(text, L"Read the flash id");
    button.SetTooltip(L"Second text", TRUE);
    EXPECT_EQ(button.m_tooltip.GetToolCount(), 1);
    button.m_tooltip.GetText(text, &button, 1);
    EXPECT_STREQ(text, L"Second text");
}

TEST_F(IconButtonFixture, ADoubleClickReachesTheParentAsTwoClicks)
{
    TestButton button;
    ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_PUSHBUTTON, L"Click")));
    Show();
    LPARAM inside = MAKELPARAM(10, 10);
    button.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, inside);
    button.PostMessage(WM_LBUTTONUP, 0, inside);
    button.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
    button.PostMessage(WM_LBUTTONUP, 0, inside);
    PumpThroughFramework(300);
    EXPECT_EQ(host.clicks, 2);
    EXPECT_EQ(CWnd::GetFocus(), &button); // the click handler focuses the button
}

TEST(IconButtonImages, DarkerAndGreyColoursFollowTheirFormulas)
{
    struct Case {
        COLORREF in;
        double factor;
        COLORREF out;
    } cases[] = {
        {RGB(200, 3, 0), 0.25, RGB(150, 2, 0)},
        {RGB(255, 255, 255), 1.0, RGB(0, 0, 0)},
        {RGB(200, 3, 0), 0.0, RGB(200, 3, 0)},
        {RGB(200, 3, 0), 1.5, RGB(200, 3, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CIconButton::ScaleColorDown(c.in, c.factor), c.out) << c.factor;
}

TEST(IconButtonImages, DerivedImagesConvertEveryPixelButTheKeptOnes)
{
    // A 2x1 bitmap: one transparent (magenta) pixel, one pure red.
    HDC screen = ::GetDC(nullptr);
    HBITMAP source = ::CreateCompatibleBitmap(screen, 2, 1);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, source);
    ::SetPixel(dc, 0, 0, RGB(255, 0, 255));
    ::SetPixel(dc, 1, 0, RGB(255, 0, 0));
    ::SelectObject(dc, old);

    auto pixels = [&](HBITMAP bitmap) {
        HGDIOBJ previous = ::SelectObject(dc, bitmap);
        std::pair<COLORREF, COLORREF> result(::GetPixel(dc, 0, 0), ::GetPixel(dc, 1, 0));
        ::SelectObject(dc, previous);
        return result;
    };
    HBITMAP gray = CIconButton::MakeGrayBitmap(source, 2, 1, RGB(255, 0, 255));
    HBITMAP dark = CIconButton::MakeDarkBitmap(source, 2, 1, RGB(255, 0, 255));
    EXPECT_EQ(pixels(gray), std::make_pair(RGB(255, 0, 255), RGB(76, 76, 76)));
    EXPECT_EQ(pixels(dark), std::make_pair(RGB(255, 0, 255), RGB(191, 0, 0)));

    HBITMAP mask = CIconButton::MakeMaskBitmap(source, 2, 1, RGB(255, 0, 255));
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(pixels(mask), std::make_pair(RGB(255, 255, 255), RGB(0, 0, 0)));
    EXPECT_EQ(pixels(source), std::make_pair(RGB(0, 0, 0), RGB(255, 0, 0)));

    for (HBITMAP bitmap : {source, gray, dark, mask})
        ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

TEST(IconButtonImages, DarkIconKeepsBlackAndTheMask)
{
    HICON icon = LoadResIcon(L"msg_fail.ico");
    ASSERT_NE(icon, nullptr);
    HICON dark = CIconButton::MakeDarkIcon(icon);
    ASSERT_NE(dark, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(::GetIconInfo(dark, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16u);
    ::DeleteObject(info.hbmMask);
    ::DeleteObject(info.hbmColor);
    ::DestroyIcon(dark);
    ::DestroyIcon(icon);
}

TEST(IconButtonImages, OffsetStateColorShiftsAllChannelsByOneAmount)
{
    TestButton button;
    struct Case {
        COLORREF in;
        short offset;
        COLORREF out;
    } cases[] = {
        {RGB(250, 100, 10), 10, RGB(255, 105, 15)},
        {RGB(10, 50, 100), -20, RGB(0, 40, 90)},
        {RGB(10, 50, 100), 0, RGB(10, 50, 100)},
    };
    for (const Case& c : cases) {
        button.m_stateColors[BTNCOLOR_BK_NORMAL] = c.in;
        EXPECT_EQ(button.OffsetStateColor(BTNCOLOR_BK_NORMAL, c.offset, FALSE), static_cast<DWORD>(BTNRESULT_OK));
        EXPECT_EQ(button.m_stateColors[BTNCOLOR_BK_NORMAL], c.out) << c.offset;
    }
    EXPECT_EQ(button.OffsetStateColor(6, 1, FALSE), static_cast<DWORD>(BTNRESULT_BAD_INDEX));
    EXPECT_EQ(button.OffsetStateColor(0, 256, FALSE), static_cast<DWORD>(BTNRESULT_BAD_PARAM));
}

// ---- what is seen --------------------------------------------------------------

TEST_F(IconButtonFixture, PaintsEachStateAsAPersonSeesIt)
{
    TestButton flat;
    TestButton threeD;
    TestButton disabled;
    ASSERT_TRUE(flat.SubclassWindow(MakeRawButton(BS_PUSHBUTTON, L"Write Cache", CRect(20, 20, 140, 100), 100)));
    ASSERT_TRUE(threeD.SubclassWindow(MakeRawButton(BS_DEFPUSHBUTTON, L"", CRect(160, 20, 260, 80), 101)));
    ASSERT_TRUE(disabled.SubclassWindow(MakeRawButton(BS_PUSHBUTTON, L"", CRect(280, 20, 340, 80), 102)));
    flat.SetIcons(icon, nullptr);
    flat.SetFontStyle(13, 0, 700, 0);
    flat.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE);
    const COLORREF activeText = RGB(255, 230, 0);
    flat.SetStateColor(BTNCOLOR_FG_ACTIVE, activeText, TRUE);
    for (BYTE index : {BTNCOLOR_FG_NORMAL, BTNCOLOR_FG_FOCUS})
        flat.SetStateColor(index, RGB(250, 250, 250), TRUE);
    threeD.SetIcons(icon, nullptr);
    threeD.SetFlatLook(FALSE, TRUE);
    disabled.SetIcons(icon, nullptr);
    disabled.EnableWindow(FALSE);
    Show();
    EXPECT_TRUE(SaveScreenshot(host.m_hWnd, L"icon_button_normal"));

    // Normal: a flat button shows its parent's background at its edge.
    EXPECT_EQ(ScreenPixel(flat.m_hWnd, 0, 0), kParentColor);
    CRect flatClient;
    flat.GetClientRect(&flatClient);
    EXPECT_EQ(CountScreenPixels(flat.m_hWnd, flatClient, activeText), 0);
    // A disabled button shows its icon in full colour, like an enabled one.
    CRect box;
    disabled.GetClientRect(&box);
    CRect reference;
    threeD.GetClientRect(&reference);
    EXPECT_EQ(ScreenPixel(disabled.m_hWnd, box.Width() / 2 - 8, box.Height() / 2),
              ScreenPixel(threeD.m_hWnd, reference.Width() / 2 - 8, reference.Height() / 2));

    // Hover: the mouse over the flat button frames it.
    flat.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    flat.UpdateWindow();
    PumpMessages(100);
    EXPECT_TRUE(flat.m_hover);
    EXPECT_EQ(ScreenPixel(flat.m_hWnd, 0, 0), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_GT(CountScreenPixels(flat.m_hWnd, flatClient, activeText), 20) << "the caption takes the active colour";
    EXPECT_TRUE(SaveScreenshot(host.m_hWnd, L"icon_button_hover"));
    // Moving in with the left button down does not start the hover.
    flat.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(flat.m_hover);
    flat.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 30));
    EXPECT_FALSE(flat.m_hover);

    // Pressed.
    flat.SendMessage(BM_SETSTATE, TRUE);
    flat.UpdateWindow();
    PumpMessages(100);
    EXPECT_TRUE(SaveScreenshot(host.m_hWnd, L"icon_button_pressed"));
    EXPECT_GT(CountScreenPixels(flat.m_hWnd, flatClient, activeText), 20) << "pressed, the caption is active too";
    flat.SendMessage(BM_SETSTATE, FALSE);

    // Default 3-D button with the focus: framed and with a focus rectangle.
    threeD.SetFocus();
    threeD.Invalidate();
    threeD.UpdateWindow();
    PumpMessages(100);
    EXPECT_TRUE(SaveScreenshot(host.m_hWnd, L"icon_button_default_focused"));
    EXPECT_EQ(ScreenPixel(threeD.m_hWnd, 0, 0), ::GetSysColor(COLOR_BTNHIGHLIGHT));

    // A focused flat button draws no focus rectangle unless asked to.
    CRect focusRow(3, 3, flatClient.right - 3, 4);
    flat.SetFocus();
    flat.UpdateWindow();
    PumpMessages(100);
    EXPECT_EQ(CountScreenPixels(flat.m_hWnd, focusRow, kParentColor), focusRow.Width());
    flat.ShowFlatFocus(TRUE, TRUE);
    flat.UpdateWindow();
    PumpMessages(100);
    EXPECT_LT(CountScreenPixels(flat.m_hWnd, focusRow, kParentColor), focusRow.Width());
}

TEST_F(IconButtonFixture, BackgroundCopyIsReleasedOnColourChangesAndDestruction)
{
    Show();
    HBITMAP bitmaps[2] = {};
    HDC dcs[2] = {};
    {
        TestButton button;
        ASSERT_TRUE(button.SubclassWindow(MakeRawButton(BS_PUSHBUTTON, L"", CRect(20, 20, 80, 80), 103)));
        button.SetIcons(icon, nullptr);
        button.UpdateWindow();
        bitmaps[0] = button.m_bkCopyBitmap, dcs[0] = button.m_bkCopyDC;
        ASSERT_NE(bitmaps[0], nullptr) << "the first paint takes the copy";

        // A colour change drops the copy; the next paint takes a new one.
        button.SendMessage(WM_SYSCOLORCHANGE);
        EXPECT_EQ(::GetObjectType(bitmaps[0]), 0u) << "the copy's bitmap was still selected when deleted";
        EXPECT_EQ(::GetObjectType(dcs[0]), 0u);
        button.Invalidate();
        button.UpdateWindow();
        bitmaps[1] = button.m_bkCopyBitmap, dcs[1] = button.m_bkCopyDC;
        ASSERT_NE(bitmaps[1], nullptr);
        button.DestroyWindow();
    }
    EXPECT_EQ(::GetObjectType(bitmaps[1]), 0u) << "the button's destructor keeps no copy";
    EXPECT_EQ(::GetObjectType(dcs[1]), 0u);
}
