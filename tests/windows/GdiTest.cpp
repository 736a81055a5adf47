// GDI wrappers: ownership of handles and the old object SelectObject gives back.

#include "Afx.h"

#include <gtest/gtest.h>

TEST(Gdi, SelectObjectGivesBackThePreviousObjectAndWrappersDeleteWhatTheyOwn)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    HGDIOBJ original = ::GetCurrentObject(dc, OBJ_BITMAP);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(8, 8, 1, 1, nullptr));
    CBitmap* old = dc.SelectObject(&bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->m_hObject, original);
    EXPECT_EQ(dc.SelectObject(old)->m_hObject, bitmap.m_hObject);

    CFont font;
    LOGFONTW logFont = {};
    logFont.lfHeight = -13;
    ASSERT_TRUE(font.CreateFontIndirect(&logFont));
    CFont* oldFont = dc.SelectObject(&font);
    EXPECT_EQ(dc.GetCurrentFont()->m_hObject, font.m_hObject);
    dc.SelectObject(oldFont);

    // Wrappers of two types for one handle live side by side until idle time.
    HFONT stock = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    CGdiObject* plain = CGdiObject::FromHandle(stock);
    CFont* typed = CFont::FromHandle(stock);
    EXPECT_EQ(plain->m_hObject, stock);
    EXPECT_EQ(typed->m_hObject, stock);
    EXPECT_EQ(CGdiObject::FromHandle(stock), plain);
    EXPECT_EQ(CFont::FromHandle(stock), typed);
    AfxDeleteTempMaps();
}

TEST(Gdi, CreatingAndDestroyingWrappersLeaksNoGdiObjects)
{
    auto churn = [] {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap bitmap;
        bitmap.CreateBitmap(4, 4, 1, 32, nullptr);
        CBitmap* old = dc.SelectObject(&bitmap);
        CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
        CBrush brush(RGB(4, 5, 6));
        CPen* oldPen = dc.SelectObject(&pen);
        dc.SelectObject(oldPen);
        dc.SelectObject(old);
        AfxDeleteTempMaps();
    };
    churn();
    DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 50; ++i)
        churn();
    EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), before);
}

TEST(Gdi, CreatingAnObjectAgainDeletesTheOneHeldBefore)
{
    CBrush brush(RGB(1, 2, 3));
    HGDIOBJ first = brush.m_hObject;
    ASSERT_TRUE(brush.CreateSolidBrush(RGB(4, 5, 6)));
    EXPECT_NE(brush.m_hObject, first);
    EXPECT_EQ(::GetObjectType(first), 0u);
    EXPECT_EQ(::GetObjectType(brush.m_hObject), static_cast<DWORD>(OBJ_BRUSH));
}

namespace {

// Paints through a memory DC attached over its paint DC.
class AttachingPainter : public CWnd {
public:
    HDC memory = nullptr;
    bool painted = false;
    void OnPaint()
    {
        CPaintDC dc(this);
        memory = ::CreateCompatibleDC(dc.m_hDC);
        dc.Attach(memory);
        painted = true;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(AttachingPainter, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

} // namespace

TEST(Gdi, AttachingOverAHeldDcGivesThatOneBackAsItWasObtained)
{
    CDC plain;
    ASSERT_TRUE(plain.CreateCompatibleDC(nullptr));
    HDC first = plain.m_hDC;
    ASSERT_TRUE(plain.CreateCompatibleDC(nullptr));
    EXPECT_EQ(::GetObjectType(first), 0u);
    HDC second = plain.m_hDC;
    ASSERT_TRUE(plain.Attach(second));
    EXPECT_EQ(::GetObjectType(second), static_cast<DWORD>(OBJ_MEMDC));

    AttachingPainter window;
    ASSERT_TRUE(
        window.CreateEx(0, nullptr, L"attach", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
    // A client DC's window DC goes back to the window (a second release
    // finds nothing to give back); the DC taken in its place is deleted.
    HDC memory = ::CreateCompatibleDC(nullptr);
    {
        CClientDC client(&window);
        HDC windowDC = client.m_hDC;
        ASSERT_TRUE(client.Attach(memory));
        EXPECT_EQ(::ReleaseDC(window.m_hWnd, windowDC), 0);
    }
    EXPECT_EQ(::GetObjectType(memory), 0u);

    // The paint DC ends with EndPaint, which still validates the window.
    window.Invalidate();
    window.UpdateWindow();
    ASSERT_TRUE(window.painted);
    EXPECT_EQ(::GetObjectType(window.memory), 0u);
    EXPECT_FALSE(::GetUpdateRect(window.m_hWnd, nullptr, FALSE));
    window.DestroyWindow();
}
