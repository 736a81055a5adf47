#include "ServiceControl.h"

#include "define.h"

namespace {

const int kStopPolls = 10;
const DWORD kStopPollIntervalMs = 1000;

void RealWait(DWORD milliseconds)
{
    ::Sleep(milliseconds);
}

ServiceWaitFunction g_serviceWait = RealWait;

// The handles of one call, closed on every road out of it.
struct ServiceHandles {
    SC_HANDLE manager = nullptr;
    SC_HANDLE service = nullptr;
    BOOL opened;

    ServiceHandles(const CString& name, DWORD access) : opened(OpenServiceHandles(name, manager, service, access)) {}
    ~ServiceHandles() { CloseServiceHandles(manager, service); }
    ServiceHandles(const ServiceHandles&) = delete;
    ServiceHandles& operator=(const ServiceHandles&) = delete;
};

// A heap block freed when it goes out of scope.
class LocalBlock {
public:
    explicit LocalBlock(DWORD bytes) : m_data(::LocalAlloc(LPTR, bytes)) {}
    ~LocalBlock()
    {
        if (m_data)
            ::LocalFree(m_data);
    }
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;
    void* Get() const { return m_data; }

private:
    HLOCAL m_data;
};

BOOL StartTypeText(DWORD startType, CString& text)
{
    static const wchar_t* const texts[] = {L"BootStart", L"SystemStart", L"AutoStart", L"DemandStart", L"Disabled"};
    if (startType < sizeof(texts) / sizeof(texts[0]))
        text = texts[startType];
    return TRUE;
}

} // namespace

ServiceControl::ServiceControl() {}

ServiceControl::~ServiceControl() {}

void SetServiceWaitFunction(ServiceWaitFunction wait)
{
    g_serviceWait = wait ? wait : RealWait;
}

BOOL OpenServiceHandles(const CString& name, SC_HANDLE& manager, SC_HANDLE& service, DWORD access)
{
    BOOL result = TRUE;
    manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        DebugPrint(L"OpenSCManager() Faild, error code: %d !\n", ::GetLastError());
        result = FALSE;
    } else {
        DebugPrint(L"OpenSCManager() ok !\n");
    }
    service = ::OpenServiceW(manager, name, access);
    if (!service) {
        DebugPrint(L"OpenService() Faild, error code: %d !\n", ::GetLastError());
        if (manager) {
            ::CloseServiceHandle(manager);
            manager = nullptr;
        }
        result = FALSE;
    } else {
        DebugPrint(L"OpenService() ok !\n");
    }
    return result;
}

void CloseServiceHandles(SC_HANDLE& manager, SC_HANDLE& service)
{
    if (service) {
        ::CloseServiceHandle(service);
        service = nullptr;
    }
    if (manager) {
        ::CloseServiceHandle(manager);
        manager = nullptr;
    }
}

BOOL SetServiceStartType(const CString& name, DWORD startType)
{
    ServiceHandles handles(name, SERVICE_CHANGE_CONFIG);
    if (!handles.opened)
        return FALSE;
    BOOL result = ::ChangeServiceConfigW(handles.service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!result)
        DebugPrint(L"ChangeServiceConfig fail, getlasterror: %u", ::GetLastError());
    return result;
}

BOOL DisableService(const CString& name)
{
    return SetServiceStartType(name, SERVICE_DISABLED);
}

BOOL EnableService(const CString& name)
{
    return SetServiceStartType(name, SERVICE_AUTO_START);
}

