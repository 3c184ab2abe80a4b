#include "uRegional.h"

#include <charconv>
#include <cstddef>
#include <langinfo.h>

namespace quorvex {
namespace {

// Composite conversions spelled out, so that formatting and reading only meet plain fields.
std::string_view CompositeExpansion(char conv) {
    switch (conv) {
    case 'D':
        return "%m/%d/%y";
    case 'F':
        return "%Y-%m-%d";
    case 'T':
        return "%H:%M:%S";
    case 'R':
        return "%H:%M";
    case 'r':
        return "%I:%M:%S %p";
    default:
        return {};
    }
}

// Copies the literal text of a strftime-style format to out and hands each conversion
// character to onConversion (E and O modifiers dropped).
template <typename F>
void ForEachConversion(std::string_view format, std::string& out, F&& onConversion) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        char conv = format[++i];
        if ((conv == 'E' || conv == 'O') && i + 1 < format.size())
            conv = format[++i];
        onConversion(conv);
    }
}

// A locale's format with composites spelled out (%r by the locale's own 12-hour format), the
// E/O modifiers dropped (their digits are written as ASCII anyway) and %y widened to %Y.
std::string NormalizeFormat(std::string_view format, std::string_view ampmFormat, int depth = 0) {
    std::string out;
    ForEachConversion(format, out, [&](char conv) {
        std::string_view sub =
            (conv == 'r' && !ampmFormat.empty()) ? ampmFormat : CompositeExpansion(conv);
        if (!sub.empty() && depth < 2)
            out += NormalizeFormat(sub, ampmFormat, depth + 1);
        else if (conv == 'y')
            out += "%Y";
        else
            out.append({'%', conv});
    });
    return out;
}

std::string LangInfo(nl_item item) {
    const char* text = nl_langinfo(item);
    return text ? text : "";
}

} // namespace

TRegionalSettings TRegionalSettings::FromLocale() {
    TRegionalSettings rs;
    if (std::string dec = LangInfo(RADIXCHAR); !dec.empty())
        rs.DecimalSeparator = dec;
    // The C and POSIX locales group no digits; the display texts group by "," there.
    std::string thousands = LangInfo(THOUSEP);
    rs.ThousandSeparator = thousands.empty() ? "," : thousands;
    // One mark for both jobs would make "1.500" ambiguous; take the other common mark.
    if (rs.ThousandSeparator == rs.DecimalSeparator)
        rs.ThousandSeparator = rs.DecimalSeparator == "," ? "." : ",";

    const std::string ampm = LangInfo(T_FMT_AMPM);
    if (std::string date = LangInfo(D_FMT); !date.empty())
        rs.ShortDateFormat = NormalizeFormat(date, ampm);
    if (std::string time = LangInfo(T_FMT); !time.empty())
        rs.LongTimeFormat = NormalizeFormat(time, ampm);
    if (std::string am = LangInfo(AM_STR); !am.empty())
        rs.TimeAMString = am;
    if (std::string pm = LangInfo(PM_STR); !pm.empty())
        rs.TimePMString = pm;
    return rs;
}

const TRegionalSettings& TRegionalSettings::Current() {
    static const TRegionalSettings settings = FromLocale();
    return settings;
}

// ---- Writing date-time fields ----------------------------------------------------------------

namespace {

void AppendNumber(std::string& out, long long value, int width, char pad) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value < 0 ? -value : value).ptr;
    if (value < 0)
        out += '-';
    for (auto len = end - digits; len < width; ++len)
        out += pad;
    out.append(digits, end);
}

int Hour12(int hour) {
    return hour % 12 == 0 ? 12 : hour % 12;
}

// Not std::tolower: that one follows the process locale.
char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

void AppendFormat(std::string& out, std::string_view format, const std::tm& tm,
                  const TRegionalSettings& rs);

// Names and rarely used conversions go to the C library; everything numeric is written here.
void AppendByLibrary(std::string& out, char conv, const std::tm& tm) {
    const char directive[] = {'%', conv, '\0'};
    char buffer[128];
    out.append(buffer, std::strftime(buffer, sizeof buffer, directive, &tm));
}

