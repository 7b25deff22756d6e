// The tokenizer over folder paths and version texts.
#include <quarro/tools/string_tokenizer.h>

namespace quarro {

string_tokenizer::string_tokenizer(std::string text, std::string delimiters)
    : text_(std::move(text)), delimiters_(std::move(delimiters))
{
    find_token_from(0);
}

std::string string_tokenizer::token() const
{
    return has_token() ? text_.substr(start_, end_ - start_) : std::string();
}

void string_tokenizer::next()
{
    if (!has_token())
        return; // nothing left; never index past the end
    find_token_from(end_);
}

bool string_tokenizer::is_delimiter(char c) const noexcept
{
    return delimiters_.find(c) != std::string::npos;
}

void string_tokenizer::find_token_from(u64 position)
{
    u64 first = position;
    while (first < text_.size() && is_delimiter(text_[first]))
        ++first;
    if (first >= text_.size()) {
        start_ = end_ = npos;
        return;
    }
    u64 last = first;
    while (last < text_.size() && !is_delimiter(text_[last]))
        ++last;
    start_ = first;
    end_ = last;
}

} // namespace quarro
