#pragma once
// A copy of sim_start_probe.exe with KestrovaSim.dll in a folder of its own,
// started as a process of its own: what the DLL loads at its first use there
// is what a program started from that folder would get.

#include <windows.h>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "Win32Failure.h"

class ProbeProcess {
public:
    // Copies the probe and the DLL into `folder` and starts the probe there;
    // its standard output and error go to "stderr.txt" in the folder. Whatever fails
    // on the way fails the test with the call, the path and the error.
    explicit ProbeProcess(const TempDir& folder)
    {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        CString bin = self;
        bin = bin.Left(bin.ReverseFind(L'\\') + 1);
        if (!Copy(bin + L"sim_start_probe.exe", folder.Path(L"probe.exe")) ||
            !Copy(bin + L"KestrovaSim.dll", folder.Path(L"KestrovaSim.dll")))
            return;
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE errors = ::CreateFileW(folder.Path(L"stderr.txt"), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (errors == INVALID_HANDLE_VALUE) {
            DWORD error = ::GetLastError();
            ADD_FAILURE() << CallFailed("CreateFileW", folder.Path(L"stderr.txt"), error);
            return;
        }
        // Nothing of the test's own input or output: a probe that outlived
        // the test would hold them.
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = errors;
        startup.hStdError = errors;
        CString command = L"\"" + folder.Path(L"probe.exe") + L"\"";
        if (!::CreateProcessW(nullptr, command.GetBuffer(), nullptr, nullptr, TRUE, 0, nullptr, folder.Path(), &startup,
                              &m_process)) {
            DWORD error = ::GetLastError();
            ADD_FAILURE() << CallFailed("CreateProcessW", folder.Path(L"probe.exe"), error);
            m_process = PROCESS_INFORMATION{};
        }
        command.ReleaseBuffer();
        ::CloseHandle(errors);
    }

    ~ProbeProcess()
    {
        if (m_process.hProcess == nullptr)
            return;
        // A probe that did not end in time is not left behind, and has gone
        // before its folder is removed.
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            bool terminated = ::TerminateProcess(m_process.hProcess, 0xDEAD);
            DWORD error = terminated ? ERROR_SUCCESS : ::GetLastError();
            if (::WaitForSingleObject(m_process.hProcess, 30000) != WAIT_OBJECT_0)
                ADD_FAILURE() << "the probe " << Id() << " has not gone within 30000 ms"
                              << (terminated ? "" : ": " + CallFailed("TerminateProcess", nullptr, error));
        }
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
    static bool Copy(const CString& from, const CString& to)
    {
        if (::CopyFileW(from, to, FALSE))
            return true;
        DWORD error = ::GetLastError();
        ADD_FAILURE() << CallFailed("CopyFileW", from, error) << " (to " << Utf8(to) << ")";
        return false;
    }

    PROCESS_INFORMATION m_process{};
};
