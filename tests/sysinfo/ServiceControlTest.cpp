// The service helpers and the two service switches against a service of our
// own, created under the names the switches look for.

#include "LogCapture.h"
#include "ServiceControl.h"
#include "SystemOperation.h"
#include "TestServiceHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<DWORD> g_waits;

// The polls' waits are noted and kept short.
void NoteWait(DWORD milliseconds)
{
    g_waits.push_back(milliseconds);
    ::Sleep(1);
}

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        g_waits.clear();
        SetServiceWaitFunction(NoteWait);
    }
    void TearDown() override
    {
        SetServiceWaitFunction(nullptr);
        ::CoUninitialize();
    }

    static DWORD StartType(TestServiceHost& host)
    {
        std::wstring path;
        return host.Config(path).dwStartType;
    }
};

const wchar_t kUnknown[] = L"KestrovaNoSuchService";

} // namespace

TEST_F(ServiceTest, SwitchesStopAndDisableOnlyARunningService)
{
    struct Switch {
        const wchar_t* service;
        BOOL (SystemOperation::*disable)();
    } switches[] = {{L"WSearch", &SystemOperation::DisableIndexing}, {L"SysMain", &SystemOperation::DisableSuperfetch}};
    SystemOperation op;
    for (const Switch& s : switches) {
        {
            TestServiceHost::EnsureAbsent(s.service);
            LogCapture log;
            EXPECT_TRUE((op.*s.disable)()) << "absent " << s.service;
            EXPECT_TRUE(log.Has(L"OpenService() Faild, error code: 1060 !\n")) << s.service;
        }
        {
            TestServiceHost stopped(s.service, false);
            ASSERT_TRUE(stopped.Created()) << s.service;
            EXPECT_TRUE((op.*s.disable)()) << "stopped " << s.service;
            EXPECT_EQ(stopped.State(), static_cast<DWORD>(SERVICE_STOPPED));
            EXPECT_EQ(StartType(stopped), static_cast<DWORD>(SERVICE_DEMAND_START)) << "left alone: " << s.service;
        }
        {
            TestServiceHost running(s.service, false);
            ASSERT_TRUE(running.StartAndWait()) << s.service;
            std::wstring pathBefore, pathAfter;
            QUERY_SERVICE_CONFIGW before = running.Config(pathBefore);
            EXPECT_TRUE((op.*s.disable)()) << "running " << s.service;
            EXPECT_EQ(running.State(), static_cast<DWORD>(SERVICE_STOPPED)) << s.service;
            QUERY_SERVICE_CONFIGW after = running.Config(pathAfter);
            EXPECT_EQ(after.dwStartType, static_cast<DWORD>(SERVICE_DISABLED)) << s.service;
            EXPECT_EQ(after.dwErrorControl, before.dwErrorControl) << "only the start type changes";
            EXPECT_EQ(after.dwServiceType, before.dwServiceType);
            EXPECT_EQ(pathAfter, pathBefore);
        }
    }
}

TEST_F(ServiceTest, StopPollsAStubbornServiceTenTimesASecondApart)
{
    TestServiceHost stubborn(L"SysMain", true);
    ASSERT_TRUE(stubborn.StartAndWait());
    LogCapture log;
    EXPECT_TRUE(StopSystemService(L"SysMain")) << "polling ended, whatever the state";
    EXPECT_EQ(log.Count(L"Fail to stop the system service: service state: 3\n"), 10)
        << std::string(log.Text().begin(), log.Text().end());
    EXPECT_EQ(g_waits, std::vector<DWORD>(10, 1000));
    const std::wstring last = L"<- Stop system service\n";
    ASSERT_GE(log.Text().size(), last.size());
    EXPECT_EQ(log.Text().substr(log.Text().size() - last.size()), last);
    stubborn.Release();
    EXPECT_TRUE(stubborn.WaitForState(SERVICE_STOPPED));
}

