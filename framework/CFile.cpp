#include "CFile.h"

namespace {

DWORD AccessOf(UINT flags)
{
    switch (flags & 3) {
    case CFile::modeWrite:
        return GENERIC_WRITE;
    case CFile::modeReadWrite:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

DWORD ShareOf(UINT flags)
{
    switch (flags & 0x70) {
    case CFile::shareDenyWrite:
        return FILE_SHARE_READ;
    case CFile::shareDenyRead:
        return FILE_SHARE_WRITE;
    case CFile::shareDenyNone:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
        return 0;
    }
}

DWORD DispositionOf(UINT flags)
{
    if (flags & CFile::modeCreate)
        return (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    return OPEN_EXISTING;
}

} // namespace

CFile::CFile(LPCWSTR fileName, UINT openFlags)
{
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        throw new CFileException(error);
}

CFile::~CFile()
{
    Abort();
}

BOOL CFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error)
{
    Abort();
    m_strFileName = fileName;
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, (openFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE file = ::CreateFileW(fileName, AccessOf(openFlags), ShareOf(openFlags), &security, DispositionOf(openFlags),
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (error != nullptr) {
            LONG code = static_cast<LONG>(::GetLastError());
            *error = CFileException(CFileException::OsErrorToException(code), code, fileName);
        }
        return FALSE;
    }
    m_hFile = file;
    return TRUE;
}

void CFile::Close()
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    BOOL closed = ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (!closed)
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
}

void CFile::Abort()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (count == 0)
        return 0;
    DWORD read = 0;
    if (!::ReadFile(m_hFile, buffer, count, &read, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    return read;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    DWORD written = 0;
    if (!::WriteFile(m_hFile, buffer, count, &written, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    if (written != count)
        throw new CFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(m_hFile, distance, &position, from))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::Flush()
{
    if (m_hFile != INVALID_HANDLE_VALUE && !::FlushFileBuffers(m_hFile))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
}

BOOL CFile::GetStatus(LPCWSTR fileName, CFileStatus& status)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (fileName == nullptr || !::GetFileAttributesExW(fileName, GetFileExInfoStandard, &data)) {
        status = CFileStatus();
        return FALSE;
    }
    status.m_ctime = CTime(data.ftCreationTime);
    status.m_atime = CTime(data.ftLastAccessTime);
    status.m_mtime = CTime(data.ftLastWriteTime);
    status.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.m_attribute = static_cast<BYTE>(data.dwFileAttributes);
    if (::GetFullPathNameW(fileName, MAX_PATH, status.m_szFullName, nullptr) >= MAX_PATH)
        status.m_szFullName[0] = L'\0';
    return TRUE;
}

void CFile::SetStatus(LPCWSTR fileName, const CFileStatus& status)
{
    DWORD attributes = ::GetFileAttributesW(fileName);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), fileName);

    // Times first: a read-only file can no longer have its times changed.
    if (status.m_mtime.GetTime() != 0 || status.m_atime.GetTime() != 0 || status.m_ctime.GetTime() != 0) {
        HANDLE file = ::CreateFileW(fileName, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            FILETIME created = status.m_ctime.ToFileTime();
            FILETIME accessed = status.m_atime.ToFileTime();
            FILETIME modified = status.m_mtime.ToFileTime();
            ::SetFileTime(file, status.m_ctime.GetTime() ? &created : nullptr,
                          status.m_atime.GetTime() ? &accessed : nullptr,
                          status.m_mtime.GetTime() ? &modified : nullptr);
            ::CloseHandle(file);
        }
    }

    // The low byte carries the settable attributes; the rest stays as it is.
    DWORD wanted = (attributes & ~0xFFu) | (status.m_attribute & ~static_cast<DWORD>(directory | volume));
    wanted |= attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (wanted != attributes && !::SetFileAttributesW(fileName, wanted))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), fileName);
}
