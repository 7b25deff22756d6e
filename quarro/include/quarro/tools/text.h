// Small text helpers: unique digits for file names, case-insensitive comparison, UTF-8 checks.
#pragma once

#include <quarro/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace quarro {

/// Sixteen random decimal digits. The generator is seeded once per process from
/// std::random_device, so calls within one second differ. Any thread.
std::string random_digits();

/// Texts of different lengths compare by length (a's minus b's); texts of equal length
/// character by character with a-z folded to upper case, as signed 8-bit values: -1, 0 or 1.
i64 compare_no_case(const std::string& a, const std::string& b);

/// The text as a platform string: itself when it is valid UTF-8, nothing otherwise.
std::optional<std::string> platform_string_from_string(std::string_view text);

/// A text from platform bytes: valid UTF-8 is kept, every byte of an invalid sequence
/// becomes '.'.
std::string string_from_platform_string(std::string_view bytes);

/// Replaces every occurrence of `from` by `to`, searching on after each inserted text.
void replace_all(std::string& text, const std::string& from, const std::string& to);

} // namespace quarro
