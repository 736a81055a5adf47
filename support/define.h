#pragma once
// The program's debug messages: DebugPrint sends every message to the
// debugger output and, while the debug log is on, appends it to the log file.

#include <windows.h>

// "DEBUG_MODE" of "config.ini" as read at start-up; non-zero: the log is on.
extern int g_debugMode;

// Formats like wprintf with the Windows meaning (%s wide, %S narrow, %c wide).
// A finished text longer than 1022 code units is cut to that length.
void DebugPrint(const wchar_t* format, ...);

// Reads the log switch from the loaded configuration and, when it is on,
// creates "Kestrova_YYYYMMDDhhmmss.debug" in the executable's folder.
void InitDebugLog();

// Closes the log file; later messages reach the debugger output only.
void CloseDebugLog();

#include "CString.h"

// One field of the NVMe SMART / Health Information log page.
struct NvmeHealthField {
    int id;
    int offset; // byte offset in the log page
    int length; // bytes
    CString name;
};

#define NVME_HEALTH_FIELD_COUNT 32

// The fields of the health log page, ended by a row with id -1.
extern NvmeHealthField NvmeHealthFieldTable[NVME_HEALTH_FIELD_COUNT];
