#pragma once

#include "uRegional.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

// ---- Size and number texts -------------------------------------------------------------------

/// The size text of an entry: general floating-point form, no digit grouping, the regional
/// decimal separator, at most 15 significant digits, exponent form ("1E15") from 1e15 up.
/// A whole number below 1e15 is written as plain digits ("0", "1536", "5368709120").
std::string SizeNumberText(double value,
                           const TRegionalSettings& rs = TRegionalSettings::Current());

/// Reads a number in the form `IsNumber` accepts; nullopt when the text does not convert.
std::optional<double> ParseNumber(std::string_view text,
                                  const TRegionalSettings& rs = TRegionalSettings::Current());

/// Display text of a byte count: "%n B", "%n KB", "%n MB" or "%n GB" (1024-based) with two
/// decimals, regional thousands and decimal separators.
std::string FormatSize(double bytes, const TRegionalSettings& rs = TRegionalSettings::Current());

/// `FormatSize` of a size text; empty for an empty text. Throws std::invalid_argument
/// when a non-empty text is not a number.
std::string SizeText(std::string_view sizeText,
                     const TRegionalSettings& rs = TRegionalSettings::Current());

/// True when the text converts to a floating-point number (sign, digits with at most one
/// regional decimal separator, optional exponent, blanks around).
bool IsNumber(std::string_view text, const TRegionalSettings& rs = TRegionalSettings::Current());

/// 1 when a > b, otherwise -1 (never 0: not a strict weak ordering, do not sort with it).
int CompareNumbers(double a, double b);

/// `CompareNumbers` of two number texts, non-numbers counting as 0. Never returns 0.
int CompareNumberTexts(std::string_view a, std::string_view b,
                       const TRegionalSettings& rs = TRegionalSettings::Current());

// ---- Date-time texts -------------------------------------------------------------------------

/// Local date-time text of a moment given in whole seconds since the Unix epoch: the regional
/// short date, a blank and the long time; only the date when the local time is 00:00:00.
/// Local time follows the zone rules in force at that moment itself.
std::string DateTimeText(std::int64_t unixSeconds,
                         const TRegionalSettings& rs = TRegionalSettings::Current());

/// Reads a date-time text written by `DateTimeText` back to seconds since the epoch;
/// nullopt when it does not parse.
std::optional<std::int64_t>
ParseDateTimeText(std::string_view text,
                  const TRegionalSettings& rs = TRegionalSettings::Current());

/// -1, 0 or 1 by the rules for date-time texts: empty sorts first, unreadable texts compare
/// as greater, moments within the same millisecond compare equal.
int CompareDateTexts(std::string_view a, std::string_view b,
                     const TRegionalSettings& rs = TRegionalSettings::Current());

// ---- Names -----------------------------------------------------------------------------------

/// Number of characters of a name given as bytes: UTF-8 code points, each byte that is not
/// part of a valid UTF-8 sequence counting as one.
std::size_t NameCharCount(std::string_view name);

} // namespace quorvex
