// The program's entry point, linked into the executable itself (an object
// library): a static library's WinMain would not be found by the runtime's
// start-up code.

#include "CWinApp.h"

extern "C" int WinMainCRTStartup();

// The process's first step, before the C runtime's start-up and every static
// constructor: DLLs loaded from here on by name (the delay-loaded Windows
// libraries, LoadLibrary without a search flag) come from the system folder
// only, never from the program's folder or the current one. The program runs
// as administrator, so a file of such a name put beside it would run with
// those rights. What the import table names was loaded before this line by
// the system; it holds only the maker's libraries and Windows' Known DLLs.
// Linked as the image's entry (framework/CMakeLists.txt).
extern "C" int AfxEntryPoint()
{
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int cmdShow)
{
    return AfxWinMain(instance, previous, ::GetCommandLineW(), cmdShow);
}
