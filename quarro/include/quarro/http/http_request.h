// What one HTTP request asks for, and what the server's answer said about the transfer.
#pragma once

#include <quarro/memory/data.h>
#include <quarro/memory/data_ptr.h>
#include <quarro/memory/shared_handle.h>
#include <quarro/types.h>

#include <string>

namespace quarro {

/// One request. Held through a memory::shared_handle; not changed once built.
class http_request
{
public:
    /// Copies the texts and takes a reference to `body` (may be null), then replaces every
    /// blank of the URL by "%20" (nothing else is encoded). A `timeout_ms` of 0 or less sets
    /// no limit on the whole transfer.
    http_request(const std::string& url, i32 timeout_ms, const std::string& method,
                 memory::data_ptr<memory::data> body = nullptr);
    http_request(const http_request&) = delete;
    http_request& operator=(const http_request&) = delete;
    virtual ~http_request() = default;

    const std::string& get_url() const noexcept { return url_; }
    i32 get_timeout_ms() const noexcept { return timeout_ms_; }
    const memory::data_ptr<memory::data>& get_body() const noexcept { return body_; }
    /// True for the method POST, in any case.
    bool is_post() const;

private:
    std::string url_;
    i32 timeout_ms_;
    memory::data_ptr<memory::data> body_;
    std::string method_;
};

/// The start of an answer: the request's URL, its status (0 until the headers end) and the
/// total size of the content (-1 while not known).
class http_response
{
public:
    explicit http_response(std::string url) : url(std::move(url)) {}
    virtual ~http_response() = default;

    std::string url;
    u32 response_code = 0;
    i64 total_size = -1;
};

} // namespace quarro
