// Programs that end badly, one per test, for the runner's own check: each is
// run alone by its filter and must be reported as failed (all but Passes and
// LeavesAChild). Disabled, so that a plain start of the program runs none of
// them.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(RunnerProbe, DISABLED_Passes) {}

TEST(RunnerProbe, DISABLED_Fails)
{
    ADD_FAILURE() << "a deliberate failure";
}

TEST(RunnerProbe, DISABLED_Crashes)
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

TEST(RunnerProbe, DISABLED_Hangs)
{
    ::Sleep(INFINITE);
}

// A box that nobody answers, shown from a function of its own: the runner's
// report of the hang must show the box's text and this function's line.
__attribute__((noinline)) int WaitForAnAnswerThatNeverComes()
{
    int answer = ::MessageBoxW(nullptr, L"Runner probe: nobody answers this box", L"Runner probe", MB_OK);
    return answer * 2;
}

TEST(RunnerProbe, DISABLED_HangsInABox)
{
    EXPECT_NE(0, WaitForAnAnswerThatNeverComes());
}

TEST(RunnerProbe, DISABLED_LeavesEarly)
{
    std::exit(0);
}

// Says that it runs by the file "waiting.txt" in the working folder (its
// output is seen only when it ends), then waits for its Wine server to be
// ended under it.
TEST(RunnerProbe, DISABLED_OutlivesItsServer)
{
    HANDLE mark =
        ::CreateFileW(L"waiting.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = ::GetLastError();
    ASSERT_NE(mark, INVALID_HANDLE_VALUE) << "CreateFileW waiting.txt: error " << error;
    ::CloseHandle(mark);
    ::Sleep(60000);
}

// Seconds the child of LeavesAChild stays after its parent has passed.
const DWORD kLingerMs = 30000;
const wchar_t kLingering[] = L"Local\\KestrovaRunnerProbeLingering";

// The child of LeavesAChild: says that it runs, then stays; the file
// "lingering.txt" in the working folder is there while it stays.
TEST(RunnerProbe, DISABLED_Lingers)
{
    HANDLE mark = ::CreateFileW(L"lingering.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    DWORD error = ::GetLastError();
    ASSERT_NE(mark, INVALID_HANDLE_VALUE) << "CreateFileW lingering.txt: error " << error;
    HANDLE running = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, kLingering);
    error = ::GetLastError();
    ASSERT_NE(running, nullptr) << "OpenEventW: error " << error;
    ::SetEvent(running);
    ::CloseHandle(running);
    ::Sleep(kLingerMs);
    ::CloseHandle(mark);
}

// Passes once it has started a Windows child that inherits its standard
// output and error and outlives it by kLingerMs, as a program a test started
// and did not end would.
TEST(RunnerProbe, DISABLED_LeavesAChild)
{
    HANDLE running = ::CreateEventW(nullptr, TRUE, FALSE, kLingering);
    DWORD error = ::GetLastError();
    ASSERT_NE(running, nullptr) << "CreateEventW: error " << error;
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + self +
                           L"\" --gtest_brief=1 --gtest_also_run_disabled_tests "
                           L"--gtest_filter=RunnerProbe.DISABLED_Lingers";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    bool started =
        ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    error = started ? ERROR_SUCCESS : ::GetLastError();
    if (started) {
        EXPECT_EQ(::WaitForSingleObject(running, 60000), WAIT_OBJECT_0) << "the child did not say that it runs";
        ::CloseHandle(child.hThread);
        ::CloseHandle(child.hProcess);
    }
    ::CloseHandle(running);
    ASSERT_TRUE(started) << "CreateProcessW: error " << error;
}

} // namespace
