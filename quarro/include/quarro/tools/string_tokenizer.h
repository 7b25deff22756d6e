// Walks a text split at a set of delimiter characters; runs of delimiters count as one, so
// no token is ever empty.
#pragma once

#include <quarro/types.h>

#include <string>

namespace quarro {

class string_tokenizer
{
public:
    /// Copies both the text and the delimiter set, so temporaries may be passed.
    string_tokenizer(std::string text, std::string delimiters);

    /// True while a token is present.
    bool has_token() const noexcept { return start_ != end_; }
    /// The current token; empty when none is present.
    std::string token() const;
    /// Position of the current token's first character in the text (npos when none).
    u64 token_start() const noexcept { return start_; }
    const std::string& text() const noexcept { return text_; }

    /// Moves to the next token; after the last one has_token() is false.
    void next();

    static constexpr u64 npos = ~u64{0};

private:
    bool is_delimiter(char c) const noexcept;
    void find_token_from(u64 position);

    std::string text_;
    u64 start_ = npos;
    u64 end_ = npos;
    std::string delimiters_;
};

} // namespace quarro
