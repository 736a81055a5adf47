#include "AfxResource.h"

static HINSTANCE g_resources = nullptr;

HINSTANCE AfxGetResourceHandle()
{
    return g_resources ? g_resources : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE resources)
{
    g_resources = resources;
}

HINSTANCE AfxGetInstanceHandle()
{
    return ::GetModuleHandleW(nullptr);
}
