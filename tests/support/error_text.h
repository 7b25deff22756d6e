// The what() text of the error an action throws, for one-line checks of exact messages, and
// the check that a failure is thrown as its own class.
#pragma once

#include <quarro/err/exception.h>

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

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

/// action() throws, and what it throws is of exactly the class `expected`.
template <class Action>
void expect_error(Action action, const std::type_info& expected)
{
    try {
        action();
        ADD_FAILURE() << "no failure reported, " << expected.name() << " expected";
    } catch (const err::exception& e) {
        EXPECT_EQ(typeid(e), expected) << e.what();
    }
}

} // namespace test_support
