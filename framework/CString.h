#pragma once
// Wide (UTF-16) string in the manner of the application framework's CString.

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(LPCWSTR text);
    CString(LPCWSTR text, int length);
    CString(const char* text); // narrow text in the ANSI code page
    CString(wchar_t ch, int repeat = 1);

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCWSTR text);
    CString& operator=(const char* text);
    CString& operator=(wchar_t ch);

    operator LPCWSTR() const { return m_text.c_str(); }
    LPCWSTR GetString() const { return m_text.c_str(); }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    BOOL IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    // A bad index is the caller's fault: it asserts in a debug build and never
    // throws, since these run inside window procedures where an exception
    // cannot cross the platform's frames. In a release build GetAt gives 0
    // (as at the terminator, index GetLength(), which it may read) and SetAt
    // leaves the text unchanged.
    wchar_t GetAt(int index) const noexcept;
    void SetAt(int index, wchar_t ch) noexcept;
    wchar_t operator[](int index) const noexcept { return GetAt(index); }

    // Windows format meaning: %s wide, %S narrow (see WideFormat.h).
    void Format(LPCWSTR format, ...);
    void FormatV(LPCWSTR format, va_list args);
    void AppendFormat(LPCWSTR format, ...);
    void AppendFormatV(LPCWSTR format, va_list args);

    int Find(wchar_t ch, int start = 0) const;
    int Find(LPCWSTR sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int FindOneOf(LPCWSTR chars) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    CString& MakeLower();
    CString& MakeUpper();
    CString& MakeReverse();
    CString& Trim();
    CString& Trim(wchar_t target);
    CString& Trim(LPCWSTR targets);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t target);
    CString& TrimLeft(LPCWSTR targets);
    CString& TrimRight();
    CString& TrimRight(wchar_t target);
    CString& TrimRight(LPCWSTR targets);

    int Replace(wchar_t oldCh, wchar_t newCh);
    int Replace(LPCWSTR oldText, LPCWSTR newText);
    int Remove(wchar_t ch);
    int Insert(int index, wchar_t ch);
    int Insert(int index, LPCWSTR text);
    int Delete(int index, int count = 1);

    // The string resource of the resource module; FALSE (and empty) when absent.
    BOOL LoadString(UINT id);

    // Writable buffer of at least minLength units plus a terminator; the length
    // is settled again by ReleaseBuffer (-1: up to the first terminator).
    LPWSTR GetBuffer(int minLength);
    LPWSTR GetBuffer() { return GetBuffer(GetLength()); }
    LPWSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    int Compare(LPCWSTR text) const;
    int CompareNoCase(LPCWSTR text) const;

    CString& operator+=(const CString& text);
    CString& operator+=(LPCWSTR text);
    CString& operator+=(wchar_t ch);
    CString& Append(LPCWSTR text, int length);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCWSTR b);
    friend CString operator+(LPCWSTR a, const CString& b);
    friend CString operator+(const CString& a, wchar_t b);
    friend CString operator+(wchar_t a, const CString& b);

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator==(LPCWSTR a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
    friend bool operator!=(LPCWSTR a, const CString& b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }

private:
    std::wstring m_text;
};
