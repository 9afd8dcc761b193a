#include "helm/com/oledate.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long days_from_civil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + long(doe) - 719468;
}

void civil_from_days(long z, long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = long(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

const long epoch = days_from_civil(1899, 12, 30);

unsigned days_in_month(long y, unsigned m)
{
    static constexpr unsigned days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

bool valid_day(long y, unsigned m, unsigned d)
{
    return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= days_in_month(y, m);
}

// The day (relative to day 0) and the second of the day, rounded.
bool split(DATE date, long& day, long& second)
{
    if (!(date > -657435.0 && date < 2958466.0))
        return false;
    double whole = std::trunc(date);
    day = long(whole);
    second = long(std::llround(std::fabs(date - whole) * 86400.0));
    if (second >= 86400) {
        second -= 86400;
        ++day;
    }
    return true;
}

DATE join(long day, long second)
{
    double t = double(second) / 86400.0;
    return day >= 0 ? double(day) + t : double(day) - t;
}

// A small cursor over the text being read.
struct Reader {
    std::string s;
    size_t pos = 0;

    void blanks()
    {
        while (pos < s.size() && s[pos] == ' ')
            ++pos;
    }
    bool done() const { return pos == s.size(); }
    bool number(int max_digits, long& value, int& digits)
    {
        value = 0;
        digits = 0;
        while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && digits < max_digits) {
            value = value * 10 + (s[pos++] - '0');
            ++digits;
        }
        return digits > 0;
    }
    bool accept(char c)
    {
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool word(const char* w)
    {
        size_t n = 0;
        while (w[n]) {
            if (pos + n >= s.size() || std::toupper(static_cast<unsigned char>(s[pos + n])) != w[n])
                return false;
            ++n;
        }
        pos += n;
        return true;
    }
};

// French locales (primary language 0x0C) write the day first and a 24-hour
// time; every other locale is US English.
bool is_french(LCID locale)
{
    return (locale & 0x3FF) == 0x0C;
}

// "M/D/YYYY" ("D/M/YYYY" with day_first) or "YYYY-MM-DD"; false leaves the
// cursor where it was.
bool read_date(Reader& r, bool day_first, long& day)
{
    size_t start = r.pos;
    long a = 0, b = 0, c = 0;
    int da = 0, db = 0, dc = 0;
    if (r.number(4, a, da)) {
        if (da == 4 && r.accept('-') && r.number(2, b, db) && r.accept('-') && r.number(2, c, dc)) {
            if (valid_day(a, unsigned(b), unsigned(c))) {
                day = days_from_civil(a, unsigned(b), unsigned(c)) - epoch;
                return true;
            }
        } else if (da <= 2 && r.accept('/') && r.number(2, b, db) && r.accept('/') && r.number(4, c, dc) &&
                   dc >= 3) {  // two-digit years are ambiguous
            const unsigned month = unsigned(day_first ? b : a), date = unsigned(day_first ? a : b);
            if (valid_day(c, month, date)) {
                day = days_from_civil(c, month, date) - epoch;
                return true;
            }
        }
    }
    r.pos = start;
    return false;
}

// "H:MM[:SS]" with an optional AM or PM.
bool read_time(Reader& r, long& second)
{
    long h = 0, m = 0, s = 0;
    int dh = 0, dm = 0, ds = 0;
    if (!r.number(2, h, dh) || !r.accept(':') || !r.number(2, m, dm) || dm != 2)
        return false;
    if (r.accept(':') && (!r.number(2, s, ds) || ds != 2))
        return false;
    r.blanks();
    bool am = r.word("AM"), pm = !am && r.word("PM");
    if (am || pm) {
        if (h < 1 || h > 12)
            return false;
        h = h % 12 + (pm ? 12 : 0);
    }
    if (h > 23 || m > 59 || s > 59)
        return false;
    second = h * 3600 + m * 60 + s;
    return true;
}

}  // namespace

INT SystemTimeToVariantTime(const SYSTEMTIME* t, DOUBLE* date)
{
    if (!t || !date || !valid_day(t->wYear, t->wMonth, t->wDay) || t->wHour > 23 || t->wMinute > 59 ||
        t->wSecond > 59)
        return FALSE;
    long day = days_from_civil(t->wYear, t->wMonth, t->wDay) - epoch;
    *date = join(day, long(t->wHour) * 3600 + t->wMinute * 60 + t->wSecond);
    return TRUE;
}

INT VariantTimeToSystemTime(DOUBLE date, LPSYSTEMTIME t)
{
    long day = 0, second = 0;
    if (!t || !split(date, day, second))
        return FALSE;
    long y = 0;
    unsigned m = 0, d = 0;
    civil_from_days(day + epoch, y, m, d);
    if (y < 100 || y > 9999)
        return FALSE;
    t->wYear = WORD(y);
    t->wMonth = WORD(m);
    t->wDay = WORD(d);
    // Day 0 was a Saturday.
    t->wDayOfWeek = WORD(((day % 7) + 7 + 6) % 7);
    t->wHour = WORD(second / 3600);
    t->wMinute = WORD(second / 60 % 60);
    t->wSecond = WORD(second % 60);
    t->wMilliseconds = 0;
    return TRUE;
}

HRESULT VarBstrFromDate(DATE date, LCID locale, ULONG flags, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    SYSTEMTIME t{};
    long day = 0, second = 0;
    if (!split(date, day, second) || !VariantTimeToSystemTime(date, &t))
        return DISP_E_OVERFLOW;
    bool want_date = !(flags & VAR_TIMEVALUEONLY) && (flags & VAR_DATEVALUEONLY || day != 0 || second == 0);
    bool want_time = !(flags & VAR_DATEVALUEONLY) && (flags & VAR_TIMEVALUEONLY || second != 0);
    char buf[64];
    int n = 0;
    if (is_french(locale)) {
        if (want_date)
            n += std::snprintf(buf + n, sizeof buf - size_t(n), "%02u/%02u/%04u", t.wDay, t.wMonth, t.wYear);
        if (want_time)
            n += std::snprintf(buf + n, sizeof buf - size_t(n), "%s%02u:%02u:%02u", want_date ? " " : "", t.wHour,
                               t.wMinute, t.wSecond);
    } else {
        if (want_date)
            n += std::snprintf(buf + n, sizeof buf - size_t(n), "%u/%u/%u", t.wMonth, t.wDay, t.wYear);
    }
    if (want_time && !is_french(locale)) {
        unsigned h12 = t.wHour % 12 ? t.wHour % 12 : 12;
        n += std::snprintf(buf + n, sizeof buf - size_t(n), "%s%u:%02u:%02u %s", want_date ? " " : "", h12,
                           t.wMinute, t.wSecond, t.wHour < 12 ? "AM" : "PM");
    }
    *out = helm::com::bstr_from_text(std::string_view(buf, size_t(n)));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT VarDateFromStr(LPCOLESTR text, LCID locale, ULONG, DATE* out)
{
    if (!text || !out)
        return E_INVALIDARG;
    Reader r;
    for (size_t i = 0; text[i]; ++i) {
        if (i >= 64)
            return DISP_E_TYPEMISMATCH;
        r.s.push_back(text[i] < 0x80 ? char(text[i]) : '\x01');
    }
    r.blanks();
    long day = 0, second = 0;
    bool have_date = read_date(r, is_french(locale), day);
    if (have_date) {
        r.blanks();
        if (!r.done()) {
            r.accept('T');
            if (!read_time(r, second))
                return DISP_E_TYPEMISMATCH;
        }
    } else if (!read_time(r, second)) {
        return DISP_E_TYPEMISMATCH;
    }
    r.blanks();
    if (!r.done())
        return DISP_E_TYPEMISMATCH;
    *out = join(day, second);
    return S_OK;
}
