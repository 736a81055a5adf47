// Message maps, reflection to the control, and subclassing, on real windows.

#include "Afx.h"
#include "Screenshot.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

constexpr UINT WM_TEST_BASE = WM_APP + 1;
constexpr UINT WM_TEST_DERIVED = WM_APP + 2;
constexpr UINT NM_TEST = 0x1234;

class BaseWnd : public CWnd {
public:
    LRESULT OnTestBase(WPARAM w, LPARAM) { return g_log.push_back("base"), static_cast<LRESULT>(w) + 1; }
    void OnTimer(UINT_PTR id)
    {
        KillTimer(id);
        g_log.push_back("timer " + std::to_string(id));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
ON_MESSAGE(WM_TEST_BASE, OnTestBase)
ON_WM_TIMER()
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd {
public:
    LRESULT OnTestDerived(WPARAM, LPARAM) { return g_log.push_back("derived"), 0; }
    void OnClick() { g_log.push_back("click"); }
    void OnRange(UINT id) { g_log.push_back("range " + std::to_string(id)); }
    void OnTestNotify(NMHDR* header, LRESULT* result)
    {
        g_log.push_back("notify " + std::to_string(header->idFrom));
        *result = 42;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
ON_MESSAGE(WM_TEST_DERIVED, OnTestDerived)
ON_BN_CLICKED(10, OnClick)
ON_COMMAND_RANGE(100, 105, OnRange)
ON_NOTIFY(NM_TEST, 11, OnTestNotify)
END_MESSAGE_MAP()

CRect TestRect(int width = 320, int height = 200)
{
    return CRect(40, 40, 40 + width, 40 + height);
}

} // namespace

TEST(MessageMap, RoutesMessagesCommandsAndNotificationsThroughTheClassChain)
{
    g_log.clear();
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"map test", WS_OVERLAPPEDWINDOW, TestRect(), nullptr, 0));
    CButton button;
    ASSERT_TRUE(button.Create(L"Push", WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), &wnd, 10));

    EXPECT_EQ(wnd.SendMessage(WM_TEST_BASE, 6), 7);
    wnd.SendMessage(WM_TEST_DERIVED);
    button.SendMessage(BM_CLICK);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(103, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(106, 0), 0); // outside the range: nobody
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(104, 1), 0); // an accelerator key is the command too
    NMHDR header = {button.m_hWnd, 11, NM_TEST};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 11, reinterpret_cast<LPARAM>(&header)), 42);
    // Notifications without their structure are left to the window's own procedure.
    for (UINT message : {WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_COMPAREITEM, WM_DELETEITEM})
        EXPECT_EQ(wnd.SendMessage(message, 11, 0), 0) << message;
    wnd.SetTimer(3, 10);
    ASSERT_TRUE(PumpUntil([] { return g_log.size() == 7; }));

    std::vector<std::string> expected = {"base", "derived", "click", "range 103", "range 104", "notify 11", "timer 3"};
    EXPECT_EQ(g_log, expected);
    // Messages without an entry reach the window's own procedure.
    CString text;
    wnd.GetWindowText(text);
    EXPECT_STREQ(text, L"map test");
    wnd.DestroyWindow();
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

// ---- reflection -----------------------------------------------------------

namespace {

class ReflectButton : public CButton {
public:
    BOOL m_clickReturn = FALSE;
    HBRUSH m_brush = nullptr;
    UINT m_lastKind = 0xFFFF;

    BOOL OnReflectedClick() { return g_log.push_back("child click"), m_clickReturn; }
    HBRUSH CtlColor(CDC*, UINT kind)
    {
        m_lastKind = kind;
        g_log.push_back("child color");
        return m_brush;
    }
    void OnReflectedNotify(NMHDR*, LRESULT* result)
    {
        g_log.push_back("child notify");
        *result = 9;
    }
    void DrawItem(LPDRAWITEMSTRUCT) override { g_log.push_back("child draw"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectButton, CButton)
ON_CONTROL_REFLECT_EX(BN_CLICKED, OnReflectedClick)
ON_WM_CTLCOLOR_REFLECT()
ON_NOTIFY_REFLECT(NM_TEST, OnReflectedNotify)
END_MESSAGE_MAP()

class ReflectParent : public CWnd {
public:
    void OnParentClick() { g_log.push_back("parent click"); }
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT)
    {
        g_log.push_back("parent color");
        return static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    }
    void OnParentNotify(NMHDR*, LRESULT*) { g_log.push_back("parent notify"); }
    void OnDrawItem(int, LPDRAWITEMSTRUCT) { g_log.push_back("parent draw"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectParent, CWnd)
ON_BN_CLICKED(10, OnParentClick)
ON_WM_CTLCOLOR()
ON_NOTIFY(NM_TEST, 10, OnParentNotify)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

struct ReflectFixture : ::testing::Test {
    ReflectParent parent;
    ReflectButton child;
    void SetUp() override
    {
        g_log.clear();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, L"reflect", WS_OVERLAPPEDWINDOW, TestRect(), nullptr, 0));
        ASSERT_TRUE(child.Create(L"Owner", WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 90, 40), &parent, 10));
    }
};

} // namespace

