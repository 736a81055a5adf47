// A library put beside a program under the name of a Windows library: when
// it is loaded, its DllMain leaves a file "<its own path>.loaded" beside it.
// Its exports answer the calls the program makes of those libraries, so that
// a program that loads it still starts.

#include <windows.h>

namespace {

void LeaveMark(HINSTANCE self)
{
    wchar_t path[MAX_PATH + 8] = {};
    DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    ::lstrcatW(path, L".loaded");
    HANDLE mark = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE)
        ::CloseHandle(mark);
}

} // namespace

// Every export (PlantedLibrary.def): nothing done, 0 returned.
extern "C" INT_PTR PlantedCall()
{
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMark(self);
    return TRUE;
}
