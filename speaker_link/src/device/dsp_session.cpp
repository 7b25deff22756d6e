// Opening, configuring, releasing and closing the link to the speaker's flash.
#include <speaker_link/device/dsp_session.h>

#include <speaker_link/device/bridge.h>
#include <speaker_link/device/bridge_protocol.h>
#include <speaker_link/device/dsp_error.h>

#include <cstdio>

namespace {

namespace bp = bridge_protocol;
using quarro::i32;

constexpr quarro::i64 flash_bit_rate = 3000000;
constexpr quarro::u32 idle_chip_select = 0xFFFF;
constexpr quarro::u32 active_chip_select = 0xFFFD; // GP1 low while a transfer runs
constexpr quarro::u32 spi_mode_3 = 3;
constexpr quarro::u32 initial_bytes_per_transaction = 2;

// GP0 is a general-purpose output: low while the panel has the flash, high when it lets go.
constexpr std::size_t hold_pin = 0;
constexpr std::size_t flash_chip_select_pin = 1;

} // namespace

i32 spi_link_configure(hid_device* device)
{
    chip_settings chip = bridge_get_chip_settings(device, bridge_settings::current);
    if (chip.status != 0)
        return chip.status;
    chip.pins[hold_pin] = {bp::designation::general_purpose, 0, 0};
    chip.pins[flash_chip_select_pin] = {bp::designation::chip_select, 1, 0};
    const i32 chip_status = bridge_set_chip_settings(device, bridge_settings::current, chip);
    if (chip_status != 0)
        return chip_status;

    spi_transfer_settings spi = bridge_get_spi_settings(device, bridge_settings::current);
    if (spi.status != 0)
        return spi.status;
    spi.bit_rate = flash_bit_rate;
    spi.idle_chip_select = idle_chip_select;
    spi.active_chip_select = active_chip_select;
    spi.last_byte_to_chip_select_delay = 0;
    spi.bytes_per_transaction = initial_bytes_per_transaction;
    spi.spi_mode = spi_mode_3;
    const i32 spi_status = bridge_set_spi_settings(device, bridge_settings::current, spi);
    if (spi_status != 0)
        std::fputs("Error setting SPI parameters.\n", stdout);
    return spi_status;
}

void spi_link_release(hid_device* device)
{
    chip_settings chip = bridge_get_chip_settings(device, bridge_settings::current);
    if (chip.status != 0)
        return;
    chip.pins[hold_pin] = {bp::designation::general_purpose, 1, 0};
    bridge_set_chip_settings(device, bridge_settings::current, chip);
}

void open_dsp_session(dsp_session& session)
{
    session.settings_block_address = bp::settings_block_address;
    session.device = bridge_open();
    if (session.device == nullptr) {
        bridge_close(nullptr);
        throw error::dsp_init_failed();
    }
    // A link that cannot be configured would read every byte as 0xFF: refuse it here.
    if (spi_link_configure(session.device) != 0) {
        close_dsp_session(session);
        throw error::dsp_init_failed();
    }
}

void close_dsp_session(dsp_session& session)
{
    if (session.device == nullptr)
        return;
    spi_link_release(session.device);
    bridge_close(session.device);
    session.device = nullptr;
}
