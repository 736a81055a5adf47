#pragma once
// The real main window in this process, with its worker and its pages, on
// the simulated machine. The worker's memory faults once it has deleted
// itself (GuardedWorker.h). The simulated drive can hold the worker inside a
// request, so the order of events is fixed.

#include "GuardedWorker.h"
#include "Kestrova.h"
#include "KestrovaDlg.h"
#include "SSDOpThread.h"
#include "SimFixture.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Runs a step on the window's thread when its turn in the message queue
// comes: what the window sees inside its wait for the worker.
class QueuedStep : public CWnd {
public:
    explicit QueuedStep(std::function<void()> step) : m_step(std::move(step))
    {
        CreateEx(0, L"STATIC", L"step", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
        ::PostMessageW(m_hWnd, WM_APP, 0, 0);
    }
    ~QueuedStep() override { DestroyWindow(); }
    bool Ran() const { return m_ran; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_APP)
            return CWnd::WindowProc(message, wParam, lParam);
        m_ran = true;
        m_step();
        return 0;
    }

private:
    std::function<void()> m_step;
    bool m_ran = false;
};

class MainWindowFixture : public ::testing::Test {
protected:
    // The window object and its worker; the window itself is made by Open
    // (modeless) or by the test (DoModal).
    void SetUp() override
    {
        SimResetMachine();
        GuardNextWorker();
        m_main = std::make_unique<CKestrovaDlg>();
        theApp.m_pMainDlg = m_main.get();
        m_worker = m_main->m_pOpThread;
        ASSERT_NE(nullptr, m_worker);
    }
    void TearDown() override
    {
        SimReleaseHeldCalls();
        if (m_main->GetSafeHwnd())
            m_main->DestroyWindow();
        m_main.reset(); // closes the road to the worker and waits for its end
        theApp.m_pMainDlg = nullptr;
        SimResetMachine();
    }

    void Open()
    {
        ASSERT_TRUE(m_main->Create(IDD_MAIN_DIALOG));
        WaitForTheFirstSelection();
    }
    // The selection the scan led to has been answered.
    void WaitForTheFirstSelection()
    {
        ASSERT_TRUE(PumpUntil([] { return Calls("NvmeClose").size() >= 1; }, 10000));
        PumpMessages(100);
    }

    // The worker works on a refresh whose SMART read the drive holds.
    void HoldTheWorker()
    {
        SimSetLatency("NvmeSmartLog", SIM_ANY_DRIVE, SIM_LATENCY_HOLD);
        ASSERT_TRUE(m_worker->PostThreadMessage(WM_SSDOP_REFRESH_DEVICE, 0, 0));
        ASSERT_EQ(1, SimWaitForHeldCall(10000));
    }

    static void ClickIn(CWnd* parent, int id, bool post)
    {
        WPARAM command = MAKEWPARAM(id, BN_CLICKED);
        LPARAM control = reinterpret_cast<LPARAM>(::GetDlgItem(parent->m_hWnd, id));
        if (post)
            parent->PostMessage(WM_COMMAND, command, control);
        else
            parent->SendMessage(WM_COMMAND, command, control);
    }
    void Click(int id) { ClickIn(m_main.get(), id, false); }
    void PostClick(int id) { ClickIn(m_main.get(), id, true); }
    // The caption button's close.
    void PostClose() { m_main->PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }

    std::unique_ptr<CKestrovaDlg> m_main;
    CSSDOpThread* m_worker = nullptr;
};
