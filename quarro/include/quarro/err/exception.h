// The root of every error the system throws. It deliberately does not derive from
// std::exception: every catch site names err::exception (or a class below it), or catches all.
#pragma once

#include <string>

namespace err {

/// An error with a message text. Thrown by value, caught by reference.
class exception
{
public:
    explicit exception(std::string message) : message_(std::move(message)) {}
    exception(const exception&) = default;
    exception& operator=(const exception&) = default;
    virtual ~exception() = default;

    /// The message text; lives as long as the object. Subclasses with fixed texts override it.
    virtual const char* what() const noexcept { return message_.c_str(); }

private:
    std::string message_;
};

/// The base of every error family of the system.
class runtime_error : public exception
{
public:
    explicit runtime_error(std::string message) : exception(std::move(message)) {}
};

} // namespace err
