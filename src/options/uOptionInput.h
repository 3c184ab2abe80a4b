#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QLineEdit;

namespace quorvex {

/// Reads an optionally signed decimal integer within 32 bits ("12", "-3", "+7"). Empty text,
/// blanks, any other character and numbers out of range give nullopt.
std::optional<std::int32_t> ReadInteger(const QString& text);

/// "'<text>' is not a valid integer value".
QString NotAnIntegerMessage(const QString& text);

/// Lets only the digits, Backspace, line feed and carriage return through as typed characters
/// into `edit`. Every other character, the control characters of shortcuts such as Ctrl+V
/// included, is discarded before the edit sees it; keys that type nothing (arrows, Delete,
/// Tab) pass. The filter is owned by the edit.
void InstallDigitFilter(QLineEdit* edit);

} // namespace quorvex
