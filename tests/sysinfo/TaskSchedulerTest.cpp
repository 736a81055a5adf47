// The task functions and the defragmentation switch over a stand-in Task
// Scheduler (Wine's cannot list a folder's tasks), and the two answers Wine's
// own gives: a missing folder and a task it cannot delete.

#include "FakeTaskScheduler.h"
#include "LogCapture.h"
#include "SystemOperation.h"
#include "TaskScheduler.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const wchar_t kDefrag[] = L"\\Microsoft\\Windows\\Defrag";

class FakeTaskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        fake.reset(new FakeTaskScheduler);
        fake->folders[kDefrag] = {FakeTask{L"Other"}, FakeTask{L"ScheduledDefrag"}};
        fake->folders[L"\\Empty"] = {};
    }
    void TearDown() override
    {
        EXPECT_EQ(fake->live, 0) << "every task function releases what it obtained";
        EXPECT_FALSE(g_bTaskComOwner);
        fake.reset();
        ::CoUninitialize();
    }

    FakeTask& Defrag() { return fake->folders[kDefrag][1]; }

    std::unique_ptr<FakeTaskScheduler> fake;
};

} // namespace

TEST_F(FakeTaskTest, DefragSwitchFindsTheTaskAndDisablesIt)
{
    SystemOperation op;
    EXPECT_TRUE(op.IsDefragEnabled());
    fake->calls.clear();
    LogCapture log;
    EXPECT_TRUE(op.DisableDefrag());
    EXPECT_EQ(log.Text(), L"2 tasks are running.Index: 0, Task Name: Other\nGet task success.\n");
    EXPECT_EQ(fake->calls,
              (std::vector<std::wstring>{L"GetTasks \\Microsoft\\Windows\\Defrag 1", L"put_Enabled ScheduledDefrag 0"}))
        << "hidden tasks included; the flag's value is 0";
    EXPECT_FALSE(op.IsDefragEnabled());
    EXPECT_TRUE(EnableTask(kDefrag, L"ScheduledDefrag"));
    EXPECT_EQ(fake->calls.back(), L"put_Enabled ScheduledDefrag 1");
    EXPECT_TRUE(op.IsDefragEnabled());
}

TEST_F(FakeTaskTest, ANameThatDiffersInLetterCaseIsNotFound)
{
    fake->folders[kDefrag] = {FakeTask{L"scheduleddefrag"}, FakeTask{L"ScheduledDefrag2"}};
    SystemOperation op;
    LogCapture log;
    EXPECT_FALSE(op.DisableDefrag());
    EXPECT_EQ(log.Text(), L"2 tasks are running.Index: 0, Task Name: scheduleddefrag\n"
                          L"Index: 1, Task Name: ScheduledDefrag2\n");
    EXPECT_TRUE(op.IsDefragEnabled()) << "a task that cannot be read counts as enabled";
    for (const std::wstring& call : fake->calls)
        EXPECT_EQ(call.find(L"put_"), std::wstring::npos) << "nothing changed";
}

TEST_F(FakeTaskTest, StateTextsAndOnlyDisabledIsDisabled)
{
    struct Case {
        LONG state;
        const wchar_t* text;
    } cases[] = {{0, L"Unknow"}, {1, L"Disabled"}, {2, L"Queued"}, {3, L"Ready"}, {4, L"Running"}, {7, L"before"}};
    for (const Case& c : cases) {
        Defrag().state = c.state;
        CString text = L"before";
        EXPECT_TRUE(GetTaskState(kDefrag, L"ScheduledDefrag", text)) << c.state;
        EXPECT_EQ(text, c.text) << c.state;
        EXPECT_EQ(IsTaskDisabled(kDefrag, L"ScheduledDefrag"), c.state == 1 ? TRUE : FALSE) << c.state;
    }
}

