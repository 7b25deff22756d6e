// The one place where libcurl easy handles are made, so that every transfer of the system
// gets the same limits.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <string>

namespace quarro::detail {

/// The connect phase's limit.
constexpr long connect_timeout_ms = 30000;

/// A new easy handle for a transfer from `url`, owned by the caller (curl_easy_cleanup).
/// libcurl is initialised once per process before the first handle. The handle follows at
/// most 10 redirects, speaks http and https only, never follows a redirect from https down to
/// http, checks the server's certificate and host name, and never uses signals. Throws
/// error::http_error when libcurl can't make a handle. Any thread.
CURL* new_easy_handle(const std::string& url);

/// True once the caller's abort flag (null: none) is set; asked by every transfer's libcurl
/// progress function, which then stops the transfer. Any thread.
inline bool abort_requested(const std::atomic<bool>* abort_flag) noexcept
{
    return abort_flag != nullptr && abort_flag->load();
}

/// "<libcurl's description>[: <detail>] (<url>)": the text of a failed transfer.
std::string describe_curl_failure(CURLcode code, const char* error_buffer, const std::string& url);

} // namespace quarro::detail
