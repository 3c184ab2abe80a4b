#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace quorvex {

/// The user's regional settings that every value text follows: number separators and the
/// short-date and long-time formats. One object is made from the process locale at start-up
/// (`FromLocale`); tests build their own explicitly and pass it in.
struct TRegionalSettings {
    /// Decimal separator, UTF-8 (one or more bytes).
    std::string DecimalSeparator = ".";
    /// Thousands separator, UTF-8; never empty ("," where the locale has none).
    std::string ThousandSeparator = ",";
    /// strftime-style short-date format; a %y of the locale is stored as %Y (four-digit year).
    std::string ShortDateFormat = "%m/%d/%Y";
    /// strftime-style long-time format.
    std::string LongTimeFormat = "%H:%M:%S";
    /// Texts of %p (read back case-insensitively); from the locale when it has them, so that
    /// a 12-hour format reads the same whatever LC_TIME the process runs under later.
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";

    /// Reads LC_NUMERIC and LC_TIME of the current process locale (nl_langinfo).
    static TRegionalSettings FromLocale();

    /// The settings of the process, read from the locale once, at the first call (after the
    /// program has called setlocale). Immutable from then on.
    static const TRegionalSettings& Current();
};

/// The local date of `tm` in the short-date format, then a blank and the time in the long-time
/// format unless the time is exactly 00:00:00. Numeric conversions and %p never depend on the
/// process locale; month and weekday names (%b, %a, ...) come from LC_TIME.
std::string FormatLocalDateTime(const std::tm& tm, const TRegionalSettings& rs);

/// Reads what `FormatLocalDateTime` writes: a date, optionally followed by blanks and a time,
/// and nothing else. Sets tm_year, tm_mon, tm_mday, tm_hour, tm_min and tm_sec (a date alone
/// is 00:00:00) and leaves every other field untouched; false when the text does not match.
/// Field ranges are checked, whether the day exists in its month is not.
bool ParseLocalDateTime(std::string_view text, const TRegionalSettings& rs, std::tm& tm);

} // namespace quorvex