TEST_F(FakeTaskTest, MissingFolderEmptyFolderAndRefusedConnectionFail)
{
    CString text = L"before";
    {
        LogCapture log;
        EXPECT_FALSE(GetTaskState(L"\\Nowhere", L"ScheduledDefrag", text));
        EXPECT_EQ(log.Text(), L"Cannot get Root Folder pointer: 0x80070003\n");
    }
    {
        LogCapture log;
        EXPECT_FALSE(GetTaskState(L"\\Empty", L"ScheduledDefrag", text));
        EXPECT_EQ(log.Text(), L"No Tasks are currently running\n0 tasks are running.");
    }
    fake->connectResult = E_ACCESSDENIED;
    {
        LogCapture log;
        EXPECT_FALSE(DisableTask(kDefrag, L"ScheduledDefrag"));
        EXPECT_EQ(log.Text(), L"ITaskService::Connect failed: 0x80070005\n");
    }
    EXPECT_EQ(text, L"before");
}

TEST_F(FakeTaskTest, AnItemThatCannotBeReadIsPassedOver)
{
    fake->failingItems = {1};
    LogCapture log;
    EXPECT_TRUE(DisableTask(kDefrag, L"ScheduledDefrag"));
    EXPECT_TRUE(log.Has(L"Cannot get the registered task item at index = 1: 80070057\n"));
    EXPECT_EQ(Defrag().state, 1);
}

TEST_F(FakeTaskTest, BatteryAndRunLevelChangesReachTheDefinition)
{
    EXPECT_TRUE(IsTaskAllowedOnBatteries(kDefrag, L"ScheduledDefrag"));
    EXPECT_TRUE(DisallowTaskOnBatteries(kDefrag, L"ScheduledDefrag"));
    EXPECT_EQ(fake->calls.back(), L"put_DisallowStartIfOnBatteries ScheduledDefrag 1");
    EXPECT_FALSE(IsTaskAllowedOnBatteries(kDefrag, L"ScheduledDefrag"));
    EXPECT_TRUE(AllowTaskOnBatteries(kDefrag, L"ScheduledDefrag"));
    EXPECT_EQ(fake->calls.back(), L"put_DisallowStartIfOnBatteries ScheduledDefrag 0");

    EXPECT_FALSE(IsTaskRunLevelHighest(kDefrag, L"ScheduledDefrag"));
    EXPECT_TRUE(SetTaskRunLevel(kDefrag, L"ScheduledDefrag", 5));
    EXPECT_EQ(fake->calls.back(), L"put_RunLevel ScheduledDefrag 1");
    EXPECT_TRUE(IsTaskRunLevelHighest(kDefrag, L"ScheduledDefrag"));
    EXPECT_TRUE(SetTaskRunLevel(kDefrag, L"ScheduledDefrag", FALSE));
    EXPECT_EQ(fake->calls.back(), L"put_RunLevel ScheduledDefrag 0");
    EXPECT_FALSE(SetTaskRunLevel(kDefrag, L"Missing", TRUE));
}

TEST_F(FakeTaskTest, DeleteNeedsNoLookupOfTheTask)
{
    EXPECT_TRUE(DeleteTask(kDefrag, L"Other"));
    EXPECT_EQ(fake->calls, (std::vector<std::wstring>{L"DeleteTask Other 0"})) << "no task list was asked for";
    EXPECT_EQ(fake->folders[kDefrag].size(), 1u);
    EXPECT_FALSE(DeleteTask(kDefrag, L"Other"));
    EXPECT_FALSE(DeleteTask(L"\\Nowhere", L"Other"));
}

// Wine's own scheduler: folders that exist and do not, and deletion.
TEST(RealTaskSchedulerTest, MissingFolderAndMissingTaskFail)
{
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        LogCapture log;
        EXPECT_FALSE(DeleteTask(L"\\KestrovaNoSuchFolder", L"ScheduledDefrag"));
        EXPECT_EQ(log.Text(), L"Cannot get Root Folder pointer: 0x80070003\n");
        EXPECT_FALSE(DeleteTask(L"\\", L"KestrovaNoSuchTask"));
        EXPECT_FALSE(g_bTaskComOwner);
    }
    ::CoUninitialize();
}
