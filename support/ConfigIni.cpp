#include "ConfigIni.h"

#include "CFile.h"
#include "FileUtil.h"

CIniFile* g_pConfigIni = nullptr;

namespace {

// The program only reads the file, but a read-only copy (from a CD or an
// archive) is made writable so that it behaves like any other.
void ClearReadOnly(const CString& path)
{
    CFileStatus status;
    if (!CFile::GetStatus(path, status) || (status.m_attribute & CFile::readOnly) == 0)
        return;
    status.m_attribute &= static_cast<BYTE>(~CFile::readOnly);
    try {
        CFile::SetStatus(path, status);
    } catch (CFileException* e) {
        e->Delete();
    }
}

} // namespace

bool ConfigIni::Load()
{
    if (g_pConfigIni == nullptr)
        g_pConfigIni = new CIniFile(CString(L""));
    CString path;
    GetModuleDir(path);
    path += L"config.ini";
    ClearReadOnly(path);
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
