#include "TaskScheduler.h"

#include "ComHolders.h"
#include "define.h"

BOOL g_bTaskComOwner = FALSE;

namespace {

// What one task function obtains, released in the order it was obtained,
// followed by the end of the function's own COM use.
class TaskCall {
public:
    TaskCall() = default;
    ~TaskCall()
    {
        service.Reset();
        folder.Reset();
        tasks.Reset();
        task.Reset();
        definition.Reset();
        settings.Reset();
        principal.Reset();
        if (m_comStarted)
            TaskUninitCom();
    }
    TaskCall(const TaskCall&) = delete;
    TaskCall& operator=(const TaskCall&) = delete;

    // COM, the scheduler and the folder.
    BOOL OpenFolder(const CString& folderPath)
    {
        m_comStarted = TaskInitCom();
        return m_comStarted && TaskConnectService(service.Out()) &&
               TaskGetFolder(folderPath, service.Get(), folder.Out());
    }
    // The folder and then the task of that name in it.
    BOOL OpenTask(const CString& folderPath, const CString& name)
    {
        return OpenFolder(folderPath) && TaskGetTasks(folder.Get(), tasks.Out()) >= 1 &&
               FindTask(name, tasks.Get(), task.Out());
    }
    BOOL OpenSettings(const CString& folderPath, const CString& name)
    {
        return OpenTask(folderPath, name) && TaskGetDefinition(task.Get(), definition.Out()) &&
               TaskGetSettings(definition.Get(), settings.Out());
    }
    BOOL OpenPrincipal(const CString& folderPath, const CString& name)
    {
        return OpenTask(folderPath, name) && TaskGetDefinition(task.Get(), definition.Out()) &&
               TaskGetPrincipal(definition.Get(), principal.Out());
    }

    ComRef<ITaskService> service;
    ComRef<ITaskFolder> folder;
    ComRef<IRegisteredTaskCollection> tasks;
    ComRef<IRegisteredTask> task;
    ComRef<ITaskDefinition> definition;
    ComRef<ITaskSettings> settings;
    ComRef<IPrincipal> principal;

private:
    BOOL m_comStarted = FALSE;
};

// The value the scheduler's flag properties take.
VARIANT_BOOL FlagValue(BOOL on)
{
    return static_cast<VARIANT_BOOL>(on ? 1 : 0);
}

} // namespace

TaskScheduler::TaskScheduler() {}

TaskScheduler::~TaskScheduler() {}

BOOL TaskInitCom()
{
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == RPC_E_CHANGED_MODE) {
        // COM runs in the other model on this thread: its owner set it up.
        g_bTaskComOwner = FALSE;
        return TRUE;
    }
    if (FAILED(hr)) {
        DebugPrint(L"Failed to initialize COM library. Error code = 0x%08x\n", hr);
        return FALSE;
    }
    g_bTaskComOwner = TRUE;
    hr = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                                nullptr, EOAC_NONE, nullptr);
    if (FAILED(hr)) {
        DebugPrint(L"Failed to initialize security. Error code = 0x%08x\n", hr);
        ::CoUninitialize();
        g_bTaskComOwner = FALSE;
        return FALSE;
    }
    return TRUE;
}

void TaskUninitCom()
{
    if (g_bTaskComOwner)
        ::CoUninitialize();
    g_bTaskComOwner = FALSE;
}

