// Firmware version texts: numbers and comparison.
#include <speaker_link/firmware/firmware_version.h>

#include <quarro/tools/number_text.h>
#include <quarro/tools/string_tokenizer.h>

std::array<quarro::u32, 4> parse_firmware_version(const std::string& text)
{
    std::array<quarro::u32, 4> numbers{};
    quarro::string_tokenizer pieces(text, ".");
    for (std::size_t i = 0; i < numbers.size() && pieces.has_token(); ++i, pieces.next())
        numbers[i] = static_cast<quarro::u32>(quarro::text_to_int(pieces.token(), 0));
    return numbers;
}

bool is_newer_firmware_version(const std::string& online, const std::string& current)
{
    const std::array<quarro::u32, 4> a = parse_firmware_version(online);
    const std::array<quarro::u32, 4> b = parse_firmware_version(current);
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return static_cast<quarro::i32>(a[i] - b[i]) > 0;
    return false;
}
