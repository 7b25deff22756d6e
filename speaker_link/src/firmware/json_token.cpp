// The flat JSON token reader.
#include <speaker_link/firmware/json_token.h>

namespace {

bool is_continue_mark(char c) noexcept
{
    return c == ',' || c == ':' || c == ']' || c == '}';
}

bool ends_word(char c) noexcept
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ',' || c == ']' || c == '}';
}

// The first of ',', ':', ']' and '}' at or after `from`; `end` when there is none.
const char* find_continue_mark(const char* from, const char* end) noexcept
{
    while (from < end && !is_continue_mark(*from))
        ++from;
    return from;
}

json_token_kind word_kind(char c) noexcept
{
    if (c == 't' || c == 'f')
        return json_token_kind::boolean;
    if (c == 'n')
        return json_token_kind::null;
    if ((c >= '0' && c <= '9') || c == '-')
        return json_token_kind::number;
    return json_token_kind::none;
}

} // namespace

json_token next_json_token(const char* position, const char* end, const char*& next) noexcept
{
    for (const char* p = position; p < end; ++p) {
        switch (*p) {
        case '{':
        case '[':
            next = p + 1;
            return {*p == '{' ? json_token_kind::object_begin : json_token_kind::array_begin, p, 1};
        case '}':
        case ']':
            next = find_continue_mark(p + 1, end);
            return {*p == '}' ? json_token_kind::object_end : json_token_kind::array_end, p, 1};
        case '"': {
            const char* text = p + 1;
            const char* close = text;
            while (close < end && *close != '"')
                ++close;
            json_token token{json_token_kind::string, text, static_cast<std::size_t>(close - text)};
            // An unterminated string runs to the end, and so does reading.
            const char* mark = close < end ? find_continue_mark(close + 1, end) : end;
            if (mark < end && *mark == ':') {
                token.kind = json_token_kind::key;
                next = mark + 1;
            } else {
                next = mark;
            }
            return token;
        }
        default: {
            const json_token_kind kind = word_kind(*p);
            if (kind == json_token_kind::none)
                continue;
            const char* word_end = p;
            while (word_end < end && !ends_word(*word_end))
                ++word_end;
            next = find_continue_mark(p, end);
            return {kind, p, static_cast<std::size_t>(word_end - p)};
        }
        }
    }
    next = end;
    return {json_token_kind::none, end, 0};
}
