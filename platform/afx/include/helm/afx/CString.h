// CString: the class library's 8-bit string. Bytes are Windows-1252; case
// changes and comparisons without case touch ASCII letters only, as the
// C locale does. A string holds no zero byte of its own: what follows a
// zero written through GetBuffer is cut at ReleaseBuffer.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>
#include <type_traits>

#include "helm/user/winuser.h"

class CString;

namespace helm::afx {
// What a Format argument passes to the C library.
template <class T>
auto format_argument(const T& value)
{
    if constexpr (std::is_same_v<T, CString>) {
        return value.GetString();
    } else if constexpr (std::is_array_v<T>) {
        return static_cast<const std::remove_extent_t<T>*>(value);
    } else {
        static_assert(std::is_trivially_copyable_v<T>, "a class object cannot be a Format argument");
        return value;
    }
}
}  // namespace helm::afx

class CString {
public:
    CString() = default;
    CString(const CString& other) = default;
    CString(CString&& other) noexcept = default;
    // A MAKEINTRESOURCE value loads that string of the resource chain.
    CString(LPCSTR text);
    CString(LPCSTR text, int length);
    CString(char ch, int repeat = 1);
    // Explicit: an implicit one would make every comparison of a
    // string_view with a literal ambiguous beside the operators below.
    explicit CString(std::string_view text) : m_data(text) {}
    ~CString() = default;

    CString& operator=(const CString& other) = default;
    CString& operator=(CString&& other) noexcept = default;
    CString& operator=(LPCSTR text);
    CString& operator=(char ch);

    int GetLength() const { return static_cast<int>(m_data.size()); }
    BOOL IsEmpty() const { return m_data.empty(); }
    void Empty() { m_data.clear(); }

    // Out-of-range indexes read as 0 and write nothing.
    char GetAt(int index) const;
    void SetAt(int index, char ch);
    char operator[](int index) const { return GetAt(index); }
    operator LPCSTR() const { return m_data.c_str(); }
    LPCSTR GetString() const { return m_data.c_str(); }
    const std::string& str() const { return m_data; }

    CString& operator+=(const CString& text);
    CString& operator+=(LPCSTR text);
    CString& operator+=(char ch);
    void Append(LPCSTR text);
    void Append(LPCSTR text, int length);
    void AppendChar(char ch) { m_data.push_back(ch); }

    int Compare(LPCSTR text) const;
    int CompareNoCase(LPCSTR text) const;
    int Collate(LPCSTR text) const { return Compare(text); }
    int CollateNoCase(LPCSTR text) const { return CompareNoCase(text); }

    // Counts and positions are clamped to the string, as the class library
    // does: Mid(-3, 2) is Mid(0, 2), Left(99) the whole string.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(LPCSTR chars) const;
    CString SpanExcluding(LPCSTR chars) const;
    // The next token after `start` delimited by any of `delimiters`;
    // start becomes -1 with an empty result once none is left.
    CString Tokenize(LPCSTR delimiters, int& start) const;

    // -1 when not found. An empty string to find is found at the start.
    int Find(char ch, int start = 0) const;
    int Find(LPCSTR text, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR chars) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    // Returns the number of replacements; an empty `from` replaces nothing.
    int Replace(char from, char to);
    int Replace(LPCSTR from, LPCSTR to);
    int Remove(char ch);
    // An index beyond the end appends. Returns the new length.
    int Insert(int index, char ch);
    int Insert(int index, LPCSTR text);
    int Delete(int index, int count = 1);
    // Blanks are space, tab, CR, LF, vertical tab and form feed.
    CString& Trim();
    CString& Trim(char ch);
    CString& Trim(LPCSTR chars);
    CString& TrimLeft();
    CString& TrimLeft(char ch);
    CString& TrimLeft(LPCSTR chars);
    CString& TrimRight();
    CString& TrimRight(char ch);
    CString& TrimRight(LPCSTR chars);

    // printf in the C locale, with the 32-bit Windows meaning of the size
    // prefixes: "l" with an integer conversion is 32 bits, "I64" and "ll"
    // 64 bits, "I" pointer-sized, "L" with a floating conversion a double.
    // A CString argument stands for its text, as it does on Windows (where
    // the object is a pointer to its characters); an argument of another
    // class type is refused at compile time.
    template <class... Args>
    void Format(LPCSTR format, const Args&... args)
    {
        format_c(format, helm::afx::format_argument(args)...);
    }
    template <class... Args>
    void Format(UINT formatId, const Args&... args)
    {
        CString format;
        format.LoadString(formatId);
        format_c(format.GetString(), helm::afx::format_argument(args)...);
    }
    template <class... Args>
    void AppendFormat(LPCSTR format, const Args&... args)
    {
        append_format_c(format, helm::afx::format_argument(args)...);
    }
    void FormatV(LPCSTR format, va_list args);
    void AppendFormatV(LPCSTR format, va_list args);

    // The string of the resource chain (the host, then each extension
    // library); FALSE and an empty string when no module has it.
    BOOL LoadString(UINT id);
    BOOL LoadString(HINSTANCE instance, UINT id);

    // A writable buffer of at least `minLength` bytes plus a zero.
    LPSTR GetBuffer(int minLength = 0);
    LPSTR GetBufferSetLength(int length);
    // -1: up to the first zero byte; otherwise cut to `newLength`.
    void ReleaseBuffer(int newLength = -1);
    void FreeExtra() { m_data.shrink_to_fit(); }
    void Preallocate(int length);

private:
    void format_c(LPCSTR format, ...);
    void append_format_c(LPCSTR format, ...);

    std::string m_data;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCSTR b);
bool operator==(LPCSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCSTR b);
bool operator!=(LPCSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, LPCSTR b);
bool operator>(const CString& a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator>=(const CString& a, const CString& b);

namespace helm::afx {
// The format with the Windows size prefixes turned into their meaning here
// (see CString::Format). Unknown conversions are kept as they stand.
std::string windows_format_to_native(std::string_view format);
// vsnprintf of a translated format into a std::string.
std::string format_windows(const char* format, va_list args);
}  // namespace helm::afx
