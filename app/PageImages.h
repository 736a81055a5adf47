#pragma once
// The pictures every page of the main window loads the same way: its icons
// and its background bitmap come from files in .\res\ beside the program, and
// the background is stretched over the whole page when it paints. Free
// functions over the page's own members, so each page still owns and frees
// what it loaded.

#include "Afx.h"

#include <initializer_list>

// Loads the icon file at `path`; when it is missing or unreadable, logs
// `failure` (a format taking the error number) and returns nullptr.
HICON LoadPageIcon(LPCWSTR path, LPCWSTR failure);

// Loads the bitmap file at `path` and, when it loads, attaches it to `bitmap`
// and reads its size into `info`. Returns the loaded handle or nullptr.
HBITMAP LoadPageBackground(LPCWSTR path, CBitmap& bitmap, BITMAP& info);

// Destroys each loaded icon (icons are USER objects: DestroyIcon frees them,
// DeleteObject would not) and clears its handle.
void FreePageIcons(std::initializer_list<HICON*> icons);

// Deletes the background loaded by LoadPageBackground and clears `handle`.
void FreePageBackground(CBitmap& bitmap, HBITMAP& handle);

// Stretches `bitmap`, whose size `info` holds, over the client area of `page`.
void PaintPageBackground(CWnd& page, CDC& dc, CBitmap& bitmap, const BITMAP& info);
