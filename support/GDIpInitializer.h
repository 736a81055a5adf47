#pragma once
// Starts GDI+ once per process and shuts it down when the last start is
// matched. The instance that started it is marked process-wide by a named
// file mapping; a process-wide count holds the starts not yet matched.

#include <windows.h>

#include <gdiplus.h>

class CGDIpInitializer {
public:
    // startNow: start here and stop in the destructor.
    explicit CGDIpInitializer(bool startNow);
    virtual ~CGDIpInitializer();
    CGDIpInitializer(const CGDIpInitializer&) = delete;
    CGDIpInitializer& operator=(const CGDIpInitializer&) = delete;

    void Initialize();
    void Deinitialize();

private:
    HANDLE m_hMapping;
    bool m_bStarted;
    bool m_bStartInCtor;
    ULONG_PTR m_token;
    Gdiplus::GdiplusStartupInput m_input;
};
