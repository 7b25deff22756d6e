// The what() text of the error an action throws, for one-line checks of exact messages.
#pragma once

#include <string>

namespace test_support {

/// what() of the Error thrown by action(); "(no exception)" when it returns normally.
template <class Error, class Action>
std::string error_text(Action action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no exception)";
}

} // namespace test_support
