#include <gtest/gtest.h>

#include "AfxMessageBox.h"

#include <windows.h>

#include <thread>

namespace {

using ModuleFileNameCall = DWORD(WINAPI*)(HMODULE, LPWSTR, DWORD);

} // namespace

// The program's import slot of GetModuleFileNameW: every call of this
// program, the framework's included, goes through it.
extern "C" ModuleFileNameCall __imp_GetModuleFileNameW;

namespace {

// Holds the first GetModuleFileNameW call of the program inside the call
// until it is let go, and counts the calls, for as long as it lives.
class PausedModuleFileName {
public:
    PausedModuleFileName()
        : m_paused(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_release(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        s_self = this;
        m_original = Swap(&Paused);
    }
    ~PausedModuleFileName()
    {
        Release();
        Swap(m_original);
        s_self = nullptr;
        ::CloseHandle(m_paused);
        ::CloseHandle(m_release);
    }
    PausedModuleFileName(const PausedModuleFileName&) = delete;
    PausedModuleFileName& operator=(const PausedModuleFileName&) = delete;

    bool WaitUntilPaused() { return ::WaitForSingleObject(m_paused, 10000) == WAIT_OBJECT_0; }
    void Release() { ::SetEvent(m_release); }
    LONG Calls() const { return m_calls; }

private:
    static ModuleFileNameCall Swap(ModuleFileNameCall call)
    {
        DWORD protection = 0;
        ::VirtualProtect(&__imp_GetModuleFileNameW, sizeof(call), PAGE_READWRITE, &protection);
        ModuleFileNameCall before = __imp_GetModuleFileNameW;
        __imp_GetModuleFileNameW = call;
        ::VirtualProtect(&__imp_GetModuleFileNameW, sizeof(call), protection, &protection);
        return before;
    }

    static DWORD WINAPI Paused(HMODULE module, LPWSTR path, DWORD size)
    {
        PausedModuleFileName* self = s_self;
        if (::InterlockedIncrement(&self->m_calls) == 1) {
            ::SetEvent(self->m_paused);
            ::WaitForSingleObject(self->m_release, 10000);
        }
        return self->m_original(module, path, size);
    }

    static PausedModuleFileName* s_self;
    HANDLE m_paused;
    HANDLE m_release;
    ModuleFileNameCall m_original = nullptr;
    volatile LONG m_calls = 0;
};

PausedModuleFileName* PausedModuleFileName::s_self = nullptr;

// A message box on one thread and its closer on another may ask for the
// name at the same time, the first time it is asked for: the name is made
// once, by one of them, while the other waits. Made twice, the later one
// frees the text the earlier one handed out (a box titled with freed memory,
// or a heap broken by two threads writing one string).
TEST(AppName, FirstReadsOnTwoThreadsMakeItOnce)
{
    AfxSetAppName(nullptr); // made again from the program's path at the next read
    LPCWSTR first = nullptr, second = nullptr;
    {
        PausedModuleFileName pause;
        std::thread making([&first] { first = AfxGetAppName(); });
        ASSERT_TRUE(pause.WaitUntilPaused()) << "the first read did not reach the program's path";
        HANDLE read = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread reading([&second, read] {
            second = AfxGetAppName();
            ::SetEvent(read);
        });
        // While the first read is making the name, the second must not end
        // with a name of its own. It waits for the first, so give it time.
        bool readWhileMade = ::WaitForSingleObject(read, 1500) == WAIT_OBJECT_0;
        pause.Release();
        making.join();
        reading.join();
        ::CloseHandle(read);
        EXPECT_FALSE(readWhileMade) << "the second read ended while the first was making the name";
        EXPECT_EQ(1, pause.Calls()) << "the name was made more than once";
    }
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, AfxGetAppName());
    EXPECT_STREQ(L"framework_tests", AfxGetAppName());
}

TEST(AppName, SetNameStaysUntilClearedToTheProgramsName)
{
    AfxSetAppName(L"Zarvo");
    EXPECT_STREQ(L"Zarvo", AfxGetAppName());
    AfxSetAppName(L"");
    EXPECT_STREQ(L"framework_tests", AfxGetAppName());
}

} // namespace
