// Making a run's log file without ever taking over another run's.
#pragma once

#include <quarro/files/filepath.h>
#include <quarro/tools/date_time.h>

#include <functional>
#include <string>

namespace quarro::detail {

/// Creates a new, empty log file in the folder, named for `now` and the digits that `digits`
/// gives. Created exclusively: a name already taken (another run started in the same second
/// with the same digits) is never opened, a new name is tried instead, a bounded number of
/// times. Throws files::error::file_path "cannot create the file! it may be opened by
/// another application?" with the path when no file can be made.
files::filepath create_log_file(const files::filepath& folder, const date_time& now,
                                const std::function<std::string()>& digits);

} // namespace quarro::detail
