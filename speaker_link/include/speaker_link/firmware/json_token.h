// The flat JSON token reader that reads the firmware service's reply and a firmware package's
// "flash.json": it tells what the next token is and where it lies, and keeps no nesting.
#pragma once

#include <cstddef>
#include <string_view>

enum class json_token_kind : int
{
    none = 0,         ///< the end of the input came first
    key = 1,          ///< a string that ':' follows
    string = 2,       ///< a string that no ':' follows
    object_begin = 3, ///< '{'
    object_end = 4,   ///< '}'
    array_begin = 5,  ///< '['
    array_end = 6,    ///< ']'
    boolean = 7,      ///< a word starting with 't' or 'f'
    number = 8,       ///< a word starting with a digit or '-'
    null = 9          ///< a word starting with 'n'
};

/// One token: its kind and its text, which lies inside the input (no copy is made).
struct json_token
{
    json_token_kind kind = json_token_kind::none;
    const char* text = nullptr; ///< the token's first character; `end` for kind none
    std::size_t length = 0;

    std::string_view view() const { return {text, length}; }
};

/// The token that starts at or after `position`, and in `next` the position where reading
/// continues (never past `end`). Strings run to the next '"' with no escape processing (to the
/// end when none follows); words run to the next TAB, LF, CR, blank, ',', ']' or '}'.
/// Characters that start no token (blanks, ',', ':', upper-case letters) are skipped. Reads
/// only inside [position, end); never allocates, never throws; any thread.
json_token next_json_token(const char* position, const char* end, const char*& next) noexcept;

/// Calls `visit(token)` for each token of [begin, end) in order, until the text ends.
template <class Visit>
void walk_json_tokens(const char* begin, const char* end, Visit&& visit)
{
    const char* next = begin;
    for (json_token token = next_json_token(begin, end, next); token.text != end;
         token = next_json_token(next, end, next))
        visit(token, next);
}
