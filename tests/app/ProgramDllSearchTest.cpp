// The program runs as administrator, so what it loads runs with those rights:
// a file put beside it under the name of a Windows library it loads (one that
// is not a Known DLL) must not be loaded in the system's copy's place.
//
// Wine prefers its own built-in copy of such a library to a file found beside
// a program unless told otherwise; the program runs with the planted names
// set to "native first", as Windows treats a file found first in the search.
// A program that leaves the search as it is loads them so (planted_probe.exe,
// the check that a mark would show).
//
// VERSION.dll, which the program delay-loads too, is not planted: Wine's own
// user32 imports it, and Wine looks for a system library's imports beside the
// program as for any other, so a planted version.dll set to "native first"
// is loaded at process start, before the program's first line, whatever the
// program does. Windows takes a Known DLL's imports from the system folder.
// The shipped program's import tables are checked instead (shipped_imports).
// Wine's user32 brings ucrtbase.dll and zlib1.dll the same way, and Wine's
// uxtheme delay-loads msimg32.dll by the default search whatever the program
// set: Wine's doing, not planted either.

#include "ProgramDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Windows libraries outside the Known DLLs that the program loads: delay-loaded
// (the common controls; the Configuration Manager with the real platform
// calls), by name (the rich edit control's), or by the common controls when
// they attach (the visual styles' uxtheme, with the search the process has at
// that moment: a Known DLL in the import table that imports the common
// controls, as the common dialogs' does, attaches them before the entry).
const char* const kPlantedNames[] = {"comctl32.dll", "cfgmgr32.dll", "riched20.dll", "uxtheme.dll"};

CString Wide(const char* text)
{
    return CString(std::wstring(text, text + std::strlen(text)).c_str());
}

// A library's name as Wine's overrides name it: without ".dll".
CString OverrideName(const char* name)
{
    return Wide(name).Left(static_cast<int>(std::strlen(name)) - 4);
}

CString BinFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString folder(path);
    return folder.Left(folder.ReverseFind(L'\\') + 1);
}

// Puts the planted library beside the program under every name.
void Plant(const CString& folder)
{
    for (const char* name : kPlantedNames)
        ASSERT_TRUE(::CopyFileW(BinFolder() + L"planted_library.dll", folder + Wide(name), FALSE))
            << "cannot copy planted_library.dll as " << name << ": error " << ::GetLastError();
}

// The names whose planted copy was loaded (and left its mark); the marks go.
std::vector<std::string> TakeMarks(const CString& folder)
{
    std::vector<std::string> loaded;
    for (const char* name : kPlantedNames) {
        CString mark = folder + Wide(name) + L".loaded";
        if (::GetFileAttributesW(mark) != INVALID_FILE_ATTRIBUTES) {
            loaded.push_back(name);
            ::DeleteFileW(mark);
        }
    }
    return loaded;
}

// While it lives, Wine loads a planted library found first in the search in
// place of its built-in copy, for the named program (Wine's per-program
// overrides: the environment of a program started from here does not reach
// Wine's choice, the registry does).
class NativeFirst {
public:
    explicit NativeFirst(const wchar_t* program)
    {
        CString path = CString(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides";
        DWORD disposition = 0;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &m_key, &disposition) !=
            ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot create the Wine override key of the program";
            m_key = nullptr;
            return;
        }
        for (const char* name : kPlantedNames) {
            static const wchar_t kNativeFirst[] = L"native,builtin";
            ::RegSetValueExW(m_key, OverrideName(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst),
                             sizeof(kNativeFirst));
        }
    }
    ~NativeFirst()
    {
        if (!m_key)
            return;
        for (const char* name : kPlantedNames)
            ::RegDeleteValueW(m_key, OverrideName(name));
        ::RegCloseKey(m_key);
    }
    NativeFirst(const NativeFirst&) = delete;
    NativeFirst& operator=(const NativeFirst&) = delete;

private:
    HKEY m_key = nullptr;
};

// Runs a program of the folder to its end; its exit code, or -1.
int RunToEnd(const CString& folder, LPCWSTR program, LPCWSTR arguments)
{
    CString commandLine = L"\"" + folder + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    BOOL started = ::CreateProcessW(nullptr, commandLine.GetBuffer(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                    nullptr, folder, &startup, &process);
    commandLine.ReleaseBuffer();
    if (!started)
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    else
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

TEST(ProgramDllSearch, LibrariesPlantedBesideTheProgramAreNotLoaded)
{
    ProgramDriver program;
    const CString& folder = program.Folder();
    ASSERT_NO_FATAL_FAILURE(Plant(folder));
    ASSERT_TRUE(::CopyFileW(BinFolder() + L"planted_probe.exe", folder + L"planted_probe.exe", FALSE));
    NativeFirst probeNativeFirst(L"planted_probe.exe");
    NativeFirst programNativeFirst(L"Kestrova.exe");

    // A program that loads them by name, leaving the search alone, takes the
    // planted copies.
    ASSERT_EQ(0, RunToEnd(folder, L"planted_probe.exe", L"comctl32.dll cfgmgr32.dll riched20.dll uxtheme.dll"));
    EXPECT_EQ((std::vector<std::string>{"comctl32.dll", "cfgmgr32.dll", "riched20.dll", "uxtheme.dll"}),
              TakeMarks(folder));

    // The program starts, fills its drive page, and loads none of them.
    ASSERT_TRUE(program.Start()) << "the main window did not show";
    ASSERT_TRUE(program.WaitForDrivePage()) << "the drive page was not filled";
    EXPECT_EQ(std::vector<std::string>(), TakeMarks(folder));
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_EQ(std::vector<std::string>(), TakeMarks(folder));
}

} // namespace