BOOL TaskConnectService(ITaskService** service)
{
    HRESULT hr = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                    reinterpret_cast<void**>(service));
    if (FAILED(hr)) {
        DebugPrint(L"Failed to CoCreate an instance of the TaskService class: 0x%08x\n", hr);
        return FALSE;
    }
    // Empty server, user, domain and password: this computer as the current user.
    VARIANT empty;
    ::VariantInit(&empty);
    hr = (*service)->Connect(empty, empty, empty, empty);
    if (FAILED(hr)) {
        DebugPrint(L"ITaskService::Connect failed: 0x%08x\n", hr);
        (*service)->Release();
        *service = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL TaskGetFolder(const CString& folderPath, ITaskService* service, ITaskFolder** folder)
{
    ScopedBstr path(folderPath);
    HRESULT hr = service->GetFolder(path.Get(), folder);
    if (FAILED(hr)) {
        DebugPrint(L"Cannot get Root Folder pointer: 0x%08x\n", hr);
        return FALSE;
    }
    return TRUE;
}

int TaskGetTasks(ITaskFolder* folder, IRegisteredTaskCollection** tasks)
{
    HRESULT hr = folder->GetTasks(TASK_ENUM_HIDDEN, tasks);
    if (FAILED(hr)) {
        DebugPrint(L"Cannot get the registered tasks: 0x%08x\n", hr);
        return -1;
    }
    LONG count = 0;
    (*tasks)->get_Count(&count);
    if (count == 0) {
        DebugPrint(L"No Tasks are currently running\n");
        (*tasks)->Release();
        *tasks = nullptr;
    }
    DebugPrint(L"%d tasks are running.", static_cast<int>(count));
    return static_cast<int>(count);
}

BOOL FindTask(const CString& name, IRegisteredTaskCollection* tasks, IRegisteredTask** task)
{
    LONG count = 0;
    tasks->get_Count(&count);
    for (LONG i = 0; i < count; ++i) {
        // The collection counts from 1.
        VARIANT position;
        ::VariantInit(&position);
        position.vt = VT_I4;
        position.lVal = i + 1;
        ComRef<IRegisteredTask> item;
        HRESULT hr = tasks->get_Item(position, item.Out());
        if (FAILED(hr)) {
            DebugPrint(L"Cannot get the registered task item at index = %d: %x\n", static_cast<int>(i + 1), hr);
            continue;
        }
        ScopedBstr itemName;
        hr = item->get_Name(itemName.Out());
        if (FAILED(hr)) {
            DebugPrint(L"Cannot get the registered task name: %x\n", hr);
            continue;
        }
        if (itemName.Get() && name == itemName.Get()) {
            *task = item.Detach();
            DebugPrint(L"Get task success.\n");
            return TRUE;
        }
        DebugPrint(L"Index: %d, Task Name: %s\n", static_cast<int>(i), itemName.Get() ? itemName.Get() : L"");
    }
    return FALSE;
}

BOOL TaskGetDefinition(IRegisteredTask* task, ITaskDefinition** definition)
{
    return SUCCEEDED(task->get_Definition(definition));
}

BOOL TaskGetSettings(ITaskDefinition* definition, ITaskSettings** settings)
{
    return SUCCEEDED(definition->get_Settings(settings));
}

BOOL TaskGetPrincipal(ITaskDefinition* definition, IPrincipal** principal)
{
    return SUCCEEDED(definition->get_Principal(principal));
}

BOOL SetTaskEnabled(const CString& folderPath, const CString& name, BOOL enable)
{
    TaskCall call;
    return call.OpenTask(folderPath, name) && SUCCEEDED(call.task->put_Enabled(FlagValue(enable)));
}

BOOL DisableTask(const CString& folderPath, const CString& name)
{
    return SetTaskEnabled(folderPath, name, FALSE);
}

BOOL EnableTask(const CString& folderPath, const CString& name)
{
    return SetTaskEnabled(folderPath, name, TRUE);
}

BOOL GetTaskState(const CString& folderPath, const CString& name, CString& text)
{
    TaskCall call;
    if (!call.OpenTask(folderPath, name))
        return FALSE;
    TASK_STATE state = TASK_STATE_UNKNOWN;
    if (FAILED(call.task->get_State(&state)))
        return FALSE;
    static const wchar_t* const texts[] = {L"Unknow", L"Disabled", L"Queued", L"Ready", L"Running"};
    if (state >= 0 && static_cast<size_t>(state) < sizeof(texts) / sizeof(texts[0]))
        text = texts[state];
    return TRUE;
}

BOOL IsTaskDisabled(const CString& folderPath, const CString& name)
{
    CString text;
    return GetTaskState(folderPath, name, text) && text == L"Disabled";
}

BOOL IsTaskAllowedOnBatteries(const CString& folderPath, const CString& name)
{
    TaskCall call;
    VARIANT_BOOL disallow = 0;
    return call.OpenSettings(folderPath, name) && SUCCEEDED(call.settings->get_DisallowStartIfOnBatteries(&disallow)) &&
           disallow == 0;
}

BOOL SetTaskDisallowOnBatteries(const CString& folderPath, const CString& name, BOOL disallow)
{
    TaskCall call;
    return call.OpenSettings(folderPath, name) &&
           SUCCEEDED(call.settings->put_DisallowStartIfOnBatteries(FlagValue(disallow)));
}

BOOL DisallowTaskOnBatteries(const CString& folderPath, const CString& name)
{
    return SetTaskDisallowOnBatteries(folderPath, name, TRUE);
}

BOOL AllowTaskOnBatteries(const CString& folderPath, const CString& name)
{
    return SetTaskDisallowOnBatteries(folderPath, name, FALSE);
}

BOOL SetTaskRunLevel(const CString& folderPath, const CString& name, BOOL highest)
{
    TaskCall call;
    return call.OpenPrincipal(folderPath, name) &&
           SUCCEEDED(call.principal->put_RunLevel(highest ? TASK_RUNLEVEL_HIGHEST : TASK_RUNLEVEL_LUA));
}

BOOL IsTaskRunLevelHighest(const CString& folderPath, const CString& name)
{
    TaskCall call;
    TASK_RUNLEVEL_TYPE level = TASK_RUNLEVEL_LUA;
    return call.OpenPrincipal(folderPath, name) && SUCCEEDED(call.principal->get_RunLevel(&level)) &&
           level == TASK_RUNLEVEL_HIGHEST;
}

BOOL DeleteTask(const CString& folderPath, const CString& name)
{
    TaskCall call;
    if (!call.OpenFolder(folderPath))
        return FALSE;
    ScopedBstr taskName(name);
    return SUCCEEDED(call.folder->DeleteTask(taskName.Get(), 0));
}
