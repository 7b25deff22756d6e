// Appending numbers to texts with the exact, locale-independent forms that log lines, error
// messages, preset files and progress texts use.
#pragma once

#include <quarro/types.h>

#include <string>

namespace quarro {

/// Widths above this are treated as this; the system asks for 1, 2 and 3.
constexpr u64 max_number_width = 32;

/// Appends the decimal digits of value, padded with '0' in front to min_width digits.
/// Returns the number of characters appended.
u64 append_unsigned(std::string& text, u64 value, u64 min_width);

/// As append_unsigned for the magnitude, then a '-' in front of negative values (the width
/// counts digits only). Returns the number of characters appended, sign included.
u64 append_number(std::string& text, i64 value, u64 min_width);

/// Appends value in fixed notation with '.' as the decimal point. A finite whole number is
/// written with exactly one decimal ("5.0"); anything else with `decimals` decimals, rounded
/// to nearest with exact ties to the even digit. Returns the number of characters appended.
u64 to_string_with_precision(std::string& text, i32 decimals, f64 value);

/// The byte of a hexadecimal digit pair; characters that are no hex digit count as 0.
u8 hex_pair_to_byte(char high, char low) noexcept;

/// A 32-bit signed integer as decimal text.
std::string int_to_text(i32 value);

/// The number a text starts with: an empty text, or one that starts with neither a digit
/// nor '-', gives the default; otherwise the leading integer, saturated to the 32-bit range.
i32 text_to_int(const std::string& text, i32 default_value);

} // namespace quarro
