#pragma once
// Bounds on the low-level-format parameters and file images. The
// configuration file is user input: a negative or huge timeout must neither
// overflow the arithmetic that derives poll counts and progress from it nor
// make the worker wait for years, and a file image must fit the controller's
// 32-bit address space before any of it is read.

#include <windows.h>

// Longest wait any timeout of the configuration may ask for: one day.
const int kLlfMaxTimeoutSeconds = 24 * 60 * 60;

// A timeout in seconds within [0, kLlfMaxTimeoutSeconds].
inline int LlfClampSeconds(int seconds)
{
    if (seconds < 0)
        return 0;
    return seconds > kLlfMaxTimeoutSeconds ? kLlfMaxTimeoutSeconds : seconds;
}

// The number of polls, `intervalMs` apart, that fill `timeoutSeconds`:
// computed in 64 bits from the clamped timeout (an interval below 1 ms counts
// as 1 ms), so the result is never negative and always fits an int.
inline int LlfPollCount(int timeoutSeconds, int intervalMs)
{
    LONGLONG interval = intervalMs > 0 ? intervalMs : 1;
    return static_cast<int>(static_cast<LONGLONG>(LlfClampSeconds(timeoutSeconds)) * 1000 / interval);
}

// A size rounded up to whole 512-byte blocks.
inline ULONGLONG LlfRoundToBlocks(ULONGLONG size)
{
    return (size + 511) / 512 * 512;
}

// Whether a file of `size` bytes, rounded to whole blocks, can be placed at
// `address` without running past the end of the controller's address space.
inline bool LlfImageFits(ULONGLONG size, DWORD address)
{
    return size != 0 && LlfRoundToBlocks(size) <= 0x100000000ULL - address;
}
