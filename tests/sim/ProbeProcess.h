#pragma once
// A copy of sim_start_probe.exe with KestrovaSim.dll in a folder of its own,
// started as a process of its own: what the DLL loads at its first use there
// is what a program started from that folder would get.

#include <windows.h>

#include "TempDir.h"

class ProbeProcess {
public:
    // Copies the probe and the DLL into `folder` and starts the probe there;
    // its standard error goes to "stderr.txt" in the folder.
    explicit ProbeProcess(const TempDir& folder)
    {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        CString bin = self;
        bin = bin.Left(bin.ReverseFind(L'\\') + 1);
        ::CopyFileW(bin + L"sim_start_probe.exe", folder.Path(L"probe.exe"), FALSE);
        ::CopyFileW(bin + L"KestrovaSim.dll", folder.Path(L"KestrovaSim.dll"), FALSE);
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE errors = ::CreateFileW(folder.Path(L"stderr.txt"), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = errors;
        CString command = L"\"" + folder.Path(L"probe.exe") + L"\"";
        if (!::CreateProcessW(nullptr, command.GetBuffer(), nullptr, nullptr, TRUE, 0, nullptr, folder.Path(), &startup,
                              &m_process)) {
            m_process = PROCESS_INFORMATION{};
        }
        command.ReleaseBuffer();
        if (errors != INVALID_HANDLE_VALUE)
            ::CloseHandle(errors);
    }

    ~ProbeProcess()
    {
        if (m_process.hProcess == nullptr)
            return;
        // A probe that did not end in time is not left behind.
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.hProcess, 0xDEAD);
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }

    ProbeProcess(const ProbeProcess&) = delete;
    ProbeProcess& operator=(const ProbeProcess&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }
    DWORD Id() const { return m_process.dwProcessId; }

    // The probe's exit code (the machine's drive count), or 0xFFFFFFFF when it
    // did not end within `milliseconds`.
    DWORD Wait(DWORD milliseconds) const
    {
        DWORD code = 0xFFFFFFFF;
        if (Started() && ::WaitForSingleObject(m_process.hProcess, milliseconds) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process{};
};
