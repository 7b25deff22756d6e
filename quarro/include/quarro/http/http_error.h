// The errors of HTTP requests and downloads.
#pragma once

#include <quarro/err/exception.h>

#include <string>

namespace quarro::error {

/// A transfer that could not be started or set up.
class http_error : public err::runtime_error
{
public:
    http_error() : err::runtime_error(std::string()) {}
    const char* what() const noexcept override { return "general http error"; }
};

/// A transfer that failed; the text says how and for which address.
class http_connection_error : public http_error
{
public:
    explicit http_connection_error(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

/// A download that was given no file to write into.
class http_error_no_destination_location : public http_error
{
public:
    const char* what() const noexcept override
    {
        return "no destination location to write the downloaded file";
    }
};

} // namespace quarro::error
