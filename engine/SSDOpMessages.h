#pragma once
// The messages between the main window and the worker thread (CSSDOpThread).
//
// Requests are thread messages posted to the worker (lParam 0); answers are
// window messages to the main window, all posted except
// WM_SSDOP_DEVICE_LIST_READY, which the scan sends.
//
// Ownership of what an answer carries:
// - WM_SSDOP_INFO_MESSAGE: lParam is a heap copy of the text (at most 1023
//   characters and its NUL), made for that one message, so a status text
//   followed at once by a result text never shows one text twice. The
//   receiver frees it with SSDOpFreeText once it has read it; when the post
//   fails the worker frees it itself.
// - WM_SSDOP_FLASH_ID: wParam is an 8-byte heap block; the receiver frees it
//   with SSDOpFreeBlock.

#include <windows.h>

// Requests (thread messages to the worker).
#define WM_SSDOP_QUIT (WM_USER + 256)
#define WM_SSDOP_REFRESH_DEVICE (WM_USER + 257)
#define WM_SSDOP_UPDATE_FW (WM_USER + 258)        // wParam: wide path of an image file or folder
#define WM_SSDOP_LOW_LEVEL_FORMAT (WM_USER + 259) // wParam: wide folder path
#define WM_SSDOP_DUMP_DEBUG_INFO (WM_USER + 260)  // wParam: wide folder path
#define WM_SSDOP_SELECT_DEVICE (WM_USER + 261)    // wParam: index into the drive list
#define WM_SSDOP_READ_SMART (WM_USER + 262)
#define WM_SSDOP_GET_WRITE_CACHE (WM_USER + 263)
#define WM_SSDOP_SET_WRITE_CACHE (WM_USER + 264)
#define WM_SSDOP_FORMAT_NAND (WM_USER + 265) // wParam ignored
#define WM_SSDOP_READ_FLASH_ID (WM_USER + 272)
#define WM_SSDOP_SWITCH_SPEED (WM_USER + 773) // the window calls the handler directly

// Answers (window messages to the main window).
#define WM_SSDOP_DEVICE_UPDATED (WM_USER + 512)
#define WM_SSDOP_DEVICE_LIST_READY (WM_USER + 515) // sent, not posted
#define WM_SSDOP_INFO_MESSAGE (WM_USER + 516)      // wParam INFO_KIND_*, lParam heap text (SSDOpFreeText)
#define WM_SSDOP_PROGRESS (WM_USER + 517)          // wParam percent
#define WM_SSDOP_SMART_UPDATED (WM_USER + 518)
#define WM_SSDOP_WRITE_CACHE_STATE (WM_USER + 519) // wParam state (0 off, non-zero on)
#define WM_SSDOP_FLASH_ID (WM_USER + 520)          // wParam 8-byte heap block (SSDOpFreeBlock)

// wParam of WM_SSDOP_INFO_MESSAGE.
#define INFO_KIND_STATUS 0 // shown while an operation runs
#define INFO_KIND_RESULT 1 // the operation's final text

// The text of a WM_SSDOP_INFO_MESSAGE, and a heap copy of a text or a block,
// all from the process heap so that any module of the program may free them.
inline LPCWSTR SSDOpMessageText(LPARAM lParam)
{
    return reinterpret_cast<LPCWSTR>(lParam);
}
inline void SSDOpFreeText(LPARAM lParam)
{
    if (lParam)
        ::HeapFree(::GetProcessHeap(), 0, reinterpret_cast<void*>(lParam));
}
inline void SSDOpFreeBlock(WPARAM wParam)
{
    if (wParam)
        ::HeapFree(::GetProcessHeap(), 0, reinterpret_cast<void*>(wParam));
}
// A copy the receiver frees with SSDOpFreeText / SSDOpFreeBlock; NULL when
// no memory could be had.
inline void* SSDOpCopyBlock(const void* data, SIZE_T length)
{
    void* copy = ::HeapAlloc(::GetProcessHeap(), 0, length ? length : 1);
    if (copy && length)
        ::CopyMemory(copy, data, length);
    return copy;
}
