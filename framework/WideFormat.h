#pragma once
// The one place where wide text is formatted. Every wide format of the program
// (CString::Format, DebugPrint, Logger::Log, TRACE) comes through here so that
// the conversions keep their Windows meaning: %s is a wide string, %S a narrow
// one, %c a wide character, %I64u / %I64x a 64-bit integer. libstdc++'s
// swprintf family follows C99 instead (%s narrow), so it must not be used.

#include <cstdarg>
#include <cstddef>

// Formats into buffer (capacity in code units, terminator included). A text
// that does not fit is cut to capacity - 1 units; the buffer always ends in a
// terminator. Returns the length written, or -1 when the text was cut (or the
// buffer was unusable).
int FormatWideV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args);
int FormatWide(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);

// The length the finished text would have, without its terminator.
int MeasureWideV(const wchar_t* format, va_list args);
