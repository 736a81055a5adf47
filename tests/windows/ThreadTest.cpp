// User-interface threads: created from their run-time class, requests
// through the thread-message map in order, ended by AfxEndThread.

#include "Afx.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT WM_WORK = WM_USER + 1;
constexpr UINT WM_STOP = WM_USER + 2;
constexpr UINT WM_DONE = WM_APP + 20;

DWORD g_constructedOn = 0;
DWORD g_initOn = 0;
bool g_destroyed = false;
HWND g_answerTo = nullptr;

class Worker : public CWinThread {
    DECLARE_DYNCREATE(Worker)

public:
    Worker() { g_constructedOn = ::GetCurrentThreadId(); }
    ~Worker() override { g_destroyed = true; }
    BOOL InitInstance() override
    {
        g_initOn = ::GetCurrentThreadId();
        return TRUE;
    }
    void OnWork(WPARAM w, LPARAM) { ::PostMessageW(g_answerTo, WM_DONE, w, ::GetCurrentThreadId()); }
    void OnStop(WPARAM, LPARAM) { AfxEndThread(0, TRUE); }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(Worker, CWinThread)

BEGIN_MESSAGE_MAP(Worker, CWinThread)
ON_THREAD_MESSAGE(WM_WORK, OnWork)
ON_THREAD_MESSAGE(WM_STOP, OnStop)
END_MESSAGE_MAP()

class AnswerWnd : public CWnd {
public:
    std::vector<WPARAM> answers;
    DWORD answeredFrom = 0;
    LRESULT OnDone(WPARAM w, LPARAM l)
    {
        answers.push_back(w);
        answeredFrom = static_cast<DWORD>(l);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(AnswerWnd, CWnd)
ON_MESSAGE(WM_DONE, OnDone)
END_MESSAGE_MAP()

} // namespace

TEST(Thread, RequestsRunInOrderOnTheWorkerAndEndThreadDeletesIt)
{
    AnswerWnd answers;
    ASSERT_TRUE(answers.CreateEx(0, nullptr, L"answers", WS_OVERLAPPED, CRect(0, 0, 10, 10), nullptr, 0));
    g_answerTo = answers.m_hWnd;

    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(Worker));
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(g_constructedOn, ::GetCurrentThreadId());
    HANDLE handle = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread, ::GetCurrentProcess(), &handle, SYNCHRONIZE, FALSE, 0);
    DWORD workerId = thread->m_nThreadID;
    // Requests posted at once, before the thread has looked at its queue, all arrive.
    for (WPARAM i = 1; i <= 3; ++i)
        EXPECT_TRUE(thread->PostThreadMessage(WM_WORK, i, 0));
    ASSERT_TRUE(PumpUntil([&] { return answers.answers.size() == 3; }));
    EXPECT_EQ(answers.answers, (std::vector<WPARAM>{1, 2, 3}));
    EXPECT_EQ(answers.answeredFrom, workerId);
    EXPECT_EQ(g_initOn, workerId);

    thread->PostThreadMessage(WM_STOP, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(handle, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(g_destroyed);
    ::CloseHandle(handle);
}
