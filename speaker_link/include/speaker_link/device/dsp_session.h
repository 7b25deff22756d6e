// A session on the speaker's bridge: opened and configured for the flash, closed on every way
// out. At most one session is open at a time; a session is never shared between threads.
#pragma once

#include <quarro/types.h>

#include <hidapi/hidapi.h>

/// An open bridge and the address of the settings block.
struct dsp_session
{
    quarro::u64 settings_block_address = 0;
    hid_device* device = nullptr; ///< belongs to the session until it is closed
};

/// Opens the bridge and configures pins and SPI parameters for the flash. Throws
/// error::dsp_init_failed when there is no bridge or it cannot be configured; the bridge is
/// then closed again (with hidapi released) before the throw.
void open_dsp_session(dsp_session& session);

/// Closes a session: spi_link_release, then bridge_close; the handle becomes null. Never
/// throws; a session without a handle is left alone.
void close_dsp_session(dsp_session& session);

/// GP0 a low general-purpose output, GP1 the flash's chip select; 3,000,000 bit/s, SPI mode 3,
/// chip selects idle 0xFFFF and active 0xFFFD. Returns 0, or the status of the first command
/// that failed (nothing is written back after a failed read). Prints "Error setting SPI
/// parameters." when the SPI parameters are refused.
quarro::i32 spi_link_configure(hid_device* device);

/// Sets GP0 back to a high general-purpose output. Nothing is written when the chip settings
/// cannot be read.
void spi_link_release(hid_device* device);

/// Opens a session in its constructor (throwing as open_dsp_session) and closes it in its
/// destructor, so that every way out closes it.
class dsp_session_guard
{
public:
    dsp_session_guard() { open_dsp_session(session_); }
    ~dsp_session_guard() { close_dsp_session(session_); }
    dsp_session_guard(const dsp_session_guard&) = delete;
    dsp_session_guard& operator=(const dsp_session_guard&) = delete;

    const dsp_session& session() const { return session_; }
    hid_device* device() const { return session_.device; }

private:
    dsp_session session_;
};
