#pragma once
// Collects the debugger output while it lives.

#include <string>

#include "Trace.h"

class TraceCapture {
public:
    TraceCapture()
    {
        Text().clear();
        AfxSetTraceSink(&Collect);
    }
    ~TraceCapture() { AfxSetTraceSink(nullptr); }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    const std::wstring& Captured() const { return Text(); }

private:
    static std::wstring& Text()
    {
        static std::wstring text;
        return text;
    }
    static void Collect(LPCWSTR text) { Text() += text; }
};
