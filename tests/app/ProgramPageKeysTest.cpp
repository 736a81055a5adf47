// Esc and Enter pressed while a control of a page has the focus: the page
// keeps them to itself, so the content area keeps its page, the navigation
// still works and the program runs on.

#include "ProgramDriver.h"

#include <gtest/gtest.h>

namespace {

// The window that has the keyboard focus in the thread of the given window.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// A right click on the first row of a report list, as the mouse posts it:
// just below the list's header. The SMART list swallows left clicks (they
// neither select a row nor take the focus); a right click on a row selects
// it and gives the list the focus.
void RightClickFirstRow(HWND list)
{
    RECT header = {};
    ::GetWindowRect(::FindWindowExW(list, nullptr, WC_HEADERW, nullptr), &header);
    ::MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&header), 2);
    LPARAM at = MAKELPARAM(20, header.bottom + 6);
    ::PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
    ::PostMessageW(list, WM_RBUTTONUP, 0, at);
}

// One press of a key, as the keyboard posts it to the focused window.
void PressKey(HWND focus, UINT key)
{
    LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageW(focus, WM_KEYDOWN, key, scan | 1);
    ::PostMessageW(focus, WM_KEYUP, key, scan | 1 | (1 << 30) | (static_cast<LPARAM>(1u) << 31));
}

// Waits until the program has handled everything posted to the list so far:
// a posted message is taken in the order it came, so once the list reports
// the selection mark posted last, the keys before it have been handled.
bool Settle(HWND list, int mark)
{
    ::PostMessageW(list, LVM_SETSELECTIONMARK, 0, mark);
    return PumpUntil([&] { return ::SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0) == mark; });
}

bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return ::IsWindow(window) && ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

TEST(ProgramPageKeys, EscAndEnterInTheSmartListLeaveThePageShown)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForDrivePage());
    program.Click(ids::kSmartInfo);
    HWND page = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (page = program.SmartPage()) && ::IsWindowVisible(page); }));
    HWND list = ::GetDlgItem(page, ids::kSmartList);
    std::vector<std::vector<CString>> rows = program.ListRows(list, 6);
    ASSERT_FALSE(rows.empty());

    struct Key {
        UINT key;
        const char* name;
    } keys[] = {{VK_ESCAPE, "Esc"}, {VK_RETURN, "Enter"}};
    int mark = 1;
    for (const Key& k : keys) {
        SCOPED_TRACE(k.name);
        RightClickFirstRow(list);
        ASSERT_TRUE(PumpUntil([&] { return FocusOf(program.Main()) == list; }));
        ASSERT_TRUE(PumpUntil([&] { return ::SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED) == 0; }));
        PressKey(list, k.key);
        ASSERT_TRUE(Settle(list, mark++));
        EXPECT_TRUE(::IsWindowVisible(page));
        EXPECT_EQ(program.VisiblePages(), std::vector<HWND>{page});
        EXPECT_EQ(program.ListRows(list, 6), rows);
        EXPECT_TRUE(Answers(program.Main()));
        EXPECT_TRUE(::IsWindowVisible(program.Main()));
        // Each key on its own: a page a key has hidden is shown again.
        if (!::IsWindowVisible(page))
            program.ShowOnly(page);
    }

    // The buttons still switch pages both ways.
    program.Click(ids::kDiskInfo);
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(program.DrivePage()) != FALSE; }));
    program.Click(ids::kSmartInfo);
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(page) != FALSE; }));
    EXPECT_EQ(program.VisiblePages(), std::vector<HWND>{page});
    EXPECT_EQ(program.ListRows(list, 6), rows);
    EXPECT_TRUE(program.CloseAndWait());
}

} // namespace
