#include "EngineWait.h"

namespace {
volatile LONG g_waitScale = 1000;
}

void EngineWait(DWORD milliseconds)
{
    ULONGLONG scaled = static_cast<ULONGLONG>(milliseconds) * static_cast<ULONG>(g_waitScale) / 1000;
    ::Sleep(static_cast<DWORD>(scaled));
}

void SetEngineWaitScale(UINT perMille)
{
    ::InterlockedExchange(&g_waitScale, static_cast<LONG>(perMille));
}

UINT GetEngineWaitScale()
{
    return static_cast<UINT>(g_waitScale);
}
