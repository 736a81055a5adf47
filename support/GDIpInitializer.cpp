#include "GDIpInitializer.h"

#include "Trace.h"
#include "WideFormat.h"

namespace {

// Initialize calls not yet matched by Deinitialize, over all instances.
LONG s_startCount = 0;

const size_t kMarkerNameUnits = 1024;

} // namespace

CGDIpInitializer::CGDIpInitializer(bool startNow)
    : m_hMapping(nullptr), m_bStarted(false), m_bStartInCtor(startNow), m_token(0), m_input()
{
    if (startNow)
        Initialize();
}

CGDIpInitializer::~CGDIpInitializer()
{
    if (m_bStartInCtor)
        Deinitialize();
}

void CGDIpInitializer::Initialize()
{
    if (!m_bStarted) {
        wchar_t name[kMarkerNameUnits] = {};
        FormatWide(name, kMarkerNameUnits, L"Vk_Kestrova_GDIPlusInitID=%x", ::GetCurrentProcessId());
        HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0, 4, name);
        if (mapping != nullptr) {
            if (::GetLastError() == ERROR_ALREADY_EXISTS) {
                // Another instance of this process started GDI+ already.
                ::CloseHandle(mapping);
            } else {
                m_hMapping = mapping;
                m_bStarted = true;
                Gdiplus::GdiplusStartup(&m_token, &m_input, nullptr);
                AfxTraceText(L"Inited GDIPlus\n");
            }
        }
    }
    ++s_startCount;
}

void CGDIpInitializer::Deinitialize()
{
    --s_startCount;
    if (m_bStarted && s_startCount == 0) {
        AfxTraceText(L"GDIPlus shutdown\n");
        Gdiplus::GdiplusShutdown(m_token);
        ::CloseHandle(m_hMapping);
        m_hMapping = nullptr;
        m_bStarted = false;
    }
}
