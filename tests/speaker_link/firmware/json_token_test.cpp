// The flat JSON token reader over the texts it meets: kinds, token texts and where reading goes on.
#include <speaker_link/firmware/json_token.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

// Every token of the text as "kind:text" joined by blanks.
std::string tokens_of(const std::string& text)
{
    std::string out;
    walk_json_tokens(
        text.data(), text.data() + text.size(), [&](const json_token& token, const char*&) {
            if (!out.empty())
                out += ' ';
            out += std::to_string(static_cast<int>(token.kind)) + ':' + std::string(token.view());
        });
    return out;
}

TEST(JsonToken, ReadsEachKindAndWhereReadingGoesOn)
{
    const std::tuple<const char*, const char*> cases[] = {
        {"", ""},
        {" \t\r\n,:", ""},
        {R"({"a":"b"})", "3:{ 1:a 2:b 4:}"},
        {R"({ "a" : 12 , "b" :-3.5e2})", "3:{ 1:a 8:12 1:b 8:-3.5e2 4:}"},
        {R"(["x", true, false, null])", "5:[ 2:x 7:true 7:false 9:null 6:]"},
        // Words are not examined past their first character; upper-case starts nothing.
        {"[nope, tx, TRUE, 0x1F]", "5:[ 9:nope 7:tx 8:0x1F 6:]"},
        // No escape processing: a backslash neither protects a quote nor goes away.
        {R"({"f":"\/a\/b.zip", "q":"x\"y"})", R"(3:{ 1:f 2:\/a\/b.zip 1:q 2:x\ 4:})"},
        // ':' and ',' inside a string stay in it.
        {R"({"d":"a: b, c","v":"1"})", "3:{ 1:d 2:a: b, c 1:v 2:1 4:}"},
        // Flat: nested members come as the walk goes on.
        {R"({"o":{"k":[1,{"m":"n"}]}})", "3:{ 1:o 3:{ 1:k 5:[ 8:1 3:{ 1:m 2:n 4:} 6:] 4:} 4:}"},
        // A string runs to the end when no quote closes it; the walk ends there.
        {R"({"a":"open)", "3:{ 1:a 2:open"},
        // A key at the very end has no value to read.
        {R"({"a":)", "3:{ 1:a"},
        // A word ends at a blank or line end, but reading goes on at the next ',', ':', ']' or
        // '}': words apart by blanks alone are passed over.
        {"[12\t3\n-4\r5 6]", "5:[ 8:12 6:]"},
        {"[1\t,2\n,3\r,4 ]", "5:[ 8:1 8:2 8:3 8:4 6:]"},
    };
    for (const auto& [text, tokens] : cases)
        EXPECT_EQ(tokens_of(text), tokens) << text;
}

TEST(JsonToken, ContinuePositionsStayInsideTheInput)
{
    const std::tuple<std::string, json_token_kind, std::size_t> cases[] = {
        {"{x", json_token_kind::object_begin, 1}, {"[", json_token_kind::array_begin, 1},
        {"} ,x", json_token_kind::object_end, 2}, // at the ',', which the next read skips
        {"]]", json_token_kind::array_end, 1},    // at the ']', returned next
        {R"("k" : v)", json_token_kind::key, 5},  // just after the ':'
        {R"("s" ])", json_token_kind::string, 4}, // at the ']'
        {R"("s")", json_token_kind::string, 3},   // nothing follows: the end
        {"12,", json_token_kind::number, 2},      // a word's search starts at its first character
        {"abc", json_token_kind::none, 3},        // nothing starts a token: the end
    };
    for (const auto& [text, kind, next_offset] : cases) {
        const char* next = nullptr;
        const json_token token = next_json_token(text.data(), text.data() + text.size(), next);
        EXPECT_EQ(token.kind, kind) << text;
        EXPECT_EQ(static_cast<std::size_t>(next - text.data()), next_offset) << text;
    }
}

} // namespace
