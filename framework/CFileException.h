#pragma once
// Thrown (as a pointer, the framework's way) by CFile operations that fail;
// the catcher calls Delete().

#include <windows.h>

#include "CString.h"

class CFileException {
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    CFileException(int cause = none, LONG osError = 0, LPCWSTR fileName = nullptr)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
    {
    }

    // Maps a Win32 error code to a cause.
    static int OsErrorToException(LONG osError);
    static void ThrowOsError(LONG osError, LPCWSTR fileName = nullptr);

    void Delete() { delete this; }

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};
