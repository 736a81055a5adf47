// The program's entry point, linked into the executable itself (an object
// library): a static library's WinMain would not be found by the runtime's
// start-up code.

#include "CWinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int cmdShow)
{
    return AfxWinMain(instance, previous, ::GetCommandLineW(), cmdShow);
}