BOOL GetServiceStartType(const CString& name, CString& text)
{
    ServiceHandles handles(name, SERVICE_QUERY_CONFIG);
    if (!handles.opened)
        return FALSE;
    DWORD needed = 0;
    if (::QueryServiceConfigW(handles.service, nullptr, 0, &needed) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return FALSE;
    // A configuration that does not fit in memory is a failed query.
    LocalBlock buffer(needed);
    if (!buffer.Get())
        return FALSE;
    QUERY_SERVICE_CONFIGW* config = static_cast<QUERY_SERVICE_CONFIGW*>(buffer.Get());
    if (!::QueryServiceConfigW(handles.service, config, needed, &needed))
        return FALSE;
    return StartTypeText(config->dwStartType, text);
}

BOOL IsServiceAutoStart(const CString& name)
{
    CString text;
    return GetServiceStartType(name, text) && text == L"AutoStart";
}

BOOL IsServiceDisabled(const CString& name)
{
    CString text;
    return GetServiceStartType(name, text) && text == L"Disabled";
}

void GetServiceStateText(DWORD state, CString& text)
{
    static const wchar_t* const texts[] = {L"Stopped",          L"StartPending", L"StopPending", L"Running",
                                           L"ConfigurePending", L"PausePending", L"Paused"};
    if (state >= 1 && state <= sizeof(texts) / sizeof(texts[0]))
        text = texts[state - 1];
}

BOOL GetServiceState(const CString& name, CString& text)
{
    ServiceHandles handles(name, SERVICE_QUERY_STATUS);
    if (!handles.opened)
        return FALSE;
    SERVICE_STATUS status = {};
    if (!::QueryServiceStatus(handles.service, &status)) {
        DebugPrint(L"QueryServiceStatus failed %d\n", ::GetLastError());
        return FALSE;
    }
    GetServiceStateText(status.dwCurrentState, text);
    return TRUE;
}

BOOL IsServiceRunning(const CString& name)
{
    CString text;
    return GetServiceState(name, text) && text == L"Running";
}

BOOL IsServiceStopped(const CString& name)
{
    CString text;
    return GetServiceState(name, text) && text == L"Stopped";
}

BOOL StartSystemService(const CString& name)
{
    ServiceHandles handles(name, SERVICE_START);
    if (!handles.opened)
        return FALSE;
    if (::StartServiceW(handles.service, 0, nullptr)) {
        DebugPrint(L"StartService() ok !\n");
        return TRUE;
    }
    DWORD error = ::GetLastError();
    if (error == ERROR_SERVICE_ALREADY_RUNNING) {
        DebugPrint(L"StartService() Faild ERROR_SERVICE_ALREADY_RUNNING !\n");
        return TRUE;
    }
    if (error == ERROR_IO_PENDING) {
        DebugPrint(L"StartService() Faild ERROR_IO_PENDING !\n");
        return FALSE;
    }
    DebugPrint(L"StartService() Faild, error code: %d !\n", error);
    return FALSE;
}

namespace {

// Stop request and polling on an open service; TRUE once polling ends.
BOOL StopAndPoll(SC_HANDLE service)
{
    SERVICE_STATUS status = {};
    if (!::ControlService(service, SERVICE_CONTROL_STOP, &status)) {
        DWORD error = ::GetLastError();
        DebugPrint(L"Stop the service Faild, error code: %d !\n", error);
        // A service that is not running is as good as stopped: the polls see it.
        if (error != ERROR_SERVICE_NOT_ACTIVE)
            return FALSE;
    }
    DebugPrint(L"ControlService() ok !\n");
    for (int poll = 0; poll < kStopPolls; ++poll) {
        if (!::QueryServiceStatus(service, &status)) {
            DebugPrint(L"QueryServiceStatus failed %d\n", ::GetLastError());
            return FALSE;
        }
        if (status.dwCurrentState == SERVICE_STOPPED) {
            DebugPrint(L"Stop the system service() ok !\n");
            break;
        }
        DebugPrint(L"Fail to stop the system service: service state: %u\n", status.dwCurrentState);
        g_serviceWait(kStopPollIntervalMs);
    }
    return TRUE;
}

} // namespace

BOOL StopSystemService(const CString& name)
{
    BOOL result = FALSE;
    {
        ServiceHandles handles(name, SERVICE_ALL_ACCESS);
        if (handles.opened)
            result = StopAndPoll(handles.service);
    }
    DebugPrint(L"<- Stop system service\n");
    return result;
}
