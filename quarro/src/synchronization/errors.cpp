// Messages of the synchronization errors.
#include <quarro/synchronization/errors.h>
#include <quarro/tools/number_text.h>

namespace synchronization::error {

std::string status_message(const std::string& context, quarro::i32 error_id)
{
    std::string text = context + "\n error id: ";
    quarro::append_number(text, error_id, 1);
    return text;
}

} // namespace synchronization::error
