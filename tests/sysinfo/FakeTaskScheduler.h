#pragma once
// A stand-in for the Task Scheduler service, registered in the test process
// for CLSID_TaskScheduler while it lives (the thread's COM must be started):
// folders by path, each with its registered tasks, and a note of every change
// asked of them.

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeTask {
    std::wstring name;
    LONG state = 3; // ready
    bool disallowOnBatteries = false;
    LONG runLevel = 0; // least privilege
};

class FakeTaskScheduler {
public:
    FakeTaskScheduler();
    ~FakeTaskScheduler();
    FakeTaskScheduler(const FakeTaskScheduler&) = delete;
    FakeTaskScheduler& operator=(const FakeTaskScheduler&) = delete;

    std::map<std::wstring, std::vector<FakeTask>> folders; // by folder path
    HRESULT connectResult = S_OK;
    std::set<LONG> failingItems;     // collection positions (from 1) whose get_Item fails
    std::vector<std::wstring> calls; // changes asked, e.g. "put_Enabled ScheduledDefrag 0"
    int live = 0;                    // fake objects not yet released (the factory aside)

private:
    DWORD m_cookie = 0;
    void* m_factory = nullptr;
};
