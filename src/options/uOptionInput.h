#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QLineEdit;

namespace quorvex {

/// Reads an optionally signed decimal integer within 64 bits ("12", "-3", "+7"). Empty text,
/// blanks, any other character and numbers out of range give nullopt.
std::optional<std::int64_t> ReadInteger64(const QString& text);

/// ReadInteger64 limited to 32 bits.
std::optional<std::int32_t> ReadInteger(const QString& text);

/// "'<text>' is not a valid integer value".
QString NotAnIntegerMessage(const QString& text);

/// Lets only the digits, Backspace, line feed and carriage return through as typed characters
/// into `edit`; every other character is discarded before the edit sees it. Keys that type
/// nothing (arrows, Delete, Tab) and the editing shortcuts (select all, copy, cut, paste,
/// undo, redo) pass, but a paste, by key, middle button or drop, whose text is not all such
/// characters is discarded whole. The filter is owned by the edit.
void InstallDigitFilter(QLineEdit* edit);

} // namespace quorvex
