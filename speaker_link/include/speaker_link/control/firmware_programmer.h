// The flash programmer: writes the blocks of a firmware update into the speaker's flash (erase
// every block first, then program each in 32-byte pieces with read-back), and the end of the
// installation, which writes the package's version into the settings block.
//
// Runs on the firmware update worker, which holds the device lock for the whole update.
#pragma once

#include <speaker_link/device/dsp_session.h>
#include <speaker_link/firmware/intel_hex.h>
#include <speaker_link/settings/settings_block.h>

#include <quarro/types.h>

#include <string>

class dsp_control;
class dsp_control_callback;

/// Attempts a block gets to be programmed and verified, erased again before each new one.
constexpr int firmware_block_attempts = 3;

/// Erases every present block in ascending order, then programs each one whole (its 65536
/// bytes) in 32-byte pieces, each read back and compared. Reports erase progress (stage 3:
/// blocks) before each erase and at the end, and write progress (stage 4: bytes) after every
/// verified piece and at the end; write progress never goes backwards. A block whose
/// programming or read-back fails is erased and programmed again, up to
/// firmware_block_attempts in all; every retry is logged.
///
/// Throws the error::dsp_error of the failing block operation (a failed erase at once, a
/// failed block after its last attempt; error::mismatch_error when read back differs). Blocks
/// already erased or programmed then stay so. `callback` receives the progress with `control`.
void program_firmware_blocks(const dsp_session& session, const firmware_block_table& blocks,
                             dsp_control_callback& callback, dsp_control& control);

/// The installation tail: opens a session, runs program_firmware_blocks and closes the session
/// on every way out; then writes `version` (one to four numbers, the first three are kept;
/// empty gives 0.0.0) into `settings` and back to the speaker, makes it the control's
/// firmware version, offers no further update and reports firmware_update_succeeded.
/// `settings` must have been read from the attached speaker by this update. Throws what
/// open_dsp_session, program_firmware_blocks and write_settings_block throw; the settings
/// block and the control then keep their old version.
void install_firmware_blocks(dsp_control& control, const firmware_block_table& blocks,
                             device_settings& settings, const std::string& version);
