#pragma once
// Temporary wrappers (CWnd, CDC, CGdiObject FromHandle) live until the
// thread's message loop is idle outside every window procedure.

void AfxDeleteTempMaps();
// How many window-procedure calls of framework windows are in progress on this thread.
int AfxWndProcDepth();
