#include "WideFormat.h"

#include <stdio.h>
#include <wchar.h>

// _vsnwprintf and _vscwprintf are msvcrt's own (the C runtime these
// executables link), not the C99 mingw replacements.

int FormatWideV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args)
{
    if (buffer == nullptr || capacity == 0)
        return -1;
    if (format == nullptr) {
        buffer[0] = L'\0';
        return 0;
    }
    va_list copy;
    va_copy(copy, args);
    // msvcrt writes no terminator when the text fills the count exactly and
    // returns -1 when it is longer: keep the last unit for our own terminator.
    int written = ::_vsnwprintf(buffer, capacity - 1, format, copy);
    va_end(copy);
    buffer[capacity - 1] = L'\0';
    if (written < 0) {
        return -1;
    }
    buffer[written] = L'\0';
    return written;
}

int FormatWide(wchar_t* buffer, size_t capacity, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int written = FormatWideV(buffer, capacity, format, args);
    va_end(args);
    return written;
}

int MeasureWideV(const wchar_t* format, va_list args)
{
    if (format == nullptr)
        return 0;
    va_list copy;
    va_copy(copy, args);
    int length = ::_vscwprintf(format, copy);
    va_end(copy);
    return length;
}
