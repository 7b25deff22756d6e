// Sets an environment variable for the length of a scope and puts the previous value back.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace test_support {

class environment_variable
{
public:
    /// Sets the variable; with no value, unsets it.
    environment_variable(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (const char* previous = std::getenv(name))
            previous_ = previous;
        set(value);
    }
    ~environment_variable() { set(previous_); }
    environment_variable(const environment_variable&) = delete;
    environment_variable& operator=(const environment_variable&) = delete;

    void set(const std::optional<std::string>& value) const
    {
        if (value)
            setenv(name_, value->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

} // namespace test_support
