// Number appenders: std::to_chars, so that no locale ever changes the texts we write.
#include <quarro/tools/number_text.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace quarro {
namespace {

u64 append_digits(std::string& text, u64 magnitude, u64 min_width, bool negative)
{
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude);
    const u64 count = static_cast<u64>(result.ptr - digits.data());
    const u64 padding = std::min(min_width, max_number_width) > count
                            ? std::min(min_width, max_number_width) - count
                            : 0;
    const u64 before = text.size();
    if (negative)
        text.push_back('-');
    text.append(padding, '0');
    text.append(digits.data(), count);
    return text.size() - before;
}

u8 hex_digit_value(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return static_cast<u8>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<u8>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<u8>(c - 'a' + 10);
    return 0;
}

// 2^63: doubles at or above it have no signed 64-bit counterpart.
constexpr f64 two_to_63 = 9223372036854775808.0;

bool is_whole_number(f64 value) noexcept
{
    return std::isfinite(value) && value > -two_to_63 && value < two_to_63 &&
           value == static_cast<f64>(static_cast<i64>(value));
}

} // namespace

u64 append_unsigned(std::string& text, u64 value, u64 min_width)
{
    return append_digits(text, value, min_width, false);
}

u64 append_number(std::string& text, i64 value, u64 min_width)
{
    // Unsigned negation, so that the smallest i64 has a magnitude too.
    const u64 magnitude = value < 0 ? u64{0} - static_cast<u64>(value) : static_cast<u64>(value);
    return append_digits(text, magnitude, min_width, value < 0);
}

u64 to_string_with_precision(std::string& text, i32 decimals, f64 value)
{
    const int precision = is_whole_number(value) ? 1 : std::clamp(decimals, 0, 40);
    // Room for the 309 integer digits of the largest double, the sign and the decimals.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    const u64 count = static_cast<u64>(result.ptr - buffer.data());
    text.append(buffer.data(), count);
    return count;
}

u8 hex_pair_to_byte(char high, char low) noexcept
{
    return static_cast<u8>(hex_digit_value(high) * 16 + hex_digit_value(low));
}

std::string int_to_text(i32 value)
{
    std::string text;
    append_number(text, value, 1);
    return text;
}

i32 text_to_int(const std::string& text, i32 default_value)
{
    if (text.empty())
        return default_value;
    const char first = text.front();
    if (!(first >= '0' && first <= '9') && first != '-')
        return default_value;
    // The leading integer, like atoi, but without its undefined overflow.
    i64 value = 0;
    const bool negative = first == '-';
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            break;
        value = std::min<i64>(value * 10 + (c - '0'), i64{1} << 32);
    }
    value = negative ? -value : value;
    return static_cast<i32>(
        std::clamp<i64>(value, std::numeric_limits<i32>::min(), std::numeric_limits<i32>::max()));
}

} // namespace quarro
