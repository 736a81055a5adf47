// The result box, run modally as the main window runs it: the kind icon, the
// text's place, closing, and what each box leaves behind.

#include "MessageInfoDlg.h"
#include "Screenshot.h"
#include "Trace.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs a check on the box once it is on the screen.
class ProbedBox : public CMessageInfoDlg {
public:
    ProbedBox(int kind, CString text, std::function<void(ProbedBox&)> onShown)
        : CMessageInfoDlg(kind, text), m_onShown(std::move(onShown))
    {
    }
    using CMessageInfoDlg::m_btnIcon;
    using CMessageInfoDlg::m_btnOk;
    using CMessageInfoDlg::m_hBkBitmap;
    using CMessageInfoDlg::m_hIconFail;
    using CMessageInfoDlg::m_hIconOk;
    using CMessageInfoDlg::m_hIconSuccess;
    using CMessageInfoDlg::m_hIconWarning;

    BOOL OnInitDialog() override
    {
        BOOL result = CMessageInfoDlg::OnInitDialog();
        SetTimer(1, 150);
        return result;
    }
    void OnTimer(UINT_PTR id)
    {
        KillTimer(id);
        if (m_onShown)
            m_onShown(*this);
    }
    DECLARE_MESSAGE_MAP()

private:
    std::function<void(ProbedBox&)> m_onShown;
};

BEGIN_MESSAGE_MAP(ProbedBox, CMessageInfoDlg)
ON_WM_TIMER()
END_MESSAGE_MAP()

enum class Seen { Green, Red, Amber, Nothing };

// Which of the kind icons' colours fills most of a window on the screen.
Seen DominantColour(HWND window)
{
    int green = 0, red = 0, amber = 0;
    WindowPicture picture(window);
    for (uint32_t pixel : picture.Pixels()) {
        int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        if (g > r + 60 && g > b + 40)
            ++green;
        else if (r > 180 && g > 130 && b < 90)
            ++amber;
        else if (r > g + 80 && r > b + 80)
            ++red;
    }
    int most = std::max({green, red, amber});
    if (most < 50)
        return Seen::Nothing;
    return most == green ? Seen::Green : most == red ? Seen::Red : Seen::Amber;
}

struct ResultBoxTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(AfxInitRichEdit2()); }
};

} // namespace

TEST_F(ResultBoxTest, ShowsTheIconOfItsKind)
{
    struct Case {
        int kind;
        const wchar_t* text;
        Seen seen;
        const wchar_t* screenshot;
    } cases[] = {
        {MSGINFO_SUCCESS, L"Operation success", Seen::Green, L"result_box_success"},
        {MSGINFO_FAIL, L"Operation fail, OS is running on the selected device!", Seen::Red, L"result_box_failure"},
        {MSGINFO_WARNING, L"Please check the drive", Seen::Amber, L"result_box_warning"},
        {7, L"Unknown kind", Seen::Green, nullptr},
    };
    for (const Case& c : cases) {
        Seen seen = Seen::Nothing;
        bool iconDisabled = false;
        ProbedBox box(c.kind, c.text, [&](ProbedBox& shown) {
            seen = DominantColour(shown.m_btnIcon.m_hWnd);
            iconDisabled = !shown.m_btnIcon.IsWindowEnabled();
            if (c.screenshot) {
                EXPECT_TRUE(SaveScreenshot(shown.m_hWnd, c.screenshot));
            }
            shown.EndDialog(IDOK);
        });
        EXPECT_EQ(box.DoModal(), IDOK);
        EXPECT_EQ(seen, c.seen) << c.kind;
        EXPECT_TRUE(iconDisabled) << "the disabled icon button still shows its icon in full colour";
    }
}

TEST_F(ResultBoxTest, CountsOneLinePerLineFeedPlusOne)
{
    struct Case {
        const wchar_t* text;
        int lines;
    } cases[] = {{L"", 1}, {L"Operation success", 1}, {L"a\nb", 2}, {L"a\r\nb\r\n", 3}, {L"\n\n\n", 4}};
    for (const Case& c : cases)
        EXPECT_EQ(CMessageInfoDlg::CountLines(c.text), c.lines) << c.text;
}

