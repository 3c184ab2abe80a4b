#include "uBaseFunction.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <ctime>
#include <stdexcept>
#include <system_error>

// Every number is written and read with std::to_chars/from_chars, which ignore the process
// locale; the regional separators are put in and taken out here, and nowhere else.

namespace quorvex {
namespace {

// ---- Numbers ---------------------------------------------------------------------------------

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Mantissa digits (15 significant, trailing zeros dropped) and decimal exponent of value != 0.
void SignificantDigits(double value, std::string& digits, int& exponent) {
    char buffer[40];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, 14)
                         .ptr;
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer)); // d.ddde+xx
    const std::size_t e = text.find('e');
    digits.assign(1, text[0]);
    digits.append(text.substr(2, e - 2));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const std::size_t expStart = e + (text[e + 1] == '+' ? 2 : 1);
    std::from_chars(text.data() + expStart, text.data() + text.size(), exponent);
}

std::string ScientificText(const std::string& digits, int exponent, const TRegionalSettings& rs) {
    std::string out(1, digits[0]);
    if (digits.size() > 1)
        out += rs.DecimalSeparator + digits.substr(1);
    out += 'E';
    out += std::to_string(exponent);
    return out;
}

std::string FixedText(const std::string& digits, int exponent, const TRegionalSettings& rs) {
    if (exponent < 0)
        return "0" + rs.DecimalSeparator +
               std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole)
        return digits + std::string(whole - digits.size(), '0');
    return digits.substr(0, whole) + rs.DecimalSeparator + digits.substr(whole);
}

// Copies ASCII digits from text[pos] on; returns how many.
std::size_t TakeDigits(std::string_view text, std::size_t& pos, std::string& out) {
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        out += text[pos++];
    return pos - start;
}

void TakeSign(std::string_view text, std::size_t& pos, std::string& out) {
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-')
            out += '-'; // from_chars takes no '+'
        ++pos;
    }
}

// The number re-spelt with '.' as decimal mark; empty when the text is not a number.
std::string CanonicalNumber(std::string_view text, const TRegionalSettings& rs) {
    std::string out;
    std::size_t pos = 0;
    TakeSign(text, pos, out);
    std::size_t digits = TakeDigits(text, pos, out);
    const std::string& sep = rs.DecimalSeparator;
    if (!sep.empty() && text.substr(pos).starts_with(sep)) {
        pos += sep.size();
        out += '.';
        digits += TakeDigits(text, pos, out);
    }
    if (digits == 0)
        return {};
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        out += 'e';
        TakeSign(text, ++pos, out);
        if (TakeDigits(text, pos, out) == 0)
            return {};
    }
    return pos == text.size() ? out : std::string();
}

// `value` with two decimals, exact halves rounded up (away from zero); to_chars alone rounds
// them to even. The only halves of a hundredth that a double holds exactly are odd eighths
// (x.125, x.375, x.625, x.875): such a value is written with its three decimals, the 5 is
// dropped and the last digit, never a 9 there, goes up by one.
std::string TwoDecimals(double value) {
    char buffer[400]; // DBL_MAX in fixed form has 309 digits
    const bool half = std::isfinite(value) && std::fabs(std::fmod(value * 8, 2)) == 1;
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, half ? 3 : 2)
            .ptr;
    std::string text(buffer, static_cast<std::size_t>(end - buffer));
    if (half) {
        text.pop_back();
        ++text.back();
    }
    return text;
}

std::string TwoDecimalsGrouped(double value, const TRegionalSettings& rs) {
    const std::string text = TwoDecimals(value);
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) // nan, inf
        return std::string(text);
    const std::size_t first = text[0] == '-' ? 1 : 0;
    std::string out(text.substr(0, first));
    for (std::size_t i = first; i < dot; ++i) {
        if (i > first && (dot - i) % 3 == 0)
            out += rs.ThousandSeparator;
        out += text[i];
    }
    return out + rs.DecimalSeparator + std::string(text.substr(dot + 1));
}

} // namespace

std::string SizeNumberText(double value, const TRegionalSettings& rs) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";
    std::string digits;
    int exponent = 0;
    SignificantDigits(value, digits, exponent);
    const std::string sign = value < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -4)
        return sign + ScientificText(digits, exponent, rs);
    return sign + FixedText(digits, exponent, rs);
}

