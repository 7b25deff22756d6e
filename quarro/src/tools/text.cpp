// Text helpers.
#include <quarro/tools/text.h>

#include <mutex>
#include <random>

namespace quarro {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not one.
std::size_t utf8_sequence_length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned long code = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points above U+10FFFF are not UTF-8.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string random_digits()
{
    static std::mutex mutex;
    static std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<int> digit(0, 9);
    std::string digits(16, '0');
    std::lock_guard<std::mutex> lock(mutex);
    for (char& c : digits)
        c = static_cast<char>('0' + digit(generator));
    return digits;
}

i64 compare_no_case(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return static_cast<i64>(a.size()) - static_cast<i64>(b.size());
    const auto fold = [](char c) -> signed char {
        return static_cast<signed char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == '\0' && b[i] == '\0')
            return 0;
        const signed char x = fold(a[i]);
        const signed char y = fold(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

std::optional<std::string> platform_string_from_string(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8_sequence_length(text, i);
        if (length == 0)
            return std::nullopt;
        i += length;
    }
    return std::string(text);
}

std::string string_from_platform_string(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = utf8_sequence_length(bytes, i);
        if (length == 0) {
            text.push_back('.');
            ++i;
        } else {
            text.append(bytes.substr(i, length));
            i += length;
        }
    }
    return text;
}

void replace_all(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

} // namespace quarro
