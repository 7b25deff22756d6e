// The bytes on the wire between the panel and the speaker: the USB bridge's report layouts, the
// flash command codes behind it and where things live in the flash. Declared once here; the
// bridge and flash routines and the emulated speaker all use these names.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bridge_protocol {

/// The speaker's USB-HID-to-SPI bridge (MCP2210 command set).
constexpr unsigned short vendor_id = 0x04D8;
constexpr unsigned short product_id = 0x00DE;

/// hid_write takes the report number 0 in front of the 64 bytes the bridge receives, so an
/// output report is 65 bytes and payload offset n sits at report byte n + 1.
constexpr std::size_t report_number_size_bytes = 1;
constexpr std::size_t payload_size_bytes = 64;
constexpr std::size_t output_report_size_bytes = report_number_size_bytes + payload_size_bytes;
constexpr std::size_t input_report_size_bytes = payload_size_bytes;

/// Payload offsets shared by commands and replies.
constexpr std::size_t command_offset = 0;        ///< command code; the reply echoes it
constexpr std::size_t sub_command_offset = 1;    ///< command: sub-command or transfer length
constexpr std::size_t status_offset = 1;         ///< reply: the bridge's status, 0 accepted
constexpr std::size_t transfer_count_offset = 2; ///< transfer reply: bytes received
constexpr std::size_t engine_status_offset = 3;  ///< transfer reply: spi_engine_status
constexpr std::size_t data_offset = 4;           ///< transfer data and settings fields

/// The most data bytes one SPI transfer command carries (64 minus the 4 header bytes).
constexpr std::size_t max_transfer_bytes = payload_size_bytes - data_offset;

/// Command codes (payload byte 0).
namespace command {
constexpr std::uint8_t get_spi_settings = 0x41;
constexpr std::uint8_t set_spi_settings = 0x40;
constexpr std::uint8_t get_chip_settings = 0x20;
constexpr std::uint8_t set_chip_settings = 0x21;
constexpr std::uint8_t spi_transfer = 0x42;
/// Ends the SPI transaction in progress, finished or not, and releases the chip select.
constexpr std::uint8_t cancel_spi_transfer = 0x11;
/// Power-up (non-volatile) settings: the sub-command says which.
constexpr std::uint8_t get_power_up_settings = 0x61;
constexpr std::uint8_t set_power_up_settings = 0x60;
} // namespace command

/// Sub-commands of the power-up settings commands (payload byte 1).
namespace power_up {
constexpr std::uint8_t spi_settings = 0x10;
constexpr std::uint8_t chip_settings = 0x20;
} // namespace power_up

/// Bridge status bytes (reply byte 1).
namespace bridge_status {
constexpr std::uint8_t accepted = 0x00;
constexpr std::uint8_t bus_not_available = 0xF7;
/// A transfer came while the previous packet was still being clocked, or a settings command
/// while a transaction is unfinished: nothing was done.
constexpr std::uint8_t busy = 0xF8;
/// The command code, or the power-up sub-command, is not one the bridge knows.
constexpr std::uint8_t unknown_command = 0xF9;
} // namespace bridge_status

/// spi_engine_status values (transfer reply byte 3).
namespace engine_status {
constexpr std::uint8_t finished = 0x10;       ///< the transaction is complete
constexpr std::uint8_t started = 0x20;        ///< started, no data received yet
constexpr std::uint8_t data_available = 0x30; ///< not finished, received data available
} // namespace engine_status

/// SPI transfer settings, payload offsets (little-endian fields).
namespace spi_settings_layout {
constexpr std::size_t bit_rate = 4;                        ///< 4 bytes
constexpr std::size_t idle_chip_select = 8;                ///< low 8 bits, then bit 8 as bit 0
constexpr std::size_t active_chip_select = 10;             ///< as idle_chip_select
constexpr std::size_t chip_select_to_data_delay = 12;      ///< 2 bytes
constexpr std::size_t last_byte_to_chip_select_delay = 14; ///< 2 bytes
constexpr std::size_t between_bytes_delay = 16;            ///< 2 bytes
constexpr std::size_t bytes_per_transaction = 18;          ///< 2 bytes
constexpr std::size_t spi_mode = 20;                       ///< 1 byte
} // namespace spi_settings_layout

/// The delay fields of the SPI transfer settings count in units of 100 microseconds.
constexpr std::uint32_t delay_unit_us = 100;

/// Chip (pin) settings, payload offsets.
namespace chip_settings_layout {
constexpr std::size_t pin_count = 9;           ///< GP0..GP8
constexpr std::size_t designations = 4;        ///< one byte per pin
constexpr std::size_t default_output = 13;     ///< GP0..GP7 as bits 0..7
constexpr std::size_t default_output_gp8 = 14; ///< bit 0
constexpr std::size_t default_direction = 15;  ///< GP0..GP7 as bits 0..7; 1 input
constexpr std::size_t default_direction_gp8 = 16;
constexpr std::size_t other_settings = 17; ///< bit 4 remote wake-up, bits 1-3 interrupt mode,
                                           ///< bit 0 SPI bus release
constexpr std::size_t access_control = 18;
constexpr std::size_t password = 19; ///< password_size_bytes, only with password protection
constexpr std::size_t password_size_bytes = 8;
constexpr std::uint8_t password_protected = 0x40;

constexpr unsigned remote_wakeup_shift = 4;
constexpr unsigned interrupt_mode_shift = 1;
constexpr std::uint8_t interrupt_mode_mask = 0x07;
} // namespace chip_settings_layout

/// Pin designations.
namespace designation {
constexpr std::uint8_t general_purpose = 0;
constexpr std::uint8_t chip_select = 1;
constexpr std::uint8_t dedicated_function = 2;
} // namespace designation

/// SPI NOR flash command codes (the first byte of a transaction).
namespace flash_opcode {
constexpr std::uint8_t read = 0x03;
constexpr std::uint8_t write_enable = 0x06;
constexpr std::uint8_t write_disable = 0x04;
constexpr std::uint8_t block_erase = 0xD8; ///< 64 KB
constexpr std::uint8_t read_status = 0x05;
constexpr std::uint8_t page_program = 0x02;
} // namespace flash_opcode

/// Flash status register bits.
constexpr std::uint8_t flash_status_busy = 0x01;
constexpr std::uint8_t flash_status_write_enable_latch = 0x02;

/// Opcode plus a 24-bit address, most significant byte first.
constexpr std::size_t flash_address_bytes = 3;
constexpr std::size_t flash_command_header_bytes = 1 + flash_address_bytes;

/// Where things live in the speaker's flash. The firmware region, from address 0, is
/// intel_hex.h's; the settings block's size is its layout's (settings_block.h).
constexpr std::uint32_t flash_block_size_bytes = 0x10000; ///< what one block erase clears
constexpr std::uint32_t settings_block_address = 0x1D0000;
constexpr std::uint32_t model_tag_address = 0x1F0000;
constexpr std::size_t model_tag_size_bytes = 9;

} // namespace bridge_protocol
