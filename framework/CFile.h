#pragma once
// Binary file over a Win32 handle, in the manner of the framework's CFile.
// Open reports failure through its result; Read, Write, Seek and the status
// setter throw CFileException* on failure.

#include <windows.h>

#include "CFileException.h"
#include "CString.h"
#include "CTime.h"

struct CFileStatus {
    CTime m_ctime; // creation
    CTime m_mtime; // last modification
    CTime m_atime; // last access
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0; // low byte of the file attributes
    WCHAR m_szFullName[MAX_PATH] = {};
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };
    enum Attribute : BYTE {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20,
    };

    CFile() = default;
    CFile(LPCWSTR fileName, UINT openFlags); // throws CFileException* on failure
    virtual ~CFile();

    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr);
    virtual void Close();
    virtual void Abort(); // closes without throwing

    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    virtual void Flush();
    CString GetFilePath() const { return m_strFileName; }

    static BOOL GetStatus(LPCWSTR fileName, CFileStatus& status);
    static void SetStatus(LPCWSTR fileName, const CFileStatus& status);

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

private:
    CString m_strFileName;
};
