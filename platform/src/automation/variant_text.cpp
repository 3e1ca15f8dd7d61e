#include "variant_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zk::automation {

namespace {

// Day 0 of DATE is 30 December 1899. Civil-date arithmetic over the
// proleptic Gregorian calendar, with 400-year eras.
long DaysFromCivil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, long* y, unsigned* m, unsigned* d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<long>(yoe) + era * 400 + (*m <= 2);
}

const long kEpoch = DaysFromCivil(1899, 12, 30);

unsigned DaysInMonth(long y, unsigned m)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

// A small cursor over date text.
struct Cursor {
    std::string_view text;
    size_t pos = 0;

    void SkipSpaces()
    {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    }
    bool Number(long* value, size_t maxDigits = 4)
    {
        size_t start = pos;
        long v = 0;
        while (pos < text.size() && pos - start < maxDigits && std::isdigit(static_cast<unsigned char>(text[pos])))
            v = v * 10 + (text[pos++] - '0');
        *value = v;
        return pos > start;
    }
    bool Take(char c)
    {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool TakeWord(std::string_view word)
    {
        if (text.size() - pos < word.size())
            return false;
        for (size_t i = 0; i < word.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(text[pos + i])) != word[i])
                return false;
        pos += word.size();
        return true;
    }
    bool AtEnd() const { return pos == text.size(); }
};

bool ParseTime(Cursor& c, double* fraction)
{
    long h, mi, s = 0;
    if (!c.Number(&h, 2) || !c.Take(':') || !c.Number(&mi, 2))
        return false;
    if (c.Take(':') && !c.Number(&s, 2))
        return false;
    c.SkipSpaces();
    if (c.TakeWord("AM")) {
        if (h < 1 || h > 12)
            return false;
        h %= 12;
    } else if (c.TakeWord("PM")) {
        if (h < 1 || h > 12)
            return false;
        h = h % 12 + 12;
    }
    if (h > 23 || mi > 59 || s > 59)
        return false;
    *fraction = (h * 3600 + mi * 60 + s) / 86400.0;
    return true;
}

}  // namespace

std::string FormatDouble(double value, int digits)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    for (char& ch : text)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return text;
}

std::string FormatDate(DATE value)
{
    // The whole part counts days; the fraction is the time of day whatever
    // the sign (-1.25 is 29 December 1899, 6 AM).
    double whole = std::trunc(value);
    long seconds = std::lround(std::fabs(value - whole) * 86400.0);
    long day = static_cast<long>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += value < 0 ? -1 : 1;
    }
    std::string text;
    char buffer[48];
    if (day != 0 || seconds == 0) {
        long y;
        unsigned m, d;
        CivilFromDays(day + kEpoch, &y, &m, &d);
        std::snprintf(buffer, sizeof buffer, "%u/%u/%ld", m, d, y);
        text = buffer;
    }
    if (seconds != 0) {
        long h = seconds / 3600;
        const char* half = h < 12 ? "AM" : "PM";
        h %= 12;
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld %s", h == 0 ? 12 : h, seconds / 60 % 60, seconds % 60,
                      half);
        if (!text.empty())
            text += ' ';
        text += buffer;
    }
    return text;
}

HRESULT ParseNumber(std::string_view text, double* value)
{
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    text = text.substr(b, e - b);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // Only digits, one point and an exponent: from_chars alone would also
    // take "inf", "nan" and hexadecimal.
    size_t i = 0, digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, ++digits;
    }
    if (digits == 0)
        return DISP_E_TYPEMISMATCH;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, ++expDigits;
        if (expDigits == 0)
            return DISP_E_TYPEMISMATCH;
    }
    if (i != text.size())
        return DISP_E_TYPEMISMATCH;
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Beyond a double's range fits no type; below it underflows to zero.
        const std::string copy(text);
        v = std::strtod(copy.c_str(), nullptr);
        if (std::isinf(v))
            return DISP_E_OVERFLOW;
    } else if (ec != std::errc() || end != text.data() + text.size()) {
        return DISP_E_TYPEMISMATCH;
    }
    *value = negative ? -v : v;
    return S_OK;
}

HRESULT ParseDate(std::string_view text, DATE* value)
{
    Cursor c{text};
    c.SkipSpaces();
    long a;
    size_t start = c.pos;
    if (!c.Number(&a))
        return DISP_E_TYPEMISMATCH;
    long day = 0;
    double fraction = 0;
    bool haveDate = false;
    if (c.Take('/')) {  // M/D/YYYY
        long d, y;
        if (!c.Number(&d, 2) || !c.Take('/') || !c.Number(&y))
            return DISP_E_TYPEMISMATCH;
        if (a < 1 || a > 12 || d < 1 || static_cast<unsigned>(d) > DaysInMonth(y, a))
            return DISP_E_TYPEMISMATCH;
        day = DaysFromCivil(y, a, d) - kEpoch;
        haveDate = true;
    } else if (c.Take('-')) {  // YYYY-MM-DD
        long m, d;
        if (!c.Number(&m, 2) || !c.Take('-') || !c.Number(&d, 2))
            return DISP_E_TYPEMISMATCH;
        if (m < 1 || m > 12 || d < 1 || static_cast<unsigned>(d) > DaysInMonth(a, m))
            return DISP_E_TYPEMISMATCH;
        day = DaysFromCivil(a, m, d) - kEpoch;
        haveDate = true;
    } else {
        c.pos = start;  // a time alone
    }
    c.SkipSpaces();
    if (!c.AtEnd()) {
        if (!ParseTime(c, &fraction))
            return DISP_E_TYPEMISMATCH;
        c.SkipSpaces();
    } else if (!haveDate) {
        return DISP_E_TYPEMISMATCH;
    }
    if (!c.AtEnd())
        return DISP_E_TYPEMISMATCH;
    *value = day < 0 ? day - fraction : day + fraction;
    return S_OK;
}

}  // namespace zk::automation
