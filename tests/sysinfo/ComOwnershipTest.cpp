// Who starts and ends COM on a thread, and who sets the process's COM
// security: the first WMI client on a thread without COM, never a client on a
// thread whose COM someone else started. The process's security can be set
// only once, so these cases have an executable of their own; each runs on a
// fresh thread.

#include "TaskScheduler.h"
#include "WmiClient.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

template <class Work> void OnNewThread(Work work)
{
    std::thread thread(work);
    thread.join();
}

// S_OK when the thread had no COM left: the probe's start is undone again.
HRESULT ProbeCom(DWORD model)
{
    HRESULT hr = ::CoInitializeEx(nullptr, model);
    if (SUCCEEDED(hr))
        ::CoUninitialize();
    return hr;
}

} // namespace

TEST(ComOwnershipTest, FirstClientOnAThreadWithoutComOwnsItAndEndsIt)
{
    OnNewThread([] {
        {
            WmiClient client;
            EXPECT_EQ(client.Connect(), S_OK);
            CString name;
            EXPECT_TRUE(client.GetString(L"SELECT Name FROM Win32_Processor", name, 0));
            EXPECT_EQ(ProbeCom(COINIT_APARTMENTTHREADED), S_FALSE) << "the client's COM is up while it lives";
        }
        EXPECT_EQ(ProbeCom(COINIT_APARTMENTTHREADED), S_OK) << "the owner ended its COM when destroyed";
    });
}

TEST(ComOwnershipTest, ClientOnAThreadWhoseComIsStartedLeavesItRunning)
{
    for (DWORD model : {COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED}) {
        OnNewThread([model] {
            ASSERT_EQ(::CoInitializeEx(nullptr, model), S_OK);
            {
                WmiClient client;
                EXPECT_EQ(client.Connect(), S_OK) << model;
                UINT16 width = 0;
                EXPECT_TRUE(client.GetUInt16(L"SELECT AddressWidth FROM Win32_Processor", width, 0)) << model;
            }
            EXPECT_EQ(ProbeCom(model), S_FALSE) << "the thread's own start still holds: " << model;
            ::CoUninitialize();
            EXPECT_EQ(ProbeCom(model), S_OK) << "the client balanced its own start: " << model;
        });
    }
}

TEST(ComOwnershipTest, TaskFunctionsEndOnlyTheComTheyStarted)
{
    OnNewThread([] {
        EXPECT_TRUE(TaskInitCom());
        EXPECT_TRUE(g_bTaskComOwner);
        TaskUninitCom();
        EXPECT_FALSE(g_bTaskComOwner);
        EXPECT_EQ(ProbeCom(COINIT_APARTMENTTHREADED), S_OK) << "nothing of the task functions' COM is left";
    });
    OnNewThread([] {
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_TRUE(TaskInitCom()) << "a thread of the other model proceeds";
        EXPECT_FALSE(g_bTaskComOwner);
        TaskUninitCom();
        EXPECT_EQ(ProbeCom(COINIT_MULTITHREADED), S_FALSE) << "the thread's own COM is left alone";
        ::CoUninitialize();
    });
}