std::optional<double> ParseNumber(std::string_view text, const TRegionalSettings& rs) {
    const std::string canonical = CanonicalNumber(TrimBlanks(text), rs);
    if (canonical.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, ec] =
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    // Beyond the range of a double (either way) the text does not convert.
    if (ec != std::errc() || end != canonical.data() + canonical.size())
        return std::nullopt;
    return value;
}

bool IsNumber(std::string_view text, const TRegionalSettings& rs) {
    return ParseNumber(text, rs).has_value();
}

std::string FormatSize(double bytes, const TRegionalSettings& rs) {
    struct TUnit {
        double Divisor;
        const char* Suffix;
    };
    // Largest first; the unit is chosen by the unrounded value, so 1048575 reads 1,024.00 KB.
    static constexpr TUnit units[] = {{1073741824.0, " GB"}, {1048576.0, " MB"}, {1024.0, " KB"}};
    for (const TUnit& unit : units)
        if (bytes >= unit.Divisor)
            return TwoDecimalsGrouped(bytes / unit.Divisor, rs) + unit.Suffix;
    return TwoDecimalsGrouped(bytes, rs) + " B";
}

std::string SizeText(std::string_view sizeText, const TRegionalSettings& rs) {
    if (sizeText.empty())
        return {};
    const std::optional<double> value = ParseNumber(sizeText, rs);
    if (!value)
        throw std::invalid_argument("'" + std::string(sizeText) + "' is not a valid number");
    return FormatSize(*value, rs);
}

int CompareNumbers(double a, double b) {
    return a > b ? 1 : -1;
}

int CompareNumberTexts(std::string_view a, std::string_view b, const TRegionalSettings& rs) {
    return CompareNumbers(ParseNumber(a, rs).value_or(0), ParseNumber(b, rs).value_or(0));
}

// ---- Date-time texts -------------------------------------------------------------------------

std::string DateTimeText(std::int64_t unixSeconds, const TRegionalSettings& rs) {
    const auto moment = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    // Beyond what the C library can break down (years past 2^31): no text, which sorts first.
    if (!localtime_r(&moment, &local))
        return {};
    return FormatLocalDateTime(local, rs);
}

// In the hour that repeats when clocks go back, one text names two moments; mktime picks
// one of them, so such a text reads back to either.
std::optional<std::int64_t> ParseDateTimeText(std::string_view text, const TRegionalSettings& rs) {
    std::tm fields{};
    if (!ParseLocalDateTime(text, rs, fields))
        return std::nullopt;
    std::tm local = fields;
    local.tm_isdst = -1;
    errno = 0;
    const std::time_t moment = std::mktime(&local);
    if (moment == static_cast<std::time_t>(-1) && errno != 0)
        return std::nullopt;
    // mktime turns 31 February into 3 March; no written text names a day that does not exist.
    if (local.tm_year != fields.tm_year || local.tm_mon != fields.tm_mon ||
        local.tm_mday != fields.tm_mday)
        return std::nullopt;
    return static_cast<std::int64_t>(moment);
}

int CompareDateTexts(std::string_view a, std::string_view b, const TRegionalSettings& rs) {
    if (a.empty())
        return -1;
    if (b.empty())
        return 1;
    const std::optional<std::int64_t> first = ParseDateTimeText(a, rs);
    const std::optional<std::int64_t> second = ParseDateTimeText(b, rs);
    if (!first || !second)
        return 1;
    // The texts carry whole seconds: "within one millisecond" means the same second.
    if (*first == *second)
        return 0;
    return *first > *second ? 1 : -1;
}

// ---- Names -----------------------------------------------------------------------------------

namespace {

// Length of the well-formed UTF-8 sequence at name[pos], or 0 when none starts there.
// Overlong forms, surrogates and code points above U+10FFFF are not well-formed.
std::size_t SequenceLength(std::string_view name, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(name[pos]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (name.size() - pos < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(name[pos + i]);
        if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

std::size_t NameCharCount(std::string_view name) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < name.size(); ++count) {
        const std::size_t length = SequenceLength(name, pos);
        pos += length == 0 ? 1 : length;
    }
    return count;
}

} // namespace quorvex
