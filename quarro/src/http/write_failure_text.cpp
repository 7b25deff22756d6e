// A failed write of a download's file, said the way the system says it.
#include "http/write_failure_text.h"

#include <system_error>

namespace quarro::detail {

std::string write_failure_text(const std::string& path, const files::error::write_failure& failure)
{
    // std::system_category's text is strerror's, without strerror's shared buffer.
    const std::string reason = failure.error_number() != 0
                                   ? std::system_category().message(failure.error_number())
                                   : std::string(failure.what());
    return "cannot write " + path + ": " + reason;
}

} // namespace quarro::detail