TEST_F(ReflectFixture, ClickGoesToTheControlFirstAndOnToTheParentOnlyWhenTheControlDeclines)
{
    struct Case {
        BOOL childReturns;
        std::vector<std::string> expected;
    } cases[] = {
        {FALSE, {"child click", "parent click"}},
        {TRUE, {"child click"}},
    };
    for (const Case& c : cases) {
        g_log.clear();
        child.m_clickReturn = c.childReturns;
        child.SendMessage(BM_CLICK);
        EXPECT_EQ(g_log, c.expected) << "child returns " << c.childReturns;
    }
}

TEST_F(ReflectFixture, EveryControlColourKindIsOfferedToTheControlBeforeTheParent)
{
    HBRUSH own = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    HDC dc = ::GetDC(child.m_hWnd);
    for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
        g_log.clear();
        child.m_brush = own;
        LRESULT brush =
            parent.SendMessage(message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child.m_hWnd));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), own) << message;
        EXPECT_EQ(child.m_lastKind, message - WM_CTLCOLORMSGBOX);
        EXPECT_EQ(g_log, std::vector<std::string>{"child color"});
    }
    // A control that gives no brush leaves the colours to its parent.
    g_log.clear();
    child.m_brush = nullptr;
    LRESULT brush =
        parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), ::GetStockObject(GRAY_BRUSH));
    EXPECT_EQ(g_log, (std::vector<std::string>{"child color", "parent color"}));
    ::ReleaseDC(child.m_hWnd, dc);
}

TEST_F(ReflectFixture, DrawItemAndNotifyAreTakenByTheControl)
{
    parent.ShowWindow(SW_SHOWNORMAL);
    parent.UpdateWindow();
    auto has = [](const char* entry) { return std::find(g_log.begin(), g_log.end(), entry) != g_log.end(); };
    ASSERT_TRUE(PumpUntil([&] { return has("child draw"); })); // the platform's own WM_DRAWITEM
    EXPECT_FALSE(has("parent draw"));

    g_log.clear();
    NMHDR header = {child.m_hWnd, 10, NM_TEST};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 10, reinterpret_cast<LPARAM>(&header)), 9);
    EXPECT_EQ(g_log, std::vector<std::string>{"child notify"});
}

// ---- subclassing ----------------------------------------------------------

namespace {

constexpr UINT WM_OLD_ONLY = WM_APP + 5;
constexpr UINT WM_MAPPED = WM_APP + 6;
std::vector<UINT> g_oldProcMessages;

LRESULT CALLBACK OldProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP)
        g_oldProcMessages.push_back(message);
    if (message == WM_OLD_ONLY)
        return 77;
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

class SubclassProbe : public CWnd {
public:
    bool attachedAtPreSubclass = false;
    bool oldProcAtPreSubclass = false;
    int preSubclassCalls = 0;
    bool sawCreate = false;

    void PreSubclassWindow() override
    {
        ++preSubclassCalls;
        attachedAtPreSubclass = FromHandlePermanent(m_hWnd) == this;
        oldProcAtPreSubclass = ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&AfxWndProc);
    }
    LRESULT OnMapped(WPARAM, LPARAM) { return 5; }
    int OnCreate(LPCREATESTRUCTW) { return sawCreate = true, 0; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SubclassProbe, CWnd)
ON_MESSAGE(WM_MAPPED, OnMapped)
ON_WM_CREATE()
END_MESSAGE_MAP()

} // namespace

