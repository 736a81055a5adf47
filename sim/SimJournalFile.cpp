// A program run from outside (the program's own tests, the run script) cannot
// call SimGetJournal in the program's process: when KESTROVA_SIM_JOURNAL names
// a file, the journal is written there as the process ends.

#include "SimControl.h"

#include <windows.h>

#include <string>

namespace {

class JournalAtExit {
public:
    ~JournalAtExit()
    {
        wchar_t path[MAX_PATH * 2] = {};
        DWORD length = ::GetEnvironmentVariableW(L"KESTROVA_SIM_JOURNAL", path, MAX_PATH * 2);
        if (length == 0 || length >= MAX_PATH * 2)
            return;
        int size = SimGetJournal(nullptr, 0);
        std::string text(static_cast<size_t>(size) + 1, '\0');
        SimGetJournal(&text[0], size + 1);
        text.resize(static_cast<size_t>(size));
        HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    }
};

JournalAtExit journalAtExit;

} // namespace
