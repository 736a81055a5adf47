#pragma once
// Answers a dialog that the test's thread shows (a message box, a file
// dialog), from a thread of its own, as a person at the screen would, for as
// long as it lives. The dialogs are looked for among the windows of the
// test's thread (EnumThreadWindows), so a dialog of another program on the
// same screen is never taken for it, and no dialog is left waiting: the
// answerer keeps looking until the test says that its call has returned, and
// once the time to wait is over it closes every dialog of the thread that it
// did not answer, and the test fails, saying what it saw.
//
//     DialogAnswerer person("the save dialog", [](HWND dialog) { ...; return true; });
//     dialog.DoModal();
//     person.Finish();

#include "TestThread.h"
#include "Win32Failure.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

class DialogAnswerer {
public:
    // answer: called with each visible dialog of the thread until it answers
    // one (returns true); a dialog it returns false for is looked at again.
    DialogAnswerer(std::string expected, std::function<bool(HWND)> answer, DWORD waitMs = 10000)
        : m_expected(std::move(expected)), m_answer(std::move(answer)), m_waitMs(waitMs),
          m_threadId(::GetCurrentThreadId()), m_finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_person("answering " + m_expected, [this] { Look(); })
    {
    }
    ~DialogAnswerer() { Finish(); }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Called once the call that shows the dialog has returned: the answerer
    // ends and says what went wrong, if anything.
    void Finish()
    {
        if (!m_finished)
            return;
        ::SetEvent(m_finished);
        m_person.Join();
        ::CloseHandle(m_finished);
        m_finished = nullptr;
        if (!m_answered)
            ADD_FAILURE() << "no " << m_expected << " was shown";
        if (!m_closed.empty())
            ADD_FAILURE() << "dialogs other than " << m_expected << ", closed by the test: " << m_closed;
    }

    bool Answered() const { return m_answered; }

    // The text the system keeps for a window, without a message to its busy thread.
    static std::wstring TextOf(HWND window)
    {
        wchar_t text[1024] = {};
        int length = ::InternalGetWindowText(window, text, 1024);
        return std::wstring(text, length > 0 ? length : 0);
    }

private:
    // The dialogs the test's thread shows now.
    std::set<HWND> Dialogs() const
    {
        std::set<HWND> dialogs;
        ::EnumThreadWindows(
            m_threadId,
            [](HWND window, LPARAM param) -> BOOL {
                wchar_t name[16] = {};
                ::GetClassNameW(window, name, 16);
                if (::IsWindowVisible(window) && std::wstring(name) == L"#32770")
                    reinterpret_cast<std::set<HWND>*>(param)->insert(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&dialogs));
        return dialogs;
    }

    void Look()
    {
        DWORD start = ::GetTickCount();
        while (::WaitForSingleObject(m_finished, 50) == WAIT_TIMEOUT) {
            bool waitIsOver = ::GetTickCount() - start >= m_waitMs;
            for (HWND dialog : Dialogs()) {
                if (m_handled.count(dialog))
                    continue;
                if (!m_answered && m_answer(dialog)) {
                    m_answered = true;
                } else if (waitIsOver) {
                    m_closed += "\"" + Utf8(TextOf(dialog).c_str()) + "\" (" +
                                Utf8(TextOf(::GetDlgItem(dialog, 0xFFFF)).c_str()) + "); ";
                    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                } else {
                    continue; // perhaps it is still being filled
                }
                m_handled.insert(dialog);
            }
        }
    }

    const std::string m_expected;
    const std::function<bool(HWND)> m_answer;
    const DWORD m_waitMs;
    const DWORD m_threadId;
    HANDLE m_finished;
    // Written by the person's thread, read once it has ended.
    bool m_answered = false;
    std::string m_closed;
    std::set<HWND> m_handled;
    TestThread m_person; // last: it starts once the members it uses exist
};