TEST_F(ResultBoxTest, CentresTheTextVerticallyWithLeadingLineBreaks)
{
    struct Case {
        const wchar_t* text;
        int textLines;
    } cases[] = {
        {L"Operation success", 1},
        {L"Operation success\r\nOperation success", 2},
        {L"1\n2\n3\n4\n5\n6\n7\n8", 8}, // longer than the box: no breaks, it scrolls
    };
    for (const Case& c : cases) {
        int firstTextLine = -1, visibleLines = 0;
        CString shownText;
        bool bold = false;
        DWORD effects = 0;
        LONG height = 0;
        ProbedBox box(MSGINFO_SUCCESS, c.text, [&](ProbedBox& shown) {
            CWnd* edit = shown.GetDlgItem(IDC_RICHEDIT_MESSAGE);
            CRect format;
            edit->SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
            visibleLines = format.Height() / 16; // 12-point lines at 96 dots per inch
            FINDTEXTW find = {{0, -1}, c.text[0] == L'1' ? L"1" : L"Operation"};
            LRESULT at = edit->SendMessage(EM_FINDTEXTW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
            firstTextLine = static_cast<int>(edit->SendMessage(EM_EXLINEFROMCHAR, 0, at));
            CHARFORMATW format2 = {};
            format2.cbSize = sizeof(format2);
            edit->SendMessage(EM_SETSEL, at, at + 1);
            edit->SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format2));
            bold = (format2.dwEffects & CFE_BOLD) && format2.yHeight == 240;
            effects = format2.dwEffects, height = format2.yHeight;
            shown.EndDialog(IDOK);
        });
        box.DoModal();
        ASSERT_EQ(::GetDeviceCaps(CClientDC(nullptr), LOGPIXELSY), 96);
        EXPECT_GE(visibleLines, 4) << "the 52-unit-high control holds four or five 12-point lines";
        EXPECT_EQ(firstTextLine, std::max(0, (visibleLines - c.textLines) / 2)) << c.text;
        EXPECT_TRUE(bold) << effects << " " << height;
    }
}

TEST_F(ResultBoxTest, OkEnterAndEscapeCloseTheBox)
{
    struct Case {
        const char* how;
        std::function<void(ProbedBox&)> close;
        INT_PTR result;
    } cases[] = {
        {"OK", [](ProbedBox& b) { b.m_btnOk.PostMessage(BM_CLICK); }, IDOK},
        {"Enter", [](ProbedBox&) { CWnd::GetFocus()->PostMessage(WM_KEYDOWN, VK_RETURN, 1); }, IDOK},
        {"Esc", [](ProbedBox&) { CWnd::GetFocus()->PostMessage(WM_KEYDOWN, VK_ESCAPE, 1); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        bool okIsDefault = false, okHasFocus = false;
        ProbedBox box(MSGINFO_SUCCESS, L"Operation success", [&](ProbedBox& shown) {
            okIsDefault = shown.m_btnOk.IsDefaultButton();
            okHasFocus = CWnd::GetFocus() == &shown.m_btnOk;
            c.close(shown);
        });
        EXPECT_EQ(box.DoModal(), c.result) << c.how;
        EXPECT_TRUE(okIsDefault) << c.how;
        EXPECT_TRUE(okHasFocus) << c.how;
    }
}

TEST_F(ResultBoxTest, EachBoxFreesItsIconsAndBitmapAndTheCountsStayFlat)
{
    auto runBox = [] {
        HICON icons[4] = {};
        HBITMAP background = nullptr;
        {
            ProbedBox box(MSGINFO_FAIL, L"Operation fail", [](ProbedBox& shown) { shown.EndDialog(IDOK); });
            icons[0] = box.m_hIconSuccess, icons[1] = box.m_hIconFail;
            icons[2] = box.m_hIconWarning, icons[3] = box.m_hIconOk;
            background = box.m_hBkBitmap;
            box.DoModal();
        }
        AfxDeleteTempMaps();
        for (HICON icon : icons) {
            ICONINFO info = {};
            EXPECT_FALSE(::GetIconInfo(icon, &info)) << "an icon outlived its box";
        }
        EXPECT_EQ(::GetObjectType(background), 0u) << "the background bitmap outlived its box";
    };
    runBox();
    HANDLE process = ::GetCurrentProcess();
    DWORD gdiBefore = ::GetGuiResources(process, GR_GDIOBJECTS);
    DWORD userBefore = ::GetGuiResources(process, GR_USEROBJECTS);
    for (int i = 0; i < 50; ++i)
        runBox();
    EXPECT_LE(::GetGuiResources(process, GR_GDIOBJECTS), gdiBefore + 5);
    EXPECT_LE(::GetGuiResources(process, GR_USEROBJECTS), userBefore + 5);
}

TEST_F(ResultBoxTest, MissingImageFilesAreLoggedAndTheBoxStillRuns)
{
    // From a folder without res\ the files are missing.
    wchar_t cwd[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, cwd);
    ::SetCurrentDirectoryW(L"..");
    INT_PTR result = -2;
    static std::wstring trace;
    trace.clear();
    AfxSetTraceSink([](LPCWSTR text) { trace += text; });
    {
        ProbedBox box(MSGINFO_SUCCESS, L"No images", [](ProbedBox& shown) { shown.EndDialog(IDOK); });
        EXPECT_EQ(box.m_hIconSuccess, nullptr);
        EXPECT_EQ(box.m_hBkBitmap, nullptr);
        result = box.DoModal();
    }
    AfxSetTraceSink(nullptr);
    ::SetCurrentDirectoryW(cwd);
    EXPECT_EQ(result, IDOK);

    // One line per icon, in load order; the background is not reported.
    size_t at = 0;
    for (const wchar_t* name : {L"success", L"fail", L"warning", L"ok"}) {
        std::wstring line = std::wstring(L"Load ") + name + L" icon error, error num: ";
        at = trace.find(line, at);
        ASSERT_NE(at, std::wstring::npos) << name << " in: " << trace;
        at = trace.find(L'\n', at);
        ASSERT_NE(at, std::wstring::npos);
    }
    EXPECT_EQ(trace.find(L"subbk"), std::wstring::npos);
}
