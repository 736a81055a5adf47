#pragma once
// Message boxes owned by the active window, captioned with the program's name.

#include <windows.h>

int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = 0);

// The program's name: the executable's base name unless the application sets it.
LPCWSTR AfxGetAppName();
void AfxSetAppName(LPCWSTR name);
