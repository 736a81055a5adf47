#define CINTERFACE
#include <windows.h>
#include <taskschd.h>

#include "FakeCom.h"
#include "FakeTaskScheduler.h"

using namespace fakecom;

namespace {

std::wstring Note(const wchar_t* call, const std::wstring& name, LONG value)
{
    return std::wstring(call) + L" " + name + L" " + std::to_wstring(value);
}

// Every fake object of this server: its interface first, then what it reaches.
template <class Interface> struct Fake {
    Interface iface;
    LONG refs;
    int* live;
    FakeTaskScheduler* world;
    std::wstring folder; // the folder path it belongs to
    size_t task;         // the task's position in the folder, where it names one
};

template <class Object>
Object* Make(void* table, FakeTaskScheduler* world, const std::wstring& folder = L"", size_t task = 0)
{
    typedef decltype(Object::iface.lpVtbl) Table;
    auto* made = new Object{{{static_cast<Table>(table)}, 1, &world->live, world, folder, task}};
    ++world->live;
    return made;
}

FakeTask& TaskOf(FakeTaskScheduler* world, const std::wstring& folder, size_t task)
{
    return world->folders[folder][task];
}

#define FAKE_OBJECT(Name, Interface, IidName, Dispatch)                                                                \
    struct Name : Fake<Interface> {                                                                                    \
        static REFIID Iid() { return IidName; }                                                                        \
        static bool DispatchToo() { return Dispatch; }                                                                 \
    };

FAKE_OBJECT(FakePrincipal, IPrincipal, IID_IPrincipal, true)
FAKE_OBJECT(FakeSettings, ITaskSettings, IID_ITaskSettings, true)
FAKE_OBJECT(FakeDefinition, ITaskDefinition, IID_ITaskDefinition, true)
FAKE_OBJECT(FakeRegisteredTask, IRegisteredTask, IID_IRegisteredTask, true)
FAKE_OBJECT(FakeCollection, IRegisteredTaskCollection, IID_IRegisteredTaskCollection, true)
FAKE_OBJECT(FakeFolder, ITaskFolder, IID_ITaskFolder, true)
FAKE_OBJECT(FakeService, ITaskService, IID_ITaskService, true)

template <class Object, class Table> Table* TableOf(void (*fill)(Table&))
{
    static Table table;
    static bool made = false;
    if (!made) {
        FillNotImplemented(table);
        SetUnknown<Object>(table);
        fill(table);
        made = true;
    }
    return &table;
}

// IPrincipal
HRESULT STDMETHODCALLTYPE PrincipalGetRunLevel(IPrincipal* iface, TASK_RUNLEVEL_TYPE* level)
{
    FakePrincipal* self = Self<FakePrincipal>(iface);
    *level = static_cast<TASK_RUNLEVEL_TYPE>(TaskOf(self->world, self->folder, self->task).runLevel);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PrincipalPutRunLevel(IPrincipal* iface, TASK_RUNLEVEL_TYPE level)
{
    FakePrincipal* self = Self<FakePrincipal>(iface);
    FakeTask& task = TaskOf(self->world, self->folder, self->task);
    self->world->calls.push_back(Note(L"put_RunLevel", task.name, level));
    task.runLevel = level;
    return S_OK;
}

IPrincipalVtbl* PrincipalTable()
{
    return TableOf<FakePrincipal, IPrincipalVtbl>([](IPrincipalVtbl& t) {
        t.get_RunLevel = PrincipalGetRunLevel;
        t.put_RunLevel = PrincipalPutRunLevel;
    });
}

// ITaskSettings
HRESULT STDMETHODCALLTYPE SettingsGetDisallow(ITaskSettings* iface, VARIANT_BOOL* disallow)
{
    FakeSettings* self = Self<FakeSettings>(iface);
    *disallow = TaskOf(self->world, self->folder, self->task).disallowOnBatteries ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SettingsPutDisallow(ITaskSettings* iface, VARIANT_BOOL disallow)
{
    FakeSettings* self = Self<FakeSettings>(iface);
    FakeTask& task = TaskOf(self->world, self->folder, self->task);
    self->world->calls.push_back(Note(L"put_DisallowStartIfOnBatteries", task.name, disallow));
    task.disallowOnBatteries = disallow != 0;
    return S_OK;
}

ITaskSettingsVtbl* SettingsTable()
{
    return TableOf<FakeSettings, ITaskSettingsVtbl>([](ITaskSettingsVtbl& t) {
        t.get_DisallowStartIfOnBatteries = SettingsGetDisallow;
        t.put_DisallowStartIfOnBatteries = SettingsPutDisallow;
    });
}

// ITaskDefinition
HRESULT STDMETHODCALLTYPE DefinitionGetSettings(ITaskDefinition* iface, ITaskSettings** settings)
{
    FakeDefinition* self = Self<FakeDefinition>(iface);
    *settings = &Make<FakeSettings>(SettingsTable(), self->world, self->folder, self->task)->iface;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DefinitionGetPrincipal(ITaskDefinition* iface, IPrincipal** principal)
{
    FakeDefinition* self = Self<FakeDefinition>(iface);
    *principal = &Make<FakePrincipal>(PrincipalTable(), self->world, self->folder, self->task)->iface;
    return S_OK;
}

ITaskDefinitionVtbl* DefinitionTable()
{
    return TableOf<FakeDefinition, ITaskDefinitionVtbl>([](ITaskDefinitionVtbl& t) {
        t.get_Settings = DefinitionGetSettings;
        t.get_Principal = DefinitionGetPrincipal;
    });
}

// IRegisteredTask
HRESULT STDMETHODCALLTYPE TaskGetName(IRegisteredTask* iface, BSTR* name)
{
    FakeRegisteredTask* self = Self<FakeRegisteredTask>(iface);
    *name = ::SysAllocString(TaskOf(self->world, self->folder, self->task).name.c_str());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TaskGetState(IRegisteredTask* iface, TASK_STATE* state)
{
    FakeRegisteredTask* self = Self<FakeRegisteredTask>(iface);
    *state = static_cast<TASK_STATE>(TaskOf(self->world, self->folder, self->task).state);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TaskPutEnabled(IRegisteredTask* iface, VARIANT_BOOL enabled)
{
    FakeRegisteredTask* self = Self<FakeRegisteredTask>(iface);
    FakeTask& task = TaskOf(self->world, self->folder, self->task);
    self->world->calls.push_back(Note(L"put_Enabled", task.name, enabled));
    task.state = enabled ? TASK_STATE_READY : TASK_STATE_DISABLED;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TaskGetDefinition(IRegisteredTask* iface, ITaskDefinition** definition)
{
    FakeRegisteredTask* self = Self<FakeRegisteredTask>(iface);
    *definition = &Make<FakeDefinition>(DefinitionTable(), self->world, self->folder, self->task)->iface;
    return S_OK;
}

IRegisteredTaskVtbl* RegisteredTaskTable()
{
    return TableOf<FakeRegisteredTask, IRegisteredTaskVtbl>([](IRegisteredTaskVtbl& t) {
        t.get_Name = TaskGetName;
        t.get_State = TaskGetState;
        t.put_Enabled = TaskPutEnabled;
        t.get_Definition = TaskGetDefinition;
    });
}

// IRegisteredTaskCollection
HRESULT STDMETHODCALLTYPE CollectionGetCount(IRegisteredTaskCollection* iface, LONG* count)
{
    FakeCollection* self = Self<FakeCollection>(iface);
    *count = static_cast<LONG>(self->world->folders[self->folder].size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CollectionGetItem(IRegisteredTaskCollection* iface, VARIANT index, IRegisteredTask** task)
{
    FakeCollection* self = Self<FakeCollection>(iface);
    *task = nullptr;
    LONG size = static_cast<LONG>(self->world->folders[self->folder].size());
    if (index.vt != VT_I4 || index.lVal < 1 || index.lVal > size || self->world->failingItems.count(index.lVal))
        return E_INVALIDARG;
    *task = &Make<FakeRegisteredTask>(RegisteredTaskTable(), self->world, self->folder, index.lVal - 1)->iface;
    return S_OK;
}

IRegisteredTaskCollectionVtbl* CollectionTable()
{
    return TableOf<FakeCollection, IRegisteredTaskCollectionVtbl>([](IRegisteredTaskCollectionVtbl& t) {
        t.get_Count = CollectionGetCount;
        t.get_Item = CollectionGetItem;
    });
}

// ITaskFolder
HRESULT STDMETHODCALLTYPE FolderGetTasks(ITaskFolder* iface, LONG flags, IRegisteredTaskCollection** tasks)
{
    FakeFolder* self = Self<FakeFolder>(iface);
    self->world->calls.push_back(Note(L"GetTasks", self->folder, flags));
    *tasks = &Make<FakeCollection>(CollectionTable(), self->world, self->folder)->iface;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FolderDeleteTask(ITaskFolder* iface, BSTR name, LONG flags)
{
    FakeFolder* self = Self<FakeFolder>(iface);
    std::wstring wanted = name ? name : L"";
    self->world->calls.push_back(Note(L"DeleteTask", wanted, flags));
    std::vector<FakeTask>& tasks = self->world->folders[self->folder];
    for (auto at = tasks.begin(); at != tasks.end(); ++at) {
        if (at->name == wanted) {
            tasks.erase(at);
            return S_OK;
        }
    }
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

ITaskFolderVtbl* FolderTable()
{
    return TableOf<FakeFolder, ITaskFolderVtbl>([](ITaskFolderVtbl& t) {
        t.GetTasks = FolderGetTasks;
        t.DeleteTask = FolderDeleteTask;
    });
}

// ITaskService
HRESULT STDMETHODCALLTYPE ServiceConnect(ITaskService* iface, VARIANT server, VARIANT user, VARIANT domain,
                                         VARIANT password)
{
    FakeService* self = Self<FakeService>(iface);
    bool local = server.vt == VT_EMPTY && user.vt == VT_EMPTY && domain.vt == VT_EMPTY && password.vt == VT_EMPTY;
    return local ? self->world->connectResult : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE ServiceGetFolder(ITaskService* iface, BSTR path, ITaskFolder** folder)
{
    FakeService* self = Self<FakeService>(iface);
    *folder = nullptr;
    std::wstring wanted = path ? path : L"";
    if (!self->world->folders.count(wanted))
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    *folder = &Make<FakeFolder>(FolderTable(), self->world, wanted)->iface;
    return S_OK;
}

ITaskServiceVtbl* ServiceTable()
{
    return TableOf<FakeService, ITaskServiceVtbl>([](ITaskServiceVtbl& t) {
        t.Connect = ServiceConnect;
        t.GetFolder = ServiceGetFolder;
    });
}

struct FakeFactory {
    IClassFactory iface;
    LONG refs;
    int* live;
    FakeTaskScheduler* world;
    int factoryLive = 1; // the factory's own count: it lives as long as the registration
    static REFIID Iid() { return IID_IClassFactory; }
    static bool DispatchToo() { return false; }
};

HRESULT STDMETHODCALLTYPE FactoryCreateInstance(IClassFactory* iface, IUnknown* outer, REFIID iid, void** out)
{
    FakeFactory* self = Self<FakeFactory>(iface);
    *out = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    FakeService* service = Make<FakeService>(ServiceTable(), self->world);
    HRESULT hr = service->iface.lpVtbl->QueryInterface(&service->iface, iid, out);
    service->iface.lpVtbl->Release(&service->iface);
    return hr;
}

HRESULT STDMETHODCALLTYPE FactoryLockServer(IClassFactory*, BOOL)
{
    return S_OK;
}

IClassFactoryVtbl* FactoryTable()
{
    return TableOf<FakeFactory, IClassFactoryVtbl>([](IClassFactoryVtbl& t) {
        t.CreateInstance = FactoryCreateInstance;
        t.LockServer = FactoryLockServer;
    });
}

} // namespace

FakeTaskScheduler::FakeTaskScheduler()
{
    auto* factory = new FakeFactory{{FactoryTable()}, 1, nullptr, this};
    factory->live = &factory->factoryLive;
    m_factory = factory;
    ::CoRegisterClassObject(CLSID_TaskScheduler, reinterpret_cast<IUnknown*>(&factory->iface), CLSCTX_INPROC_SERVER,
                            REGCLS_MULTIPLEUSE, &m_cookie);
}

FakeTaskScheduler::~FakeTaskScheduler()
{
    if (m_cookie)
        ::CoRevokeClassObject(m_cookie);
    auto* factory = static_cast<FakeFactory*>(m_factory);
    factory->iface.lpVtbl->Release(&factory->iface);
}
