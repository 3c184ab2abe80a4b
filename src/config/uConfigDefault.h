#pragma once

#include <string_view>

namespace quorvex {

/// The document written when the configuration file is missing, of another version, or the
/// user asks for the defaults: 1922 bytes of plain ASCII, no byte-order mark, no line breaks
/// and no final newline. The odd whitespace between and inside the elements is part of it.
extern const std::string_view DefaultConfigText;

} // namespace quorvex
