#include "helm/afx/CString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "resource_chain.h"

namespace {

constexpr const char* blanks = " \t\r\n\v\f";

char ascii_upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char ascii_lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

LPCSTR safe(LPCSTR text)
{
    return text ? text : "";
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

bool is_integer_conversion(char c)
{
    return std::strchr("diouxXc", c) != nullptr;
}

bool is_float_conversion(char c)
{
    return std::strchr("feEgGaA", c) != nullptr;
}

}  // namespace

namespace helm::afx {

std::string windows_format_to_native(std::string_view format)
{
    std::string out;
    out.reserve(format.size() + 8);
    size_t i = 0;
    while (i < format.size()) {
        char c = format[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        size_t start = i++;
        if (i < format.size() && format[i] == '%') {
            out += "%%";
            ++i;
            continue;
        }
        // Flags, width and precision pass as they stand.
        while (i < format.size() && std::strchr("-+ #0123456789.*", format[i]))
            ++i;
        std::string head(format.substr(start, i - start));
        // The size prefix in its Windows meaning.
        std::string size;
        bool was_long = false;
        bool long_double = false;
        if (format.compare(i, 3, "I64") == 0) {
            size = "ll";
            i += 3;
        } else if (format.compare(i, 3, "I32") == 0) {
            i += 3;
        } else if (i < format.size() && format[i] == 'I') {
            size = "z";
            ++i;
        } else if (format.compare(i, 2, "ll") == 0) {
            size = "ll";
            i += 2;
        } else if (format.compare(i, 2, "hh") == 0) {
            size = "hh";
            i += 2;
        } else if (i < format.size() && format[i] == 'l') {
            was_long = true;
            ++i;
        } else if (i < format.size() && format[i] == 'h') {
            size = "h";
            ++i;
        } else if (i < format.size() && format[i] == 'L') {
            long_double = true;
            ++i;
        }
        if (i >= format.size()) {
            // A lone '%' at the end prints nothing, as the C library does.
            break;
        }
        char conversion = format[i++];
        if (conversion == 'n')
            continue;  // never lets a format write into memory
        if (!std::strchr("diouxXcsfeEgGaAp", conversion)) {
            // Not a conversion of the C library (a wide string, a typo):
            // printed as it stands rather than left to undefined behaviour.
            out += "%%";
            out.append(format.substr(start + 1, i - start - 1));
            continue;
        }
        if (was_long && !is_integer_conversion(conversion))
            size = "l";
        if (long_double && !is_float_conversion(conversion))
            size = "ll";
        out += head;
        out += size;
        out.push_back(conversion);
    }
    return out;
}

std::string format_windows(const char* format, va_list args)
{
    std::string native = windows_format_to_native(safe(format));
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int length = std::vsnprintf(small, sizeof small, native.c_str(), copy);
    va_end(copy);
    if (length < 0)
        return {};
    if (static_cast<size_t>(length) < sizeof small)
        return std::string(small, static_cast<size_t>(length));
    std::string out(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), native.c_str(), args);
    out.resize(static_cast<size_t>(length));
    return out;
}

}  // namespace helm::afx

CString::CString(LPCSTR text)
{
    if (text && IS_INTRESOURCE(text))
        LoadString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)));
    else
        m_data = safe(text);
}

CString::CString(LPCSTR text, int length)
{
    if (text && length > 0)
        m_data.assign(text, strnlen(text, static_cast<size_t>(length)));
}

CString::CString(char ch, int repeat)
{
    if (repeat > 0)
        m_data.assign(static_cast<size_t>(repeat), ch);
}

CString& CString::operator=(LPCSTR text)
{
    m_data = safe(text);
    return *this;
}

CString& CString::operator=(char ch)
{
    m_data.assign(1, ch);
    return *this;
}

char CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        return 0;
    return m_data[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch)
{
    if (index >= 0 && index < GetLength())
        m_data[static_cast<size_t>(index)] = ch;
}

CString& CString::operator+=(const CString& text)
{
    m_data += text.m_data;
    return *this;
}

CString& CString::operator+=(LPCSTR text)
{
    m_data += safe(text);
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_data.push_back(ch);
    return *this;
}

void CString::Append(LPCSTR text)
{
    m_data += safe(text);
}

void CString::Append(LPCSTR text, int length)
{
    if (text && length > 0)
        m_data.append(text, strnlen(text, static_cast<size_t>(length)));
}

int CString::Compare(LPCSTR text) const
{
    return sign(std::strcmp(m_data.c_str(), safe(text)));
}

