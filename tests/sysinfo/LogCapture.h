#pragma once
// Collects the debug messages (DebugPrint reaches the trace) while it lives.

#include <string>

#include "Trace.h"

class LogCapture {
public:
    LogCapture()
    {
        Store().clear();
        AfxSetTraceSink(&Collect);
    }
    ~LogCapture() { AfxSetTraceSink(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::wstring& Text() const { return Store(); }
    bool Has(const std::wstring& line) const { return Text().find(line) != std::wstring::npos; }
    void Clear() { Store().clear(); }
    // How often a text occurs.
    int Count(const std::wstring& what) const
    {
        int n = 0;
        for (size_t at = Text().find(what); at != std::wstring::npos; at = Text().find(what, at + what.size()))
            ++n;
        return n;
    }

private:
    static std::wstring& Store()
    {
        static std::wstring text;
        return text;
    }
    static void Collect(LPCWSTR text) { Store() += text; }
};
