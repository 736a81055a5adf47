#include "Trace.h"

#include <cstdarg>

#include "WideFormat.h"

namespace {
TraceSink g_traceSink = nullptr;
}

void AfxSetTraceSink(TraceSink sink)
{
    g_traceSink = sink;
}

void AfxTraceText(LPCWSTR text)
{
    if (text == nullptr)
        return;
    if (g_traceSink != nullptr)
        g_traceSink(text);
    else
        ::OutputDebugStringW(text);
}

void AfxTrace(LPCWSTR format, ...)
{
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    FormatWideV(line, sizeof(line) / sizeof(line[0]), format, args);
    va_end(args);
    AfxTraceText(line);
}
