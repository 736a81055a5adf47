// The main window in this process while its thread waits for a busy worker:
// a switch or rescan clicked meanwhile is refused and leaves the window as it
// was. The worker is held inside a refresh by the simulated drive, so the
// order of events is fixed.

#include "MainWindowFixture.h"
#include "SystemOptDlg.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// Closes every "Smart Tool" box the window shows, and counts them.
class BoxCloser {
public:
    BoxCloser()
        : m_thread([this] {
              while (!m_stop) {
                  ::EnumWindows(&BoxCloser::Close, reinterpret_cast<LPARAM>(this));
                  ::Sleep(20);
              }
          })
    {
    }
    ~BoxCloser()
    {
        m_stop = true;
        m_thread.join();
    }
    int Closed() const { return m_closed; }

private:
    static BOOL CALLBACK Close(HWND window, LPARAM self)
    {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        // Read without a message: the window's thread may be waiting for this one.
        WCHAR title[64] = {};
        ::InternalGetWindowText(window, title, 64);
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && wcscmp(title, L"Smart Tool") == 0) {
            ++reinterpret_cast<BoxCloser*>(self)->m_closed;
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_closed{0};
    std::thread m_thread;
};

// What a person sees of the window that a refused click must not change.
struct WindowState {
    CWnd* page;
    BOOL switching;
    UINT_PTR timer;
    std::wstring status;
    std::vector<std::wstring> disks;
    bool operator==(const WindowState& o) const
    {
        return page == o.page && switching == o.switching && timer == o.timer && status == o.status && disks == o.disks;
    }
};

class MainWindowWaitTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        Open();
    }

    WindowState State()
    {
        WindowState state{m_main->m_pCurPage, m_main->m_bSwitching, m_main->m_nAutoCheckTimer, {}, {}};
        HWND bar = ::FindWindowExW(m_main->m_hWnd, nullptr, STATUSCLASSNAMEW, nullptr);
        WCHAR text[256] = {};
        if (bar && LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, 1, 0)) < 256)
            ::SendMessageW(bar, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
        state.status = text;
        HWND list = m_main->GetDlgItem(IDC_COMBO_DISK_LIST)->m_hWnd;
        int count = static_cast<int>(::SendMessageW(list, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            WCHAR item[256] = {};
            if (::SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 256)
                ::SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            state.disks.push_back(item);
        }
        return state;
    }
};

// A switch clicked while a rescan waits for the worker is refused: no switch
// command, no waiting state (flag, timer, box), the SMART page stays shown.
TEST_F(MainWindowWaitTest, SwitchClickedWhileARescanWaitsLeavesTheWindowAsItWas)
{
    Click(IDC_BTN_SMART_INFO);
    ASSERT_EQ(static_cast<CWnd*>(m_main->m_pSystemOptDlg), m_main->m_pCurPage);
    HoldTheWorker();
    SimClearJournal();
    BoxCloser boxes;
    WindowState before = State();
    WindowState during = {};
    PostClick(IDC_BTN_SWITCH_MODE);
    QueuedStep inside([&] {
        during = State();
        SimReleaseHeldCalls();
    });
    Click(IDC_BTN_RESCAN);
    ASSERT_TRUE(inside.Ran());
    EXPECT_TRUE(before == during);
    EXPECT_EQ(before.page, m_main->m_pCurPage);
    EXPECT_FALSE(m_main->m_bSwitching);
    EXPECT_EQ(0u, m_main->m_nAutoCheckTimer);
    EXPECT_EQ(0, boxes.Closed());
    EXPECT_TRUE(Calls("NvmeSwitchSpeed").empty());
    // The rescan itself ran once the worker was free.
    EXPECT_EQ(1u, Calls("NvmeScanController").size());
}

// A rescan clicked while a switch waits for the worker is refused: the disk
// list keeps its entries and no scan reaches the library; the switch goes on.
TEST_F(MainWindowWaitTest, RescanClickedWhileASwitchWaitsLeavesTheDiskList)
{
    HoldTheWorker();
    SimClearJournal();
    BoxCloser boxes;
    WindowState before = State();
    ASSERT_FALSE(before.disks.empty());
    std::vector<std::wstring> during;
    PostClick(IDC_BTN_RESCAN);
    QueuedStep inside([&] {
        during = State().disks;
        SimReleaseHeldCalls();
    });
    Click(IDC_BTN_SWITCH_MODE);
    ASSERT_TRUE(inside.Ran());
    EXPECT_EQ(before.disks, during);
    EXPECT_EQ(before.disks, State().disks);
    EXPECT_TRUE(Calls("NvmeScanController").empty());
    EXPECT_EQ(1u, Calls("NvmeSwitchSpeed").size());
}

} // namespace
