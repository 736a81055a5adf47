#include <gtest/gtest.h>

#include "CString.h"
#include "Trace.h"
#include "WideFormat.h"

// The formats of the program rely on the Windows meaning of the conversions.
TEST(WideFormat, ConversionsKeepTheWindowsMeaning)
{
    wchar_t buffer[128];
    int length = FormatWide(buffer, 128, L"%s|%S|%c|%I64u|%I64x|%d|%08x", L"wide", "narrow", L'W',
                            18446744073709551615ULL, 0x1234567890ULL, -5, 0xBEEFu);
    EXPECT_STREQ(L"wide|narrow|W|18446744073709551615|1234567890|-5|0000beef", buffer);
    EXPECT_EQ(static_cast<int>(wcslen(buffer)), length);
}

TEST(WideFormat, LongTextIsCutAndTerminated)
{
    wchar_t buffer[8];
    wmemset(buffer, L'#', 8);
    EXPECT_EQ(-1, FormatWide(buffer, 8, L"%s", L"0123456789"));
    EXPECT_STREQ(L"0123456", buffer);

    // A text that fills the buffer exactly up to its terminator is not cut.
    EXPECT_EQ(7, FormatWide(buffer, 8, L"%s", L"abcdefg"));
    EXPECT_STREQ(L"abcdefg", buffer);
}

TEST(WideFormat, CStringFormatHasNoLengthLimit)
{
    CString long_text(L'x', 5000);
    CString s;
    s.Format(L"[%s] %S", static_cast<LPCWSTR>(long_text), "tail");
    EXPECT_EQ(5000 + 2 + 5, s.GetLength());
    EXPECT_EQ(CString(L"] tail"), s.Right(6));
    s.AppendFormat(L"%%%d", 7);
    EXPECT_EQ(CString(L"tail%7"), s.Right(6));
}

TEST(WideFormat, CStringFormatMayReadItsOwnText)
{
    CString path(L"C:\\Tools\\");
    path.Format(L"%sKestrova_%d.debug", path.GetString(), 1);
    EXPECT_STREQ(L"C:\\Tools\\Kestrova_1.debug", path.GetString());
    CString format(L"<%d>");
    format.Format(format, 5);
    EXPECT_STREQ(L"<5>", format.GetString());
}

namespace {
CString g_traced;
void CaptureTrace(LPCWSTR text)
{
    g_traced += text;
}
} // namespace

TEST(Trace, TextIsPassedAsTextAndFormatsAreFormatted)
{
    g_traced.Empty();
    AfxSetTraceSink(CaptureTrace);
    AfxTraceText(L"100% %s\n");
    TRACE(L"%s=%d\n", L"n", 3);
    AfxSetTraceSink(nullptr);
    EXPECT_EQ(CString(L"100% %s\nn=3\n"), g_traced);
}
