#include "CTime.h"

namespace {
// 100-ns intervals between 1601-01-01 and 1970-01-01.
const ULONGLONG kUnixEpochInFileTime = 116444736000000000ULL;
const ULONGLONG kIntervalsPerSecond = 10000000ULL;
} // namespace

CTime::CTime(const FILETIME& fileTime)
{
    ULARGE_INTEGER value;
    value.LowPart = fileTime.dwLowDateTime;
    value.HighPart = fileTime.dwHighDateTime;
    if (value.QuadPart >= kUnixEpochInFileTime)
        m_time = static_cast<__time64_t>((value.QuadPart - kUnixEpochInFileTime) / kIntervalsPerSecond);
}

CTime CTime::GetCurrentTime()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return CTime(now);
}

FILETIME CTime::ToFileTime() const
{
    ULARGE_INTEGER value;
    value.QuadPart = m_time == 0 ? 0 : static_cast<ULONGLONG>(m_time) * kIntervalsPerSecond + kUnixEpochInFileTime;
    FILETIME fileTime;
    fileTime.dwLowDateTime = value.LowPart;
    fileTime.dwHighDateTime = value.HighPart;
    return fileTime;
}
