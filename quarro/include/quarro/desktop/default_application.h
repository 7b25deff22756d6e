// Opening a file with the application the desktop associates with it.
#pragma once

#include <quarro/files/filepath.h>

namespace quarro {

/// Hands the item to xdg-open (found on PATH) as one argument, without a shell; the item
/// itself is never executed. Returns once the opener has started; nothing is reported when
/// it can't start or can't open the item. The empty filepath opens nothing. Any thread.
void open_with_default_application(const files::filepath& item) noexcept;

} // namespace quarro
