#include "CString.h"

#include "AfxResource.h"

#include <cassert>
#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "WideFormat.h"

namespace {

const wchar_t kWhiteSpace[] = L" \t\r\n\v\f";

std::wstring FromAnsi(const char* text)
{
    if (text == nullptr || *text == '\0')
        return std::wstring();
    int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

} // namespace

CString::CString(LPCWSTR text) : m_text(text != nullptr ? text : L"") {}

CString::CString(LPCWSTR text, int length)
{
    if (text != nullptr && length > 0)
        m_text.assign(text, static_cast<size_t>(length));
}

CString::CString(const char* text) : m_text(FromAnsi(text)) {}

CString::CString(wchar_t ch, int repeat)
{
    if (repeat > 0)
        m_text.assign(static_cast<size_t>(repeat), ch);
}

CString& CString::operator=(LPCWSTR text)
{
    m_text = text != nullptr ? text : L"";
    return *this;
}

CString& CString::operator=(const char* text)
{
    m_text = FromAnsi(text);
    return *this;
}

CString& CString::operator=(wchar_t ch)
{
    m_text.assign(1, ch);
    return *this;
}

wchar_t CString::GetAt(int index) const noexcept
{
    bool valid = index >= 0 && index <= GetLength();
    assert(valid && "CString::GetAt: index out of range");
    return valid ? m_text.c_str()[index] : L'\0';
}

void CString::SetAt(int index, wchar_t ch) noexcept
{
    bool valid = index >= 0 && index < GetLength();
    assert(valid && "CString::SetAt: index out of range");
    if (valid)
        m_text[static_cast<size_t>(index)] = ch;
}

void CString::Format(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(LPCWSTR format, va_list args)
{
    // Formatted apart first: the format or an argument may be this string's
    // own text, which must stay readable until the new text is finished.
    CString result;
    result.AppendFormatV(format, args);
    m_text.swap(result.m_text);
}

void CString::AppendFormat(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CString::AppendFormatV(LPCWSTR format, va_list args)
{
    int length = MeasureWideV(format, args);
    if (length <= 0)
        return;
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int written = FormatWideV(buffer.data(), buffer.size(), format, args);
    if (written > 0)
        m_text.append(buffer.data(), static_cast<size_t>(written));
}

int CString::Find(wchar_t ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    size_t pos = m_text.find(ch, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCWSTR sub, int start) const
{
    if (sub == nullptr || start < 0 || start > GetLength())
        return -1;
    size_t pos = m_text.find(sub, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const
{
    size_t pos = m_text.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(LPCWSTR chars) const
{
    if (chars == nullptr)
        return -1;
    size_t pos = m_text.find_first_of(chars);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    first = Clamp(first, 0, GetLength());
    count = Clamp(count, 0, GetLength() - first);
    return CString(m_text.c_str() + first, count);
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Right(int count) const
{
    count = Clamp(count, 0, GetLength());
    return Mid(GetLength() - count, count);
}

CString& CString::MakeLower()
{
    if (!m_text.empty())
        ::CharLowerBuffW(&m_text[0], static_cast<DWORD>(m_text.size()));
    return *this;
}

CString& CString::MakeUpper()
{
    if (!m_text.empty())
        ::CharUpperBuffW(&m_text[0], static_cast<DWORD>(m_text.size()));
    return *this;
}

CString& CString::MakeReverse()
{
    m_text.assign(m_text.rbegin(), m_text.rend());
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(wchar_t target)
{
    return TrimRight(target).TrimLeft(target);
}

CString& CString::Trim(LPCWSTR targets)
{
    return TrimRight(targets).TrimLeft(targets);
}

CString& CString::TrimLeft()
{
    return TrimLeft(kWhiteSpace);
}

CString& CString::TrimLeft(wchar_t target)
{
    wchar_t targets[2] = {target, L'\0'};
    return TrimLeft(targets);
}

CString& CString::TrimLeft(LPCWSTR targets)
{
    if (targets == nullptr || *targets == L'\0')
        return *this;
    size_t pos = m_text.find_first_not_of(targets);
    m_text.erase(0, pos == std::wstring::npos ? m_text.size() : pos);
    return *this;
}

CString& CString::TrimRight()
{
    return TrimRight(kWhiteSpace);
}

CString& CString::TrimRight(wchar_t target)
{
    wchar_t targets[2] = {target, L'\0'};
    return TrimRight(targets);
}

CString& CString::TrimRight(LPCWSTR targets)
{
    if (targets == nullptr || *targets == L'\0')
        return *this;
    size_t pos = m_text.find_last_not_of(targets);
    m_text.erase(pos == std::wstring::npos ? 0 : pos + 1);
    return *this;
}

int CString::Replace(wchar_t oldCh, wchar_t newCh)
{
    int count = 0;
    for (wchar_t& ch : m_text) {
        if (ch == oldCh) {
            ch = newCh;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCWSTR oldText, LPCWSTR newText)
{
    if (oldText == nullptr || *oldText == L'\0')
        return 0;
    std::wstring from(oldText);
    std::wstring to(newText != nullptr ? newText : L"");
    int count = 0;
    for (size_t pos = m_text.find(from); pos != std::wstring::npos; pos = m_text.find(from, pos + to.size())) {
        m_text.replace(pos, from.size(), to);
        ++count;
    }
    return count;
}

int CString::Remove(wchar_t ch)
{
    size_t before = m_text.size();
    std::wstring kept;
    kept.reserve(before);
    for (wchar_t c : m_text) {
        if (c != ch)
            kept.push_back(c);
    }
    m_text.swap(kept);
    return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, wchar_t ch)
{
    wchar_t text[2] = {ch, L'\0'};
    return Insert(index, text);
}

int CString::Insert(int index, LPCWSTR text)
{
    index = Clamp(index, 0, GetLength());
    if (text != nullptr)
        m_text.insert(static_cast<size_t>(index), text);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index >= 0 && index < GetLength() && count > 0)
        m_text.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

LPWSTR CString::GetBuffer(int minLength)
{
    size_t wanted = static_cast<size_t>(minLength > GetLength() ? minLength : GetLength());
    // One more unit than asked for holds the terminator a caller may write.
    m_text.resize(wanted + 1, L'\0');
    m_text.back() = L'\0';
    return &m_text[0];
}

LPWSTR CString::GetBufferSetLength(int length)
{
    m_text.resize(static_cast<size_t>(length < 0 ? 0 : length), L'\0');
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength)
{
    size_t limit = m_text.size();
    size_t length = newLength < 0 ? wcsnlen(m_text.c_str(), limit) : static_cast<size_t>(newLength);
    if (length > limit)
        length = limit;
    m_text.resize(length);
}

int CString::Compare(LPCWSTR text) const
{
    return wcscmp(m_text.c_str(), text != nullptr ? text : L"");
}

int CString::CompareNoCase(LPCWSTR text) const
{
    return _wcsicmp(m_text.c_str(), text != nullptr ? text : L"");
}

CString& CString::operator+=(const CString& text)
{
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(LPCWSTR text)
{
    if (text != nullptr)
        m_text += text;
    return *this;
}

CString& CString::operator+=(wchar_t ch)
{
    m_text += ch;
    return *this;
}

CString& CString::Append(LPCWSTR text, int length)
{
    if (text != nullptr && length > 0)
        m_text.append(text, static_cast<size_t>(length));
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, LPCWSTR b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(LPCWSTR a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, wchar_t b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(wchar_t a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

BOOL CString::LoadString(UINT id)
{
    wchar_t buffer[4096] = {};
    int length = ::LoadStringW(AfxGetResourceHandle(), id, buffer, 4096);
    m_text.assign(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    return length > 0;
}
