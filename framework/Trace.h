#pragma once
// Debug trace: text for the debugger output (OutputDebugStringW).
// TRACE formats; AfxTraceText passes its argument through as text, so a "%"
// in it is shown unchanged.

#include <windows.h>

typedef void (*TraceSink)(LPCWSTR text);

void AfxTraceText(LPCWSTR text);
void AfxTrace(LPCWSTR format, ...);

// Tests capture the trace by installing a sink; NULL restores the debugger output.
void AfxSetTraceSink(TraceSink sink);

#define TRACE AfxTrace
