// A line on the system console (standard error here).
#pragma once

#include <string>

namespace quarro {

/// Writes the text and a line feed to standard error in one write, so lines of different
/// threads never mix. The text is printed as it is, never read as a format. Any thread.
void console_log(const std::string& text) noexcept;

} // namespace quarro
