#pragma once
// Windows services by name through the Service Control Manager: state and
// start type as texts, changing the start type, starting, and stopping with
// polling. Each function opens its own handles and closes them before it
// returns; failures are written to the debug log with the platform's code.

#include <windows.h>

#include "CString.h"

// Nothing is kept between calls: the class only names the unit.
class ServiceControl {
public:
    ServiceControl();
    ~ServiceControl();
};

BOOL OpenServiceHandles(const CString& name, SC_HANDLE& manager, SC_HANDLE& service, DWORD access);
void CloseServiceHandles(SC_HANDLE& manager, SC_HANDLE& service);

BOOL SetServiceStartType(const CString& name, DWORD startType);
BOOL DisableService(const CString& name);
BOOL EnableService(const CString& name);
// "BootStart", "SystemStart", "AutoStart", "DemandStart" or "Disabled"; any
// other start type leaves the text as it was.
BOOL GetServiceStartType(const CString& name, CString& text);
BOOL IsServiceAutoStart(const CString& name);
BOOL IsServiceDisabled(const CString& name);

// "Stopped", "StartPending", "StopPending", "Running", "ConfigurePending",
// "PausePending" or "Paused"; any other state leaves the text as it was.
void GetServiceStateText(DWORD state, CString& text);
BOOL GetServiceState(const CString& name, CString& text);
BOOL IsServiceRunning(const CString& name);
BOOL IsServiceStopped(const CString& name);

BOOL StartSystemService(const CString& name);
// Asks the service to stop and polls its state up to ten times, a second
// apart; TRUE once polling ends, whether or not the service has stopped.
BOOL StopSystemService(const CString& name);

// Every wait between two polls goes through one function: Sleep unless a
// test gives a shorter one (NULL gives Sleep back).
typedef void (*ServiceWaitFunction)(DWORD milliseconds);
void SetServiceWaitFunction(ServiceWaitFunction wait);
