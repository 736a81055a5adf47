#pragma once
// Calendar time as seconds since 1970 (UTC), as the framework keeps it.

#include <windows.h>

#include <ctime>

class CTime {
public:
    CTime() = default;
    explicit CTime(__time64_t time) : m_time(time) {}
    explicit CTime(const FILETIME& fileTime);

    static CTime GetCurrentTime();

    __time64_t GetTime() const { return m_time; }
    // FILETIME of this time; a zero time gives a zero FILETIME.
    FILETIME ToFileTime() const;

private:
    __time64_t m_time = 0;
};
