// A library built beside the entry test program under a name no system
// library has: found only where the search includes the program's folder.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
