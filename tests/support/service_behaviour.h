// The local firmware service's misbehaviours, one line each, for tables of failure cases.
#pragma once

#include <firmware_service/service.h>

#include <string>

namespace test_support {

inline firmware_service::behaviour answer_body(const std::string& text)
{
    firmware_service::behaviour b;
    b.body = text;
    return b;
}

inline firmware_service::behaviour answer_status(int code)
{
    firmware_service::behaviour b;
    b.status = code;
    return b;
}

inline firmware_service::behaviour answer_late(std::uint32_t delay_ms)
{
    firmware_service::behaviour b;
    b.delay_ms = delay_ms;
    return b;
}

/// Redirects to `target`; an empty target redirects every request to itself.
inline firmware_service::behaviour answer_redirect(const std::string& target)
{
    firmware_service::behaviour b;
    b.redirect_loop = target.empty();
    b.redirect_to = target;
    return b;
}

} // namespace test_support
