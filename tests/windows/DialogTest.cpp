// Dialogs from templates: modal loops (nesting, timers, posted messages,
// keyboard), attachment before WM_INITDIALOG, data exchange, child pages.

#include "Afx.h"
#include "FrameworkTestIds.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT WM_FROM_INNER = WM_APP + 10;

class InnerDlg : public CDialog {
public:
    explicit InnerDlg(CWnd* parent) : CDialog(IDD_TEST_MODAL, parent) {}
    HWND outer = nullptr;
    bool outerDisabledMeanwhile = false;
    bool sawEditKey = false;
    int destroyCalls = 0;
    std::function<bool()> done;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ::PostMessageW(outer, WM_FROM_INNER, 0, 0);
        // A key for a control of this dialog passes this dialog's PreTranslateMessage.
        GetDlgItem(IDC_TEST_EDIT)->PostMessage(WM_KEYDOWN, 'A', 0);
        SetTimer(1, 10);
        return TRUE;
    }
    void OnTimer(UINT_PTR)
    {
        outerDisabledMeanwhile = !::IsWindowEnabled(outer);
        if (done())
            EndDialog(5);
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN && msg->hwnd == ::GetDlgItem(m_hWnd, IDC_TEST_EDIT))
            sawEditKey = true;
        return CDialog::PreTranslateMessage(msg);
    }
    BOOL DestroyWindow() override
    {
        ++destroyCalls;
        return CDialog::DestroyWindow();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(InnerDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

class OuterDlg : public CDialog {
public:
    OuterDlg() : CDialog(IDD_TEST_MODAL) {}
    bool gotPosted = false;
    int ticksDuringInner = 0;
    bool innerRunning = false;
    INT_PTR innerResult = 0;
    bool enabledAfterInner = false;
    bool innerOwnedByOuter = false;
    bool innerSawKey = false;
    bool innerDisabledOuter = false;
    int innerDestroyCalls = 0;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetTimer(1, 10); // starts the inner dialog
        SetTimer(2, 15); // must keep ticking while the inner loop runs
        return TRUE;
    }
    void OnTimer(UINT_PTR id)
    {
        if (id == 2) {
            if (innerRunning)
                ++ticksDuringInner;
            return;
        }
        KillTimer(1);
        InnerDlg inner(this);
        inner.outer = m_hWnd;
        inner.done = [this] { return gotPosted && ticksDuringInner >= 2; };
        innerRunning = true;
        innerResult = inner.DoModal();
        innerRunning = false;
        innerOwnedByOuter = true;
        enabledAfterInner = IsWindowEnabled();
        innerSawKey = inner.sawEditKey;
        innerDisabledOuter = inner.outerDisabledMeanwhile;
        innerDestroyCalls = inner.destroyCalls;
        EndDialog(7);
    }
    LRESULT OnFromInner(WPARAM, LPARAM)
    {
        gotPosted = innerRunning;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OuterDlg, CDialog)
ON_WM_TIMER()
ON_MESSAGE(WM_FROM_INNER, OnFromInner)
END_MESSAGE_MAP()

} // namespace

TEST(Dialog, ModalLoopsNestAndKeepDispatchingTimersAndPostedMessages)
{
    OuterDlg outer;
    EXPECT_EQ(outer.DoModal(), 7);
    EXPECT_EQ(outer.innerResult, 5);
    EXPECT_TRUE(outer.gotPosted);
    EXPECT_GE(outer.ticksDuringInner, 2);
    EXPECT_TRUE(outer.innerDisabledOuter);
    EXPECT_TRUE(outer.enabledAfterInner);
    EXPECT_TRUE(outer.innerSawKey);
    EXPECT_EQ(outer.innerDestroyCalls, 1);
    EXPECT_EQ(outer.m_hWnd, nullptr);
}

namespace {

class CountingButton : public CButton {
public:
    int preSubclassCalls = 0;
    void PreSubclassWindow() override { ++preSubclassCalls; }
};

class ExchangeDlg : public CDialog {
public:
    ExchangeDlg() : CDialog(IDD_TEST_MODAL) {}
    CountingButton button;
    bool attachedAtSetFont = false;
    bool attachedAtInit = false;
    HWND buttonAfterFirst = nullptr;
    HWND buttonAfterSecond = nullptr;
    int callsAfterSecond = 0;

    void DoDataExchange(CDataExchange* dx) override
    {
        CDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_TEST_BUTTON, button);
    }
    BOOL OnInitDialog() override
    {
        attachedAtInit = FromHandlePermanent(m_hWnd) == this;
        CDialog::OnInitDialog(); // the exchange attaches the button
        buttonAfterFirst = button.m_hWnd;
        UpdateData(FALSE);
        buttonAfterSecond = button.m_hWnd;
        callsAfterSecond = button.preSubclassCalls;
        EndDialog(IDOK);
        return TRUE;
    }
    LRESULT OnSetFontMessage(WPARAM, LPARAM)
    {
        attachedAtSetFont = true;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ExchangeDlg, CDialog)
ON_MESSAGE(WM_SETFONT, OnSetFontMessage)
END_MESSAGE_MAP()

} // namespace

TEST(Dialog, IsAttachedBeforeItsFirstMessagesAndAttachesEachControlOnce)
{
    ExchangeDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(dialog.attachedAtSetFont);
    EXPECT_TRUE(dialog.attachedAtInit);
    EXPECT_NE(dialog.buttonAfterFirst, nullptr);
    EXPECT_EQ(dialog.buttonAfterSecond, dialog.buttonAfterFirst);
    EXPECT_EQ(dialog.callsAfterSecond, 1);
    EXPECT_EQ(dialog.button.m_hWnd, nullptr); // detached when the dialog went
}

namespace {

class KeyDlg : public CDialog {
public:
    KeyDlg(UINT message, WPARAM key) : CDialog(IDD_TEST_MODAL), m_message(message), m_key(key) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        CWnd* edit = GetDlgItem(IDC_TEST_EDIT);
        edit->SetFocus();
        if (m_message == WM_CLOSE)
            PostMessage(WM_CLOSE);
        else
            edit->PostMessage(m_message, m_key, 1);
        return FALSE;
    }

private:
    UINT m_message;
    WPARAM m_key;
};

} // namespace