void AppendField(std::string& out, char conv, const std::tm& tm, const TRegionalSettings& rs) {
    const long long year = 1900LL + tm.tm_year;
    switch (conv) {
    case 'd':
        return AppendNumber(out, tm.tm_mday, 2, '0');
    case 'e':
        return AppendNumber(out, tm.tm_mday, 2, ' ');
    case 'm':
        return AppendNumber(out, tm.tm_mon + 1, 2, '0');
    case 'Y':
        return AppendNumber(out, year, 4, '0');
    case 'y':
        return AppendNumber(out, (year % 100 + 100) % 100, 2, '0');
    case 'H':
        return AppendNumber(out, tm.tm_hour, 2, '0');
    case 'k':
        return AppendNumber(out, tm.tm_hour, 2, ' ');
    case 'I':
        return AppendNumber(out, Hour12(tm.tm_hour), 2, '0');
    case 'l':
        return AppendNumber(out, Hour12(tm.tm_hour), 2, ' ');
    case 'M':
        return AppendNumber(out, tm.tm_min, 2, '0');
    case 'S':
        return AppendNumber(out, tm.tm_sec, 2, '0');
    case 'p':
        out += tm.tm_hour < 12 ? rs.TimeAMString : rs.TimePMString;
        return;
    case 'P':
        out += AsciiLower(tm.tm_hour < 12 ? rs.TimeAMString : rs.TimePMString);
        return;
    case '%':
        out += '%';
        return;
    case 'n':
        out += '\n';
        return;
    case 't':
        out += '\t';
        return;
    default:
        break;
    }
    if (std::string_view sub = CompositeExpansion(conv); !sub.empty())
        return AppendFormat(out, sub, tm, rs);
    AppendByLibrary(out, conv, tm);
}

void AppendFormat(std::string& out, std::string_view format, const std::tm& tm,
                  const TRegionalSettings& rs) {
    ForEachConversion(format, out, [&](char conv) { AppendField(out, conv, tm, rs); });
}

} // namespace

std::string FormatLocalDateTime(const std::tm& tm, const TRegionalSettings& rs) {
    std::string out;
    AppendFormat(out, rs.ShortDateFormat, tm, rs);
    if (tm.tm_hour != 0 || tm.tm_min != 0 || tm.tm_sec != 0) {
        out += ' ';
        AppendFormat(out, rs.LongTimeFormat, tm, rs);
    }
    return out;
}

// ---- Reading date-time fields ----------------------------------------------------------------

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads a text field by field against strftime-style formats. Numeric fields skip leading
// blanks as strptime does, so space-padded fields (%e, %k, %l) read back.
class TFieldReader {
public:
    TFieldReader(std::string_view text, const TRegionalSettings& rs) : Text(text), Rs(rs) {}

    bool Format(std::string_view format);
    bool AtEnd() const { return Pos == Text.size(); }
    bool SkipBlanks() {
        const std::size_t start = Pos;
        while (Pos < Text.size() && IsBlank(Text[Pos]))
            ++Pos;
        return Pos > start;
    }
    void Store(std::tm& tm) const;

private:
    bool Field(char conv, bool digitFollows);
    bool Number(int& value, int maxWidth, int low, int high, bool allowSign = false);
    bool Word(std::string_view word);
    bool DayPeriod();
    bool ByLibrary(char conv);

    std::string_view Text;
    const TRegionalSettings& Rs;
    std::size_t Pos = 0;
    int Year = 1900, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
    int Pm = -1; // -1: no %p read, 0: AM, 1: PM
    bool TwelveHour = false;
};

bool TFieldReader::Number(int& value, int maxWidth, int low, int high, bool allowSign) {
    SkipBlanks();
    const bool negative = allowSign && Pos < Text.size() && Text[Pos] == '-';
    std::size_t end = Pos + (negative ? 1 : 0), digits = 0;
    long long v = 0;
    for (; end < Text.size() && digits < static_cast<std::size_t>(maxWidth); ++end, ++digits) {
        if (Text[end] < '0' || Text[end] > '9')
            break;
        v = v * 10 + (Text[end] - '0');
    }
    if (digits == 0)
        return false;
    v = negative ? -v : v;
    if (v < low || v > high)
        return false;
    value = static_cast<int>(v);
    Pos = end;
    return true;
}

