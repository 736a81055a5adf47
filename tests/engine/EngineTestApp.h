#pragma once
// The engine tests' own application object: the worker finds the window it
// answers through CKestrovaApp, which the program defines in its executable.
// Here CKestrovaApp::GetMainDlgWnd gives g_engineTestMainWnd.

class CWnd;

extern CWnd* g_engineTestMainWnd;
