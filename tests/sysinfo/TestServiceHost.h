#pragma once
// The tests' own service (sysinfo_test_service.exe beside the test), created
// in the test prefix under a name the product looks for and removed again.

#include <windows.h>

#include <string>

class TestServiceHost {
public:
    // Removes a service of that name left by an earlier run, then creates ours,
    // started on demand. A stubborn one stays "stop pending" until released.
    TestServiceHost(const wchar_t* name, bool stubborn) : m_name(name)
    {
        m_release = ::CreateEventW(nullptr, TRUE, FALSE, L"KestrovaTestServiceRelease");
        ::ResetEvent(m_release);
        m_manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        Remove();
        std::wstring command = L"\"" + BesideThisProgram(L"sysinfo_test_service.exe") + L"\"";
        if (stubborn)
            command += L" stubborn";
        m_service =
            ::CreateServiceW(m_manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                             SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    ~TestServiceHost()
    {
        ::SetEvent(m_release);
        Remove();
        ::CloseServiceHandle(m_manager);
        ::CloseHandle(m_release);
    }
    TestServiceHost(const TestServiceHost&) = delete;
    TestServiceHost& operator=(const TestServiceHost&) = delete;

    bool Created() const { return m_service != nullptr; }

    // Starts the service and waits until it says it runs.
    bool StartAndWait()
    {
        if (!::StartServiceW(m_service, 0, nullptr))
            return false;
        return WaitForState(SERVICE_RUNNING);
    }
    bool WaitForState(DWORD state, DWORD timeoutMs = 10000)
    {
        DWORD end = ::GetTickCount() + timeoutMs;
        while (State() != state) {
            if (static_cast<int>(end - ::GetTickCount()) <= 0)
                return false;
            ::Sleep(20);
        }
        return true;
    }
    DWORD State() const
    {
        SERVICE_STATUS status = {};
        return ::QueryServiceStatus(m_service, &status) ? status.dwCurrentState : 0;
    }
    // The service's configuration as the manager keeps it.
    QUERY_SERVICE_CONFIGW Config(std::wstring& path) const
    {
        QUERY_SERVICE_CONFIGW config = {};
        DWORD needed = 0;
        ::QueryServiceConfigW(m_service, nullptr, 0, &needed);
        std::string buffer(needed, '\0');
        auto* full = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(&buffer[0]);
        if (needed && ::QueryServiceConfigW(m_service, full, needed, &needed)) {
            config = *full;
            path = full->lpBinaryPathName ? full->lpBinaryPathName : L"";
        }
        config.lpBinaryPathName = nullptr;
        config.lpLoadOrderGroup = config.lpDependencies = config.lpServiceStartName = config.lpDisplayName = nullptr;
        return config;
    }
    void Release() { ::SetEvent(m_release); }

    // Makes sure no service of that name is left (from an earlier run).
    static void EnsureAbsent(const wchar_t* name) { TestServiceHost host(name, false); }

    static std::wstring BesideThisProgram(const wchar_t* file)
    {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path);
        return folder.substr(0, folder.rfind(L'\\') + 1) + file;
    }

private:
    // Stops (releasing a stubborn one) and deletes the service of our name.
    void Remove()
    {
        if (m_service) {
            ::CloseServiceHandle(m_service);
            m_service = nullptr;
        }
        SC_HANDLE service = ::OpenServiceW(m_manager, m_name.c_str(), SERVICE_ALL_ACCESS);
        if (!service)
            return;
        SERVICE_STATUS status = {};
        ::ControlService(service, SERVICE_CONTROL_STOP, &status);
        ::SetEvent(m_release);
        for (int i = 0; i < 500 && ::QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED;
             ++i)
            ::Sleep(20);
        ::DeleteService(service);
        ::CloseServiceHandle(service);
        // Gone once the manager no longer knows the name.
        for (int i = 0; i < 250; ++i) {
            SC_HANDLE left = ::OpenServiceW(m_manager, m_name.c_str(), SERVICE_QUERY_STATUS);
            if (!left)
                break;
            ::CloseServiceHandle(left);
            ::Sleep(20);
        }
        ::ResetEvent(m_release);
    }

    std::wstring m_name;
    SC_HANDLE m_manager = nullptr;
    SC_HANDLE m_service = nullptr;
    HANDLE m_release = nullptr;
};
