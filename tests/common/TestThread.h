#pragma once
// A thread that a test starts and waits for within a bound of its own. A
// thread that has not ended by then fails the test, saying which thread and
// how long it was given, and is ended, so that the test goes on to its next
// case instead of hanging until the runner stops the whole program. A thread
// ended that way may have left a lock taken; a hang after it is then shown
// by the runner's report.

#include "Win32Failure.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

class TestThread {
public:
    TestThread(std::string name, std::function<void()> work)
        : m_name(std::move(name)), m_work(new std::function<void()>(std::move(work)))
    {
        m_thread = ::CreateThread(nullptr, 0, &TestThread::Run, m_work, 0, nullptr);
        if (!m_thread) {
            DWORD error = ::GetLastError();
            ADD_FAILURE() << CallFailed("CreateThread", nullptr, error) << " for the thread " << m_name;
            delete m_work;
            m_work = nullptr;
        }
    }
    ~TestThread() { Join(); }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;

    // Waits for the thread; false (and the test failed) when it has not ended
    // within the time and had to be ended.
    bool Join(DWORD timeoutMs = 30000)
    {
        if (!m_thread)
            return m_ended;
        DWORD waited = ::WaitForSingleObject(m_thread, timeoutMs);
        if (waited != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the thread " << m_name << " did not end within " << timeoutMs << " ms; it is ended";
            ::TerminateThread(m_thread, 1);
            ::WaitForSingleObject(m_thread, 5000);
            m_work = nullptr; // whatever it held is lost with it
        } else {
            delete m_work;
            m_work = nullptr;
            m_ended = true;
        }
        ::CloseHandle(m_thread);
        m_thread = nullptr;
        return m_ended;
    }

private:
    static DWORD WINAPI Run(void* work)
    {
        (*static_cast<std::function<void()>*>(work))();
        return 0;
    }

    std::string m_name;
    std::function<void()>* m_work;
    HANDLE m_thread = nullptr;
    bool m_ended = false;
};