TEST(Subclass, AttachesThenCallsPreSubclassWindowThenRoutesUnhandledMessagesToTheOldProcedure)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &OldProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestrovaOldProcTest";
    ::RegisterClassW(&wc);
    HWND raw = ::CreateWindowExW(0, wc.lpszClassName, L"raw", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_NE(raw, nullptr);

    g_oldProcMessages.clear();
    // A temporary wrapper handed out before stays usable until idle time.
    CWnd* temp = CWnd::FromHandle(raw);
    SubclassProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(raw));
    EXPECT_EQ(temp->m_hWnd, raw);
    EXPECT_EQ(CWnd::FromHandle(raw), &probe);
    // A second object cannot take a window that already has one.
    CWnd second;
    EXPECT_FALSE(second.SubclassWindow(raw));
    EXPECT_EQ(CWnd::FromHandlePermanent(raw), &probe);
    EXPECT_TRUE(probe.attachedAtPreSubclass);
    EXPECT_TRUE(probe.oldProcAtPreSubclass);
    EXPECT_EQ(::GetWindowLongPtrW(raw, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AfxWndProc));
    EXPECT_EQ(probe.SendMessage(WM_MAPPED), 5);
    EXPECT_EQ(probe.SendMessage(WM_OLD_ONLY), 77);
    EXPECT_EQ(g_oldProcMessages, std::vector<UINT>{WM_OLD_ONLY});

    probe.DestroyWindow();
    EXPECT_EQ(probe.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(raw), nullptr);
}

TEST(Subclass, CreatedWindowsAreAttachedBeforeTheirFirstMessage)
{
    SubclassProbe probe;
    ASSERT_TRUE(probe.CreateEx(0, nullptr, L"created", WS_OVERLAPPED, TestRect(), nullptr, 0));
    EXPECT_EQ(probe.preSubclassCalls, 1);
    EXPECT_TRUE(probe.sawCreate);
    EXPECT_EQ(CWnd::FromHandlePermanent(probe.m_hWnd), &probe);
}

// ---- the standard controls --------------------------------------------------

TEST(Controls, StandardControlsShowAndReadBackTheirContent)
{
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, L"Standard controls", WS_OVERLAPPEDWINDOW, TestRect(460, 320), nullptr, 0));
    CStatic label;
    CEdit edit;
    CButton button;
    CComboBox combo;
    CListCtrl list;
    CProgressCtrl progress;
    CStatusBar status;
    ASSERT_TRUE(label.Create(L"A label", WS_VISIBLE, CRect(10, 10, 150, 30), &host, 1));
    ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(160, 10, 300, 32), &host, 2));
    ASSERT_TRUE(button.Create(L"Button", WS_VISIBLE | BS_PUSHBUTTON, CRect(310, 10, 420, 40), &host, 3));
    ASSERT_TRUE(combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(10, 50, 200, 200), &host, 4));
    ASSERT_TRUE(list.Create(WS_VISIBLE | WS_BORDER | LVS_REPORT, CRect(10, 90, 420, 200), &host, 5));
    ASSERT_TRUE(progress.Create(WS_VISIBLE | PBS_SMOOTH, CRect(10, 210, 420, 230), &host, 6));
    ASSERT_TRUE(status.Create(&host));

    edit.SetWindowText(L"edit text");
    combo.AddString(L"first drive");
    combo.AddString(L"second drive");
    combo.SetCurSel(1);
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    list.InsertColumn(0, L"Id", LVCFMT_LEFT, 80);
    list.InsertColumn(1, L"Name", LVCFMT_LEFT, 200);
    list.InsertItem(0, L"09");
    list.SetItemText(0, 1, L"Power-On Hours");
    progress.SetRange32(0, 100);
    progress.SetPos(60);
    const UINT panes[] = {1, 2, 3};
    status.SetIndicators(panes, 3);
    status.SetPaneInfo(0, 1, SBPS_NORMAL, 100);
    status.SetPaneText(0, L"Ready");
    host.RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST);

    CString text;
    edit.GetWindowText(text);
    EXPECT_STREQ(text, L"edit text");
    combo.GetLBText(combo.GetCurSel(), text);
    EXPECT_STREQ(text, L"second drive");
    EXPECT_EQ(list.GetColumnCount(), 2);
    EXPECT_STREQ(list.GetItemText(0, 1), L"Power-On Hours");
    EXPECT_EQ(progress.GetPos(), 60);
    EXPECT_STREQ(status.GetPaneText(0), L"Ready");
    wchar_t paneText[32] = {};
    status.SendMessage(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(paneText));
    EXPECT_STREQ(paneText, L"Ready");
    // The bar lies along the bottom of its window.
    CRect client, bar;
    host.GetClientRect(&client);
    status.GetWindowRect(&bar);
    host.ScreenToClient(&bar);
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(bar.Width(), client.Width());

    host.ShowWindow(SW_SHOWNORMAL);
    host.UpdateWindow();
    PumpMessages(300);
    EXPECT_TRUE(SaveScreenshot(host.m_hWnd, L"framework_standard_controls"));
}