int CString::CompareNoCase(LPCSTR text) const
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_data.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(safe(text));
    for (;; ++a, ++b) {
        int ca = static_cast<unsigned char>(ascii_lower(static_cast<char>(*a)));
        int cb = static_cast<unsigned char>(ascii_lower(static_cast<char>(*b)));
        if (ca != cb || ca == 0)
            return sign(ca - cb);
    }
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(std::string_view(m_data).substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(LPCSTR chars) const
{
    return Left(static_cast<int>(std::strspn(m_data.c_str(), safe(chars))));
}

CString CString::SpanExcluding(LPCSTR chars) const
{
    return Left(static_cast<int>(std::strcspn(m_data.c_str(), safe(chars))));
}

CString CString::Tokenize(LPCSTR delimiters, int& start) const
{
    delimiters = safe(delimiters);
    if (start >= 0 && start < GetLength()) {
        const char* from = m_data.c_str() + start;
        from += std::strspn(from, delimiters);
        if (*from) {
            size_t length = std::strcspn(from, delimiters);
            int offset = static_cast<int>(from - m_data.c_str());
            start = offset + static_cast<int>(length) + 1;
            return Mid(offset, static_cast<int>(length));
        }
    }
    start = -1;
    return CString();
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    size_t at = m_data.find(ch, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCSTR text, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    size_t at = m_data.find(safe(text), static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const
{
    size_t at = m_data.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(LPCSTR chars) const
{
    size_t at = m_data.find_first_of(safe(chars));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString& CString::MakeUpper()
{
    for (char& c : m_data)
        c = ascii_upper(c);
    return *this;
}

CString& CString::MakeLower()
{
    for (char& c : m_data)
        c = ascii_lower(c);
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_data.begin(), m_data.end());
    return *this;
}

int CString::Replace(char from, char to)
{
    int count = 0;
    for (char& c : m_data) {
        if (c == from) {
            c = to;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCSTR from, LPCSTR to)
{
    std::string_view old_text = safe(from);
    std::string_view new_text = safe(to);
    if (old_text.empty())
        return 0;
    std::string out;
    int count = 0;
    size_t at = 0;
    for (;;) {
        size_t next = m_data.find(old_text, at);
        if (next == std::string::npos)
            break;
        out.append(m_data, at, next - at);
        out += new_text;
        at = next + old_text.size();
        ++count;
    }
    if (count) {
        out.append(m_data, at);
        m_data = std::move(out);
    }
    return count;
}

int CString::Remove(char ch)
{
    size_t before = m_data.size();
    std::erase(m_data, ch);
    return static_cast<int>(before - m_data.size());
}

int CString::Insert(int index, char ch)
{
    index = std::clamp(index, 0, GetLength());
    m_data.insert(static_cast<size_t>(index), 1, ch);
    return GetLength();
}

int CString::Insert(int index, LPCSTR text)
{
    index = std::clamp(index, 0, GetLength());
    m_data.insert(static_cast<size_t>(index), safe(text));
    return GetLength();
}

int CString::Delete(int index, int count)
{
    index = std::max(index, 0);
    if (count > 0 && index < GetLength())
        m_data.erase(static_cast<size_t>(index), static_cast<size_t>(std::min(count, GetLength() - index)));
    return GetLength();
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char ch)
{
    return TrimRight(ch).TrimLeft(ch);
}

CString& CString::Trim(LPCSTR chars)
{
    return TrimRight(chars).TrimLeft(chars);
}

CString& CString::TrimLeft()
{
    return TrimLeft(blanks);
}

CString& CString::TrimLeft(char ch)
{
    char set[2] = {ch, 0};
    return TrimLeft(set);
}

CString& CString::TrimLeft(LPCSTR chars)
{
    size_t keep = m_data.find_first_not_of(safe(chars));
    m_data.erase(0, keep == std::string::npos ? m_data.size() : keep);
    return *this;
}

CString& CString::TrimRight()
{
    return TrimRight(blanks);
}

CString& CString::TrimRight(char ch)
{
    char set[2] = {ch, 0};
    return TrimRight(set);
}

CString& CString::TrimRight(LPCSTR chars)
{
    size_t last = m_data.find_last_not_of(safe(chars));
    m_data.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

void CString::format_c(LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(LPCSTR format, va_list args)
{
    m_data = helm::afx::format_windows(format, args);
}

void CString::append_format_c(LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CString::AppendFormatV(LPCSTR format, va_list args)
{
    m_data += helm::afx::format_windows(format, args);
}

BOOL CString::LoadString(UINT id)
{
    return LoadString(helm::afx::find_string_module(id), id);
}

BOOL CString::LoadString(HINSTANCE instance, UINT id)
{
    m_data = helm::afx::load_string(instance, id);
    return !m_data.empty();
}

LPSTR CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_data.resize(static_cast<size_t>(minLength));
    return m_data.data();
}

LPSTR CString::GetBufferSetLength(int length)
{
    m_data.resize(static_cast<size_t>(std::max(length, 0)));
    return m_data.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(strnlen(m_data.c_str(), m_data.size()));
    m_data.resize(static_cast<size_t>(std::min(newLength, GetLength())));
}

void CString::Preallocate(int length)
{
    if (length > 0)
        m_data.reserve(static_cast<size_t>(length));
}

CString operator+(const CString& a, const CString& b)
{
    CString out(a);
    out += b;
    return out;
}

CString operator+(const CString& a, LPCSTR b)
{
    CString out(a);
    out += b;
    return out;
}

CString operator+(LPCSTR a, const CString& b)
{
    CString out(a && IS_INTRESOURCE(a) ? "" : a);
    out += b;
    return out;
}

CString operator+(const CString& a, char b)
{
    CString out(a);
    out += b;
    return out;
}

CString operator+(char a, const CString& b)
{
    CString out(a);
    out += b;
    return out;
}

bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
bool operator!=(LPCSTR a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
bool operator<(const CString& a, LPCSTR b) { return a.Compare(b) < 0; }
bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
