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
