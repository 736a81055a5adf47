#pragma once
// Where templates, strings and cursors are loaded from: the executable unless
// the program says otherwise.

#include <windows.h>

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resources);
HINSTANCE AfxGetInstanceHandle();
