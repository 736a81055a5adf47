#pragma once
// One scheduled task, named by its folder path and its name, through the Task
// Scheduler 2.0 interfaces: whether it is disabled, its state as a text,
// enabling and disabling it, and a few changes of its definition. Every task
// function is self-contained: it sets up COM, connects to the scheduler,
// finds the task, does its work and releases everything before it returns.
// The functions must not run on two threads at once (one COM flag for all).

#include <windows.h>
#include <taskschd.h>

#include "CString.h"

// The functions keep no object: the class only names the unit.
class TaskScheduler {
public:
    TaskScheduler();
    ~TaskScheduler();
};

// TRUE between a task function's own successful COM start and its end.
extern BOOL g_bTaskComOwner;

// Building blocks; each writes its failures to the debug log.
BOOL TaskInitCom();
void TaskUninitCom();
BOOL TaskConnectService(ITaskService** service);
BOOL TaskGetFolder(const CString& folderPath, ITaskService* service, ITaskFolder** folder);
// The number of registered tasks of the folder (hidden ones too), or -1.
int TaskGetTasks(ITaskFolder* folder, IRegisteredTaskCollection** tasks);
// The first task of exactly that name (letter case included); the caller
// releases what it is given.
BOOL FindTask(const CString& name, IRegisteredTaskCollection* tasks, IRegisteredTask** task);
BOOL TaskGetDefinition(IRegisteredTask* task, ITaskDefinition** definition);
BOOL TaskGetSettings(ITaskDefinition* definition, ITaskSettings** settings);
BOOL TaskGetPrincipal(ITaskDefinition* definition, IPrincipal** principal);

// Task functions.
BOOL SetTaskEnabled(const CString& folderPath, const CString& name, BOOL enable);
BOOL DisableTask(const CString& folderPath, const CString& name);
BOOL EnableTask(const CString& folderPath, const CString& name);
// "Unknow", "Disabled", "Queued", "Ready" or "Running"; any other state
// leaves the text as it was.
BOOL GetTaskState(const CString& folderPath, const CString& name, CString& text);
BOOL IsTaskDisabled(const CString& folderPath, const CString& name);
BOOL IsTaskAllowedOnBatteries(const CString& folderPath, const CString& name);
// The definition changes are made on the task's definition object and are
// not registered again.
BOOL SetTaskDisallowOnBatteries(const CString& folderPath, const CString& name, BOOL disallow);
BOOL DisallowTaskOnBatteries(const CString& folderPath, const CString& name);
BOOL AllowTaskOnBatteries(const CString& folderPath, const CString& name);
BOOL SetTaskRunLevel(const CString& folderPath, const CString& name, BOOL highest);
BOOL IsTaskRunLevelHighest(const CString& folderPath, const CString& name);
BOOL DeleteTask(const CString& folderPath, const CString& name);
