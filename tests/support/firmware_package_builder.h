// Firmware packages made by a test: Intel HEX text written record by record (with type-04
// records wherever the 64 KB block changes) and zip archives written with JUCE's builder.
#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace test_support {

/// Plain bytes (as the firmware has them, before the flash's bit reversal) at a flash address.
struct hex_bytes
{
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes;
};

/// One record: ':', count, address, type, data, checksum (two's complement of the sum, plus
/// `checksum_error`), upper-case hex.
inline std::string hex_record(std::uint8_t type, std::uint16_t address,
                              const std::vector<std::uint8_t>& data,
                              std::uint8_t checksum_error = 0)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = ":";
    std::uint8_t sum = 0;
    const auto put = [&](std::uint8_t byte) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
        sum = static_cast<std::uint8_t>(sum + byte);
    };
    put(static_cast<std::uint8_t>(data.size()));
    put(static_cast<std::uint8_t>(address >> 8));
    put(static_cast<std::uint8_t>(address & 0xFF));
    put(type);
    for (const std::uint8_t byte : data)
        put(byte);
    put(static_cast<std::uint8_t>(-sum + checksum_error));
    return text;
}

/// An image of the pieces in records of at most 16 bytes, each record after `separator`,
/// ending with the end-of-file record.
inline std::string intel_hex(const std::vector<hex_bytes>& pieces,
                             const std::string& separator = "\r\n")
{
    std::string text;
    long current_block = -1;
    for (const hex_bytes& piece : pieces) {
        for (std::size_t offset = 0; offset < piece.bytes.size();) {
            const std::uint32_t address = piece.address + static_cast<std::uint32_t>(offset);
            const long block = static_cast<long>(address >> 16);
            if (block != current_block) {
                text += hex_record(4, 0,
                                   {static_cast<std::uint8_t>(block >> 8),
                                    static_cast<std::uint8_t>(block & 0xFF)}) +
                        separator;
                current_block = block;
            }
            const std::size_t room = 0x10000 - (address & 0xFFFF);
            const std::size_t count =
                std::min({std::size_t{16}, piece.bytes.size() - offset, room});
            text += hex_record(0, static_cast<std::uint16_t>(address & 0xFFFF),
                               {piece.bytes.begin() + static_cast<long>(offset),
                                piece.bytes.begin() + static_cast<long>(offset + count)}) +
                    separator;
            offset += count;
        }
    }
    return text + hex_record(1, 0, {}) + separator;
}

/// `count` bytes counting up from `first`.
inline std::vector<std::uint8_t> counting_bytes(std::size_t count, std::uint8_t first)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

/// Writes a zip archive holding the entries (name to content), deflated.
inline void write_zip(const std::string& path, const std::map<std::string, std::string>& entries)
{
    juce::ZipFile::Builder builder;
    for (const auto& [name, content] : entries)
        builder.addEntry(new juce::MemoryInputStream(content.data(), content.size(), true), 6,
                         juce::String::fromUTF8(name.c_str()), juce::Time());
    const juce::File file(juce::String::fromUTF8(path.c_str()));
    file.deleteFile();
    juce::FileOutputStream out(file);
    builder.writeToStream(out, nullptr);
}

/// A package at `path` whose "flash.json" names `version` and one firmware image, "fw.hex", of
/// the pieces.
inline void write_firmware_package(const std::string& path, const std::vector<hex_bytes>& image,
                                   const std::string& version = "1.0.9")
{
    write_zip(path, {{"flash.json", R"({"version": ")" + version + R"(", "firmware": "fw.hex"})"},
                     {"fw.hex", intel_hex(image)}});
}

} // namespace test_support
