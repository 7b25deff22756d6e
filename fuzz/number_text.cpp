// Fuzzes the number and text parsers: preset numbers and band types, integer texts, fixed
// notation, case folding, UTF-8 checks, replacing and tokenising.
#include <speaker_link/settings/preset_file.h>

#include <quarro/tools/number_text.h>
#include <quarro/tools/string_tokenizer.h>
#include <quarro/tools/text.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string first = text.substr(0, size / 2);
    const std::string second = text.substr(size / 2);

    const double number = parse_preset_number(text, 20.0);
    std::string written;
    quarro::to_string_with_precision(written, 1, number);
    if (std::isfinite(number) && std::fabs(number) < 1e15 &&
        std::fabs(parse_preset_number(written, 20.0) - number) > 0.05 + 1e-9 * std::fabs(number))
        std::abort(); // one decimal written must read back within half a step
    for (int decimals = 0; decimals <= 3; ++decimals) {
        std::string any;
        quarro::to_string_with_precision(any, decimals, number);
    }
    eq_band_type_from_name(text);

    const quarro::i32 whole = quarro::text_to_int(text, 7);
    if (quarro::text_to_int(quarro::int_to_text(whole), 7) != whole)
        std::abort();
    std::string digits;
    quarro::append_number(digits, static_cast<quarro::i64>(number == number ? whole : 0),
                          size % 40);

    const quarro::i64 order = quarro::compare_no_case(first, second);
    if (order != -quarro::compare_no_case(second, first) || quarro::compare_no_case(text, text))
        std::abort();
    if (size >= 2)
        quarro::hex_pair_to_byte(text[0], text[1]);

    const auto platform = quarro::platform_string_from_string(text);
    const std::string shown = quarro::string_from_platform_string(text);
    if (shown.size() != text.size() || (platform && shown != text) ||
        !quarro::platform_string_from_string(shown))
        std::abort(); // valid UTF-8 is kept whole, and what is shown is always valid

    std::string replaced = text;
    if (!first.empty())
        quarro::replace_all(replaced, first.substr(0, 4), second.substr(0, 8));
    for (quarro::string_tokenizer tokens(second, first.substr(0, 3)); tokens.has_token();
         tokens.next()) {
        if (tokens.token().empty())
            std::abort();
    }
    return 0;
}
