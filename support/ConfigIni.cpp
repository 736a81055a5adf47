#include "ConfigIni.h"

#include "FileUtil.h"

CIniFile* g_pConfigIni = nullptr;

bool ConfigIni::Load()
{
    if (g_pConfigIni == nullptr)
        g_pConfigIni = new CIniFile(CString(L""));
    CString path;
    GetModuleDir(path);
    path += L"config.ini";
    // The program only reads the file, but a read-only copy (from a CD or an
    // archive) is made writable so that it behaves like any other.
    ClearReadOnlyAttribute(path);
    g_pConfigIni->SetPath(path);
    return g_pConfigIni->Read();
}

void ConfigIni::Release()
{
    if (g_pConfigIni == nullptr)
        return;
    g_pConfigIni->Reset();
    delete g_pConfigIni;
    g_pConfigIni = nullptr;
}
