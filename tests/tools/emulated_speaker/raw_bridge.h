// Raw bridge reports for the emulated speaker's own tests: hidapi calls and the protocol
// constants, nothing of the panel's code, so the emulator is checked on its own.
#pragma once

#include <hidapi/hidapi.h>

#include <speaker_link/device/bridge_protocol.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace bp = bridge_protocol;

class raw_bridge
{
public:
    using payload = std::array<std::uint8_t, 64>;

    raw_bridge() : device_(hid_open(bp::vendor_id, bp::product_id, nullptr)) {}
    ~raw_bridge()
    {
        if (device_ != nullptr)
            hid_close(device_);
        hid_exit();
    }
    raw_bridge(const raw_bridge&) = delete;
    raw_bridge& operator=(const raw_bridge&) = delete;

    hid_device* device() const { return device_; }

    /// Writes one command and returns the reply (empty when none came or the write failed).
    std::vector<std::uint8_t> send(const payload& command)
    {
        std::array<std::uint8_t, 65> report{};
        std::copy(command.begin(), command.end(), report.begin() + 1);
        if (hid_write(device_, report.data(), report.size()) != 65)
            return {};
        std::vector<std::uint8_t> reply(64);
        const int count = hid_read_timeout(device_, reply.data(), reply.size(), 100);
        reply.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
        return reply;
    }

    /// GP1 becomes the flash's chip select, active low, in SPI `mode`.
    void select_flash(std::uint8_t mode = 3)
    {
        payload chip{};
        chip[0] = bp::command::set_chip_settings;
        chip[bp::chip_settings_layout::designations + 1] = bp::designation::chip_select;
        chip[bp::chip_settings_layout::default_output] = 0x02;
        ASSERT_EQ(send(chip).at(1), 0);
        mode_ = mode;
    }

    /// Sets bytes_per_transaction (and the chip selects for the flash), at 3 Mbit/s without
    /// delays unless `between_bytes_delay` (100 us units) is given: then every packet is
    /// clocked before the next report arrives.
    void set_transaction(std::uint16_t bytes, std::uint8_t between_bytes_delay = 0)
    {
        payload spi{};
        spi[0] = bp::command::set_spi_settings;
        const std::uint32_t bit_rate = 3000000;
        for (int i = 0; i < 4; ++i)
            spi[bp::spi_settings_layout::bit_rate + i] =
                static_cast<std::uint8_t>(bit_rate >> (8 * i));
        spi[bp::spi_settings_layout::idle_chip_select] = 0xFF;
        spi[bp::spi_settings_layout::idle_chip_select + 1] = 0x01;
        spi[bp::spi_settings_layout::active_chip_select] = 0xFD;
        spi[bp::spi_settings_layout::active_chip_select + 1] = 0x01;
        spi[bp::spi_settings_layout::bytes_per_transaction] = static_cast<std::uint8_t>(bytes);
        spi[bp::spi_settings_layout::bytes_per_transaction + 1] =
            static_cast<std::uint8_t>(bytes >> 8);
        spi[bp::spi_settings_layout::between_bytes_delay] = between_bytes_delay;
        spi[bp::spi_settings_layout::spi_mode] = mode_;
        ASSERT_EQ(send(spi).at(1), 0);
    }

    /// One transfer command; returns its whole reply.
    std::vector<std::uint8_t> transfer(const std::vector<std::uint8_t>& data)
    {
        payload command{};
        command[0] = bp::command::spi_transfer;
        command[1] = static_cast<std::uint8_t>(data.size());
        std::copy(data.begin(), data.end(), command.begin() + bp::data_offset);
        return send(command);
    }

    /// A whole flash command: `header` in one transfer, then `filler` zero bytes in transfers
    /// of up to 60, then empty transfers until the bridge says "finished"; returns what the
    /// flash sent back while the filler was clocked (each reply carries the packet before).
    std::vector<std::uint8_t> command(const std::vector<std::uint8_t>& header,
                                      std::size_t filler = 0)
    {
        set_transaction(static_cast<std::uint16_t>(header.size() + filler));
        std::vector<std::uint8_t> reply = transfer(header);
        EXPECT_EQ(reply.at(bp::engine_status_offset), bp::engine_status::started);
        std::vector<std::uint8_t> received;
        for (int packet = 0; packet < 100; ++packet) {
            const std::size_t piece = std::min(filler, bp::max_transfer_bytes);
            reply = transfer(std::vector<std::uint8_t>(piece, 0));
            filler -= piece;
            const auto count = reply.at(bp::transfer_count_offset);
            received.insert(received.end(), reply.begin() + bp::data_offset,
                            reply.begin() + bp::data_offset + count);
            if (reply.at(bp::engine_status_offset) == bp::engine_status::finished)
                break;
        }
        EXPECT_EQ(reply.at(bp::engine_status_offset), bp::engine_status::finished);
        received.erase(received.begin(),
                       received.begin() + std::min(header.size(), received.size()));
        return received;
    }

    std::vector<std::uint8_t> read(std::uint32_t address, std::size_t length)
    {
        return command({bp::flash_opcode::read, static_cast<std::uint8_t>(address >> 16),
                        static_cast<std::uint8_t>(address >> 8),
                        static_cast<std::uint8_t>(address)},
                       length);
    }
    std::uint8_t status()
    {
        const auto bytes = command({bp::flash_opcode::read_status}, 1);
        return bytes.empty() ? 0xEE : bytes.back();
    }
    void write_enable() { command({bp::flash_opcode::write_enable}); }
    void erase(std::uint8_t block) { command({bp::flash_opcode::block_erase, block, 0, 0}); }
    void program(std::uint32_t address, const std::vector<std::uint8_t>& data)
    {
        std::vector<std::uint8_t> bytes = {
            bp::flash_opcode::page_program, static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
        bytes.insert(bytes.end(), data.begin(), data.end());
        command(bytes);
    }

private:
    hid_device* device_;
    std::uint8_t mode_ = 3;
};
