// A framework program's start and end: the entry point finds the static
// application object, runs InitInstance and, when it returns FALSE, goes
// straight to ExitInstance, whose result is the exit code. By then the entry
// has limited the DLL search to the system folder: a library beside the
// program (beside_program.dll, built there) is not found by its bare name,
// only when the program's folder is asked for.

#include "Afx.h"

#include <cstdio>
#include <memory>
#include <type_traits>

namespace {

const wchar_t kBesideProgram[] = L"beside_program.dll";

using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)>;

// Says on the error output which check did not hold (the exit code says only
// that one did not).
bool Held(bool held, const char* check, DWORD error)
{
    if (!held)
        std::fprintf(stderr, "framework_app_entry_test: %s (error %lu)\n", check, error);
    return held;
}

// A bare name is looked for in the system folder only: a file of that name
// beside the program, or in the current folder (the test's working folder is
// the program's), is not loaded.
bool BareNameMissesTheProgramFolder()
{
    Library library(::LoadLibraryW(kBesideProgram), &::FreeLibrary);
    DWORD error = ::GetLastError();
    return Held(!library && error == ERROR_MOD_NOT_FOUND,
                "LoadLibraryW of a library beside the program did not fail with ERROR_MOD_NOT_FOUND", error);
}

// The library is there: asked for the program's folder, the loader finds it.
bool ApplicationFolderFindsIt()
{
    Library library(::LoadLibraryExW(kBesideProgram, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR), &::FreeLibrary);
    DWORD error = ::GetLastError();
    return Held(library != nullptr, "LoadLibraryExW with LOAD_LIBRARY_SEARCH_APPLICATION_DIR did not find it", error);
}

class TestApp : public CWinApp {
public:
    bool initRan = false;
    bool sawItself = false;
    bool searchLimited = false;

    BOOL InitInstance() override
    {
        CWinApp::InitInstance();
        initRan = true;
        sawItself = AfxGetApp() == this && AfxGetThread() == this && m_hInstance == ::GetModuleHandleW(nullptr);
        // Both checks run, so that each says whether it held.
        searchLimited = BareNameMissesTheProgramFolder() & ApplicationFolderFindsIt();
        return FALSE;
    }
    int ExitInstance() override
    {
        int base = CWinApp::ExitInstance();
        // A code no other ending gives (a program whose Wine server is lost
        // ends with 0): it shows that the exit code is this function's.
        return initRan && sawItself && searchLimited && base == 0 ? 42 : 1;
    }
};

TestApp theApp;

} // namespace
