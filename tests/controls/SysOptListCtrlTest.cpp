// The SMART attribute list: its six columns, grid lines, swallowed left
// clicks, and its state icons.

#include "ControlsTestDlg.h"
#include "Screenshot.h"
#include "TempDir.h"
#include "Trace.h"

namespace {

class ListWindow : public ::testing::Test {
protected:
    void SetUp() override { dlg.Open(); }
    void TearDown() override { dlg.DestroyWindow(); }

    void AddRows()
    {
        static const wchar_t* rows[][6] = {
            {L"01 (CR)", L"Critical Warning", L"100", L"100", L"00000000", L"0"},
            {L"09", L"Power On Hours", L"100", L"100", L"000004D2", L"0"},
            {L"FD", L"Clock Mode", L"100", L"100", L"00000001", L"0"},
        };
        for (int i = 0; i < 3; i++) {
            dlg.smartList.InsertItem(i, rows[i][0]);
            for (int col = 1; col < 6; col++)
                dlg.smartList.SetItemText(i, col, rows[i][col]);
        }
    }

    // Centre of a row's first cell, in the list's client coordinates.
    POINT RowPoint(int row)
    {
        CRect rect;
        dlg.smartList.GetItemRect(row, &rect, LVIR_LABEL);
        return {rect.left + 10, (rect.top + rect.bottom) / 2};
    }

    ControlsTestDlg dlg;
};

TEST_F(ListWindow, AttachingGivesSixColumnsWithGridLinesAndNoRows)
{
    CSysOptListCtrl& list = dlg.smartList;
    struct Column {
        const wchar_t* heading;
        int width;
    } expected[] = {{L"AttributeId", 100}, {L"Name", 290}, {L"Value", 60},
                    {L"Worst", 60},        {L"Raw", 100},  {L"Threshold", 60}};
    ASSERT_EQ(6, list.GetColumnCount());
    for (int i = 0; i < 6; i++) {
        wchar_t heading[64] = {};
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = heading;
        column.cchTextMax = 64;
        ASSERT_TRUE(list.SendMessage(LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(expected[i].heading, heading);
        EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
        EXPECT_EQ(expected[i].width, list.GetColumnWidth(i)) << expected[i].heading;
    }
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_GRIDLINES);
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_SUBITEMIMAGES);
    EXPECT_EQ(0, list.GetItemCount());

    // The tuning hooks change nothing.
    list.SetOptionState(SYSOPT_ITEM_TRIM, TRUE);
    list.AdjustLayout();
    list.RefreshItems();
    EXPECT_EQ(6, list.GetColumnCount());
    EXPECT_EQ(0, list.GetItemCount());
}

TEST_F(ListWindow, LeftClicksNeitherSelectNorNotifyButTheKeyboardStillSelects)
{
    CSysOptListCtrl& list = dlg.smartList;
    AddRows();
    dlg.pathEdit.SetFocus();
    PumpMessages(20);

    POINT second = RowPoint(1);
    LVHITTESTINFO hit = {};
    hit.pt = second;
    ASSERT_EQ(1, list.SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    dlg.notifications.clear();
    ClickAt(list.GetSafeHwnd(), second.x, second.y);
    EXPECT_EQ(-1, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_NE(list.GetSafeHwnd(), ::GetFocus());
    for (const NMHDR& n : dlg.notifications)
        EXPECT_NE(static_cast<UINT>(NM_CLICK), n.code) << "no click notification goes onwards";

    list.SetFocus();
    list.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    PumpMessages(20);
    EXPECT_NE(-1, list.GetNextItem(-1, LVNI_SELECTED));
}

TEST_F(ListWindow, ScreenshotWithRows)
{
    CSysOptListCtrl& list = dlg.smartList;
    AddRows();
    dlg.Repaint();
    WindowPicture picture(list.GetSafeHwnd());
    EXPECT_TRUE(picture.Save(L"smart_list"));

    // Each row writes its id and name in the list's text colour; the row
    // after the last is empty.
    COLORREF text = static_cast<COLORREF>(list.SendMessage(LVM_GETTEXTCOLOR));
    if (text == CLR_DEFAULT)
        text = ::GetSysColor(COLOR_WINDOWTEXT);
    auto inked = [&](const CRect& cell) {
        int count = 0;
        for (int y = cell.top; y < cell.bottom; y++) {
            for (int x = cell.left; x < cell.right; x++)
                count += picture.At(list.GetSafeHwnd(), x, y) == text ? 1 : 0;
        }
        return count;
    };
    auto cell = [&](int item, int column) {
        CRect rect(LVIR_LABEL, column, 0, 0); // the message reads the part and the column from the rectangle
        list.SendMessage(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&rect));
        return rect;
    };
    for (int i = 0; i < 3; i++) {
        for (int column : {0, 1})
            EXPECT_GT(inked(cell(i, column)), 5) << "row " << i << " column " << column;
    }
    CRect below = cell(2, 1);
    below.OffsetRect(0, below.Height());
    EXPECT_EQ(0, inked(below));
}

std::vector<CString> g_trace;

class TestList : public CSysOptListCtrl {
public:
    using CSysOptListCtrl::m_hActionIcon;
    using CSysOptListCtrl::m_imageList;
};

TEST(SysOptListCtrl, StateIconsLoadFromTheResFolderAndMissingOnesAreLogged)
{
    g_trace.clear();
    AfxSetTraceSink([](LPCWSTR text) { g_trace.push_back(text); });
    {
        TestList list; // the test folder carries the program's res\ icons
        list.LoadStateIcons();
        EXPECT_NE(nullptr, list.m_hActionIcon);
        EXPECT_EQ(2, list.m_imageList.GetImageCount());

        HICON first = list.m_hActionIcon;
        list.LoadStateIcons();
        ICONINFO info = {};
        EXPECT_FALSE(::GetIconInfo(first, &info)) << "the first action icon is freed";
        EXPECT_NE(nullptr, list.m_hActionIcon);
        EXPECT_EQ(2, list.m_imageList.GetImageCount()) << "the state icons are added once";
    }
    EXPECT_TRUE(g_trace.empty());

    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    TempDir empty;
    ::SetCurrentDirectoryW(empty.Path());
    {
        TestList list;
        list.LoadStateIcons();
        EXPECT_EQ(nullptr, list.m_hActionIcon);
        EXPECT_EQ(0, list.m_imageList.GetImageCount());
    }
    ::SetCurrentDirectoryW(previous);
    AfxSetTraceSink(nullptr);

    const wchar_t* expected[] = {L"Load Action icon error, error num: ", L"Load stateok icon error, error num: ",
                                 L"Load statewarning icon error, error num: "};
    ASSERT_EQ(3u, g_trace.size());
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(0, g_trace[i].Find(expected[i])) << g_trace[i].GetString();
}

} // namespace
