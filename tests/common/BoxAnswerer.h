#pragma once
// Answers the message box that the test's thread shows, from a thread of its
// own, for as long as it lives: it reads the text of the box with the
// expected title and presses OK. The boxes are looked for among the windows
// of the test's thread (EnumThreadWindows), so a box of another program on
// the same screen is never taken for it, and a box is never left waiting:
// once the time to wait is over, every box of the thread that was not the
// expected one is closed too, and the test fails, saying what it saw.
//
//     BoxAnswerer answerer(L"support_tests");
//     CallThatShowsTheBox();
//     answerer.Finish();
//     EXPECT_EQ(L"...", answerer.Text());

#include "TestThread.h"
#include "Win32Failure.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

class BoxAnswerer {
public:
    explicit BoxAnswerer(std::wstring title, DWORD waitMs = 10000)
        : m_title(std::move(title)), m_waitMs(waitMs), m_threadId(::GetCurrentThreadId()),
          m_finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_answerer("BoxAnswerer", [this] { Answer(); })
    {
    }
    ~BoxAnswerer() { Finish(); }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Called once the call that shows the box has returned: the answerer
    // ends and says what went wrong, if anything.
    void Finish()
    {
        if (!m_finished)
            return;
        ::SetEvent(m_finished);
        m_answerer.Join();
        ::CloseHandle(m_finished);
        m_finished = nullptr;
        if (!m_answered)
            ADD_FAILURE() << "no box titled \"" << Utf8(m_title.c_str()) << "\" was shown";
        if (!m_closed.empty())
            ADD_FAILURE() << "boxes that were not the one expected, closed by the test: " << m_closed;
    }

    // The text of the expected box, empty until it has been answered.
    const std::wstring& Text() const { return m_text; }

private:
    static std::wstring TextOf(HWND window)
    {
        wchar_t text[1024] = {};
        int length = ::InternalGetWindowText(window, text, 1024); // no message to the busy thread
        return std::wstring(text, length > 0 ? length : 0);
    }

    // The message boxes (dialog class) the test's thread shows now.
    std::set<HWND> Boxes() const
    {
        std::set<HWND> boxes;
        ::EnumThreadWindows(
            m_threadId,
            [](HWND window, LPARAM param) -> BOOL {
                wchar_t name[16] = {};
                ::GetClassNameW(window, name, 16);
                if (::IsWindowVisible(window) && std::wstring(name) == L"#32770")
                    reinterpret_cast<std::set<HWND>*>(param)->insert(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&boxes));
        return boxes;
    }

    void Answer()
    {
        DWORD start = ::GetTickCount();
        while (::WaitForSingleObject(m_finished, 50) == WAIT_TIMEOUT) {
            bool waitIsOver = ::GetTickCount() - start >= m_waitMs;
            for (HWND box : Boxes()) {
                if (m_handled.count(box))
                    continue;
                std::wstring title = TextOf(box);
                std::wstring text = TextOf(::GetDlgItem(box, 0xFFFF));
                if (!m_answered && title == m_title) {
                    m_text = text;
                    m_answered = true;
                } else if (waitIsOver) {
                    m_closed += "\"" + Utf8(title.c_str()) + "\": \"" + Utf8(text.c_str()) + "\"; ";
                } else {
                    continue; // perhaps its title is still being set
                }
                m_handled.insert(box);
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
        }
    }

    const std::wstring m_title;
    const DWORD m_waitMs;
    const DWORD m_threadId;
    HANDLE m_finished;
    // Written by the answerer's thread, read once it has ended.
    std::wstring m_text;
    bool m_answered = false;
    std::string m_closed;
    std::set<HWND> m_handled;
    TestThread m_answerer; // last: it starts once the members it uses exist
};
