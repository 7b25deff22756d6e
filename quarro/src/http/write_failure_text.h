// The text of a download's file that the system would not let it write, in the system's own
// words: a full disk says "No space left on device", with the file it was writing.
#pragma once

#include <quarro/files/file_error.h>

#include <string>

namespace quarro::detail {

/// "cannot write <path>: <the system's text for the failure's errno>", or the failure's own
/// message in its place when the errno is not known. Any thread.
std::string write_failure_text(const std::string& path, const files::error::write_failure& failure);

} // namespace quarro::detail