TEST(Dialog, EnterEscapeAndCloseEndTheModalDialogAsTheFrameworkDoes)
{
    struct Case {
        UINT message;
        WPARAM key;
        INT_PTR result;
    } cases[] = {
        {WM_KEYDOWN, VK_RETURN, IDOK},
        {WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
        {WM_CLOSE, 0, IDCANCEL},
    };
    for (const Case& c : cases) {
        KeyDlg dialog(c.message, c.key);
        EXPECT_EQ(dialog.DoModal(), c.result) << c.message << " " << c.key;
    }
}

TEST(Dialog, ModelessChildPageIsCreatedInsideItsParent)
{
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, L"page host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    CDialog page;
    ASSERT_TRUE(page.Create(IDD_TEST_CHILD, &host));
    EXPECT_EQ(::GetParent(page.m_hWnd), host.m_hWnd);
    EXPECT_TRUE(page.GetStyle() & WS_CHILD);
    EXPECT_NE(page.GetDlgItem(IDC_TEST_BUTTON), nullptr);
    // A page cannot also run modally: its window stays.
    HWND pageWindow = page.m_hWnd;
    EXPECT_EQ(page.DoModal(), -1);
    EXPECT_EQ(page.m_hWnd, pageWindow);
    EXPECT_TRUE(::IsWindow(pageWindow));
    page.DestroyWindow();
    EXPECT_EQ(page.m_hWnd, nullptr);
}

TEST(Dialog, MissingTemplateGivesMinusOne)
{
    CDialog dialog(4242);
    EXPECT_EQ(dialog.DoModal(), -1);
}

namespace {

constexpr UINT WM_THREAD_PING = WM_APP + 30;

class PingThread : public CWinThread {
public:
    int pings = 0;
    void OnPing(WPARAM, LPARAM) { ++pings; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PingThread, CWinThread)
ON_THREAD_MESSAGE(WM_THREAD_PING, OnPing)
END_MESSAGE_MAP()

// Ends by itself after a few timer ticks; nested: runs a second one first,
// whose quit request must end this loop too.
class QuitDlg : public CDialog {
public:
    explicit QuitDlg(bool outer) : CDialog(IDD_TEST_MODAL), m_outer(outer) {}
    INT_PTR innerResult = 0;
    int ticks = 0;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ::PostThreadMessageW(::GetCurrentThreadId(), WM_THREAD_PING, 0, 0);
        SetTimer(1, 10);
        return TRUE;
    }
    void OnTimer(UINT_PTR)
    {
        if (++ticks == 3 && m_outer) {
            QuitDlg inner(false);
            innerResult = inner.DoModal();
        } else if (ticks == 3) {
            ::PostQuitMessage(9);
        } else if (ticks > 50) {
            EndDialog(IDABORT); // the quit request was lost
        }
    }
    DECLARE_MESSAGE_MAP()

private:
    bool m_outer;
};

BEGIN_MESSAGE_MAP(QuitDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

} // namespace

TEST(Dialog, ThreadMessagesReachTheThreadMapAndAQuitEndsEveryNestedLoop)
{
    PingThread thread;
    CWinThread::SetCurrent(&thread);
    QuitDlg outer(true);
    INT_PTR result = outer.DoModal();
    CWinThread::SetCurrent(nullptr);

    EXPECT_EQ(thread.pings, 2); // one per dialog, each while its loop ran
    EXPECT_NE(outer.innerResult, IDABORT);
    EXPECT_NE(result, IDABORT);
    EXPECT_EQ(outer.m_hWnd, nullptr);
    // The quit request is still there for the thread's own loop.
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 9u);
}

namespace {

// Destroys its own window instead of ending the dialog.
class SelfDestroyingDlg : public CDialog {
public:
    explicit SelfDestroyingDlg(CWnd* parent) : CDialog(IDD_TEST_MODAL, parent) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetTimer(1, 10);
        return TRUE;
    }
    void OnTimer(UINT_PTR) { DestroyWindow(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfDestroyingDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

} // namespace

TEST(Dialog, ModalLoopWhoseWindowIsDestroyedEndsAsAbortedAndFreesItsOwner)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
    SelfDestroyingDlg dialog(&owner);
    EXPECT_EQ(dialog.DoModal(), IDABORT);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

namespace {

// Destroys its window while the platform is still making it.
class DestroyedInInitDlg : public CDialog {
public:
    explicit DestroyedInInitDlg(CWnd* parent) : CDialog(IDD_TEST_MODAL, parent) {}
    BOOL OnInitDialog() override
    {
        DestroyWindow();
        return TRUE;
    }
};

} // namespace

TEST(Dialog, DialogThatCannotBeMadeGivesMinusOneAndFreesItsOwner)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
    CDialog unregisteredControl(IDD_TEST_UNREGISTERED_CONTROL, &owner);
    DestroyedInInitDlg destroyedInInit(&owner);
    struct Case {
        const char* name;
        CDialog* dialog;
    } cases[] = {{"control of an unregistered class", &unregisteredControl},
                 {"window destroyed in OnInitDialog", &destroyedInInit}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.dialog->DoModal(), -1);
        EXPECT_EQ(c.dialog->m_hWnd, nullptr);
        EXPECT_TRUE(owner.IsWindowEnabled());
    }
    owner.DestroyWindow();
}
