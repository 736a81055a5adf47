// A service of the tests' own, created in the test prefix under the names the
// tuning switches stop and disable. It runs until it is asked to stop; given
// the word "stubborn" on its command line it answers a stop request with
// "stop pending" and stays so until the tests set the release event.

#include <windows.h>

#include <cwchar>

namespace {

const wchar_t kReleaseEvent[] = L"KestrovaTestServiceRelease";

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stopRequested = nullptr;
bool g_stubborn = false;

void Report(DWORD state)
{
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwWaitHint = state == SERVICE_STOP_PENDING ? 60000 : 0;
    ::SetServiceStatus(g_status, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, LPVOID, LPVOID)
{
    if (control == SERVICE_CONTROL_STOP) {
        // Said before the request returns, so the first poll already sees it.
        if (g_stubborn)
            Report(SERVICE_STOP_PENDING);
        ::SetEvent(g_stopRequested);
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, LPWSTR* names)
{
    g_status = ::RegisterServiceCtrlHandlerExW(names[0], Control, nullptr);
    if (!g_status)
        return;
    Report(SERVICE_RUNNING);
    ::WaitForSingleObject(g_stopRequested, INFINITE);
    if (g_stubborn) {
        HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, kReleaseEvent);
        ::WaitForSingleObject(release, 120000);
        ::CloseHandle(release);
    }
    Report(SERVICE_STOPPED);
}

} // namespace

int main()
{
    g_stubborn = wcsstr(::GetCommandLineW(), L" stubborn") != nullptr;
    g_stopRequested = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    wchar_t name[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
