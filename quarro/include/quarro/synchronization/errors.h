// Errors of the synchronization primitives: a context text and the platform's status code.
#pragma once

#include <quarro/err/exception.h>
#include <quarro/types.h>

#include <string>

namespace synchronization::error {

/// what(): the context, "\n error id: " and the id as a signed decimal number.
std::string status_message(const std::string& context, quarro::i32 error_id);

class event_runtime_error : public err::runtime_error
{
public:
    event_runtime_error(const std::string& context, quarro::i32 error_id)
        : err::runtime_error(status_message(context, error_id))
    {}
};

class task_runtime_error : public err::runtime_error
{
public:
    task_runtime_error(const std::string& context, quarro::i32 error_id)
        : err::runtime_error(status_message(context, error_id))
    {}
};

} // namespace synchronization::error
