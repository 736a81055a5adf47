#include <gtest/gtest.h>

#include "CString.h"

#include <climits>

TEST(CString, ConstructsFromWideAndNarrowText)
{
    EXPECT_EQ(CString(L"abc"), CString("abc"));
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    EXPECT_EQ(3, CString(L'z', 3).GetLength());
    EXPECT_EQ(CString(L"ab"), CString(L"abcdef", 2));
}

TEST(CString, FindsAndCuts)
{
    CString s(L"C:\\Tools\\app.exe");
    EXPECT_EQ(2, s.Find(L'\\'));
    EXPECT_EQ(8, s.ReverseFind(L'\\'));
    EXPECT_EQ(9, s.Find(L"app"));
    EXPECT_EQ(-1, s.Find(L"zz"));
    EXPECT_EQ(-1, s.Find(L'C', 99));
    EXPECT_EQ(CString(L"C:\\Tools\\"), s.Left(9));
    EXPECT_EQ(CString(L"exe"), s.Right(3));
    EXPECT_EQ(CString(L"app"), s.Mid(9, 3));
    EXPECT_EQ(CString(L"app.exe"), s.Mid(9));
    // Out-of-range arguments are clamped, never read past the text.
    EXPECT_EQ(s, s.Left(100));
    EXPECT_EQ(CString(), s.Mid(100));
    EXPECT_EQ(s, s.Right(100));
}

TEST(CString, EditsInPlace)
{
    CString s(L"  Mixed Case \t\r\n");
    s.Trim();
    EXPECT_EQ(CString(L"Mixed Case"), s);
    s.MakeUpper();
    EXPECT_EQ(CString(L"MIXED CASE"), s);
    s.MakeLower();
    EXPECT_EQ(CString(L"mixed case"), s);
    EXPECT_EQ(1, s.Replace(L"case", L"cases"));
    EXPECT_EQ(CString(L"mixed cases"), s);
    EXPECT_EQ(2, s.Replace(L's', L'z'));
    EXPECT_EQ(2, s.Remove(L'z'));
    EXPECT_EQ(CString(L"mixed cae"), s);

    CString path(L"a/b/c");
    EXPECT_EQ(2, path.Replace(L"/", L"\\"));
    EXPECT_EQ(CString(L"a\\b\\c"), path);
    CString dots(L"xx--xx");
    dots.Trim(L'x');
    EXPECT_EQ(CString(L"--"), dots);
}

TEST(CString, BufferRoundTrip)
{
    CString s;
    LPWSTR buffer = s.GetBuffer(10);
    wcscpy(buffer, L"hello");
    s.ReleaseBuffer();
    EXPECT_EQ(CString(L"hello"), s);
    EXPECT_EQ(5, s.GetLength());

    buffer = s.GetBuffer(3);
    buffer[2] = L'\0';
    s.ReleaseBuffer();
    EXPECT_EQ(CString(L"he"), s);

    s.GetBuffer(20);
    s.ReleaseBuffer(1);
    EXPECT_EQ(CString(L"h"), s);
}

TEST(CString, ComparesAndConcatenates)
{
    CString a(L"Abc");
    EXPECT_EQ(0, a.CompareNoCase(L"aBC"));
    EXPECT_NE(0, a.Compare(L"abc"));
    EXPECT_TRUE(a == L"Abc");
    EXPECT_TRUE(L"Abc" == a);
    EXPECT_TRUE(a != L"x");
    CString b = a + L"-" + CString(L"d") + L'e';
    EXPECT_EQ(CString(L"Abc-de"), b);
    b += L'!';
    EXPECT_STREQ(L"Abc-de!", static_cast<LPCWSTR>(b));
}

TEST(CString, BadIndexGivesZeroAndChangesNothingInsteadOfThrowing)
{
    CString s(L"abc");
    EXPECT_EQ(s.GetAt(2), L'c');
    EXPECT_EQ(s[0], L'a');
    // The terminator may be read; beyond it nothing is.
    for (int index : {3, 4, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(s.GetAt(index), L'\0');
        EXPECT_EQ(s[index], L'\0');
    }
    for (int index : {3, -1, INT_MAX}) {
        SCOPED_TRACE(index);
        s.SetAt(index, L'x');
        EXPECT_EQ(s, L"abc");
    }
    s.SetAt(1, L'x');
    EXPECT_EQ(s, L"axc");
    EXPECT_EQ(CString().GetAt(0), L'\0');
}