bool TFieldReader::Word(std::string_view word) {
    if (word.empty() || Text.size() - Pos < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (AsciiLower(Text[Pos + i]) != AsciiLower(word[i]))
            return false;
    }
    Pos += word.size();
    return true;
}

bool TFieldReader::DayPeriod() {
    SkipBlanks();
    // The longer text first, in case one is a prefix of the other.
    const bool amFirst = Rs.TimeAMString.size() >= Rs.TimePMString.size();
    const std::string& first = amFirst ? Rs.TimeAMString : Rs.TimePMString;
    const std::string& second = amFirst ? Rs.TimePMString : Rs.TimeAMString;
    if (Word(first))
        Pm = amFirst ? 0 : 1;
    else if (Word(second))
        Pm = amFirst ? 1 : 0;
    else
        return false;
    return true;
}

// Month and weekday names are the C library's, as they were when written.
bool TFieldReader::ByLibrary(char conv) {
    if (conv != 'b' && conv != 'B' && conv != 'h' && conv != 'a' && conv != 'A')
        return false;
    const std::string rest(Text.substr(Pos));
    const char directive[] = {'%', conv, '\0'};
    std::tm scratch{};
    const char* end = strptime(rest.c_str(), directive, &scratch);
    if (!end)
        return false;
    if (conv != 'a' && conv != 'A')
        Month = scratch.tm_mon + 1;
    Pos += static_cast<std::size_t>(end - rest.c_str());
    return true;
}

bool TFieldReader::Field(char conv, bool digitFollows) {
    switch (conv) {
    case 'd':
    case 'e':
        return Number(Day, 2, 1, 31);
    case 'm':
        return Number(Month, 2, 1, 12);
    // Without a separator after it the year has four digits; otherwise it may have more.
    case 'Y':
        return Number(Year, digitFollows ? 4 : 6, -99999, 999999, true);
    case 'y':
        if (!Number(Year, 2, 0, 99))
            return false;
        Year += Year < 69 ? 2000 : 1900; // the POSIX pivot
        return true;
    case 'H':
    case 'k':
        return Number(Hour, 2, 0, 23);
    case 'I':
    case 'l':
        TwelveHour = true;
        return Number(Hour, 2, 1, 12);
    case 'M':
        return Number(Minute, 2, 0, 59);
    case 'S':
        return Number(Second, 2, 0, 59);
    case 'p':
    case 'P':
        return DayPeriod();
    case '%':
        return Word("%");
    case 'n':
    case 't':
        SkipBlanks();
        return true;
    default:
        break;
    }
    if (std::string_view sub = CompositeExpansion(conv); !sub.empty())
        return Format(sub);
    return ByLibrary(conv);
}

bool TFieldReader::Format(std::string_view format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (IsBlank(format[i])) {
            SkipBlanks();
        } else if (format[i] != '%' || i + 1 == format.size()) {
            if (Pos == Text.size() || Text[Pos] != format[i])
                return false;
            ++Pos;
        } else {
            char conv = format[++i];
            if ((conv == 'E' || conv == 'O') && i + 1 < format.size())
                conv = format[++i];
            const bool digitFollows =
                i + 1 < format.size() &&
                (format[i + 1] == '%' || (format[i + 1] >= '0' && format[i + 1] <= '9'));
            if (!Field(conv, digitFollows))
                return false;
        }
    }
    return true;
}

void TFieldReader::Store(std::tm& tm) const {
    tm.tm_year = Year - 1900;
    tm.tm_mon = Month - 1;
    tm.tm_mday = Day;
    tm.tm_hour = TwelveHour && Pm >= 0 ? Hour % 12 + 12 * Pm : Hour;
    tm.tm_min = Minute;
    tm.tm_sec = Second;
}

} // namespace

bool ParseLocalDateTime(std::string_view text, const TRegionalSettings& rs, std::tm& tm) {
    TFieldReader reader(text, rs);
    reader.SkipBlanks();
    if (!reader.Format(rs.ShortDateFormat))
        return false;
    const bool blank = reader.SkipBlanks();
    if (!reader.AtEnd() && (!blank || !reader.Format(rs.LongTimeFormat)))
        return false;
    reader.SkipBlanks();
    if (!reader.AtEnd())
        return false;
    reader.Store(tm);
    return true;
}

} // namespace quorvex