TEST_F(ServiceTest, StopOfAServiceThatIsNotRunningEndsAtTheFirstPoll)
{
    TestServiceHost stopped(L"WSearch", false);
    ASSERT_TRUE(stopped.Created());
    LogCapture log;
    EXPECT_TRUE(StopSystemService(L"WSearch"));
    EXPECT_EQ(log.Text(), L"OpenSCManager() ok !\nOpenService() ok !\nStop the service Faild, error code: 1062 !\n"
                          L"ControlService() ok !\nStop the system service() ok !\n<- Stop system service\n");
    EXPECT_TRUE(g_waits.empty());
}

TEST_F(ServiceTest, StartStateAndStartTypeOfOurService)
{
    TestServiceHost service(L"WSearch", false);
    ASSERT_TRUE(service.Created());
    EXPECT_TRUE(IsServiceStopped(L"WSearch"));
    EXPECT_FALSE(IsServiceRunning(L"WSearch"));
    {
        LogCapture log;
        EXPECT_TRUE(StartSystemService(L"WSearch"));
        EXPECT_TRUE(log.Has(L"StartService() ok !\n"));
    }
    ASSERT_TRUE(service.WaitForState(SERVICE_RUNNING));
    {
        LogCapture log;
        EXPECT_TRUE(StartSystemService(L"WSearch"));
        EXPECT_TRUE(log.Has(L"StartService() Faild ERROR_SERVICE_ALREADY_RUNNING !\n"));
    }
    CString text;
    EXPECT_TRUE(GetServiceState(L"WSearch", text));
    EXPECT_EQ(text, L"Running");
    EXPECT_TRUE(IsServiceRunning(L"WSearch"));

    EXPECT_TRUE(GetServiceStartType(L"WSearch", text));
    EXPECT_EQ(text, L"DemandStart");
    EXPECT_TRUE(EnableService(L"WSearch"));
    EXPECT_TRUE(IsServiceAutoStart(L"WSearch"));
    EXPECT_FALSE(IsServiceDisabled(L"WSearch"));
    EXPECT_TRUE(DisableService(L"WSearch"));
    EXPECT_TRUE(IsServiceDisabled(L"WSearch"));
    EXPECT_TRUE(GetServiceStartType(L"WSearch", text));
    EXPECT_EQ(text, L"Disabled");
}

TEST_F(ServiceTest, AnUnknownNameFailsEveryFunctionAndLeavesTheTextAlone)
{
    LogCapture log;
    CString text = L"unchanged";
    EXPECT_FALSE(GetServiceState(kUnknown, text));
    EXPECT_FALSE(GetServiceStartType(kUnknown, text));
    EXPECT_EQ(text, L"unchanged");
    EXPECT_FALSE(IsServiceRunning(kUnknown));
    EXPECT_FALSE(IsServiceStopped(kUnknown));
    EXPECT_FALSE(IsServiceAutoStart(kUnknown));
    EXPECT_FALSE(IsServiceDisabled(kUnknown));
    EXPECT_FALSE(StartSystemService(kUnknown));
    EXPECT_FALSE(DisableService(kUnknown));
    EXPECT_FALSE(EnableService(kUnknown));
    EXPECT_EQ(log.Count(L"OpenSCManager() ok !\nOpenService() Faild, error code: 1060 !\n"), 9);
    log.Clear();
    EXPECT_FALSE(StopSystemService(kUnknown));
    EXPECT_EQ(log.Text(), L"OpenSCManager() ok !\nOpenService() Faild, error code: 1060 !\n<- Stop system service\n");
}

TEST(ServiceStateTextTest, EachKnownStateHasItsTextAndOthersLeaveTheText)
{
    struct Case {
        DWORD state;
        const wchar_t* text;
    } cases[] = {{1, L"Stopped"}, {2, L"StartPending"},     {3, L"StopPending"},
                 {4, L"Running"}, {5, L"ConfigurePending"}, {6, L"PausePending"},
                 {7, L"Paused"},  {0, L"before"},           {8, L"before"}};
    for (const Case& c : cases) {
        CString text = L"before";
        GetServiceStateText(c.state, text);
        EXPECT_EQ(text, c.text) << c.state;
    }
}
